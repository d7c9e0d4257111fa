#pragma once

#include <QObject>
#include <QVector>

class QAction;
class QWidget;

namespace platform {

// Menu shortcuts that work whichever control of the window has the focus and
// win over the focused control's own use of the key (Ctrl+C in a combo box
// copies through the menu, F4 does not open a drop-down list). A shortcut whose
// item is disabled does nothing, and its key is not passed on either.
class MenuShortcuts : public QObject {
public:
    explicit MenuShortcuts(QWidget* window);
    ~MenuShortcuts() override;

    // Takes over the shortcut the action carries.
    void Add(QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* ActionFor(QEvent* event) const;

    QWidget* FWindow;
    QVector<QAction*> FActions;
};

} // namespace platform
