#include "MenuShortcuts.h"

#include "Application.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

MenuShortcuts::MenuShortcuts(QWidget* window) : QObject(window), FWindow(window) {
    qApp->installEventFilter(this);
}

MenuShortcuts::~MenuShortcuts() {
    qApp->removeEventFilter(this);
}

void MenuShortcuts::Add(QAction* action) {
    // Qt's own shortcut handling would defer to the focused control and pass
    // the keys of disabled items on; this filter decides alone.
    action->setShortcutContext(Qt::WidgetShortcut);
    FActions.push_back(action);
}

QAction* MenuShortcuts::ActionFor(QEvent* event) const {
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const auto modifiers = keyEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                    Qt::AltModifier | Qt::MetaModifier);
    const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(keyEvent->key())));
    for (QAction* action : FActions) {
        if (action->shortcut() == pressed)
            return action;
    }
    return nullptr;
}

bool MenuShortcuts::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != FWindow)
        return false;
    QAction* action = ActionFor(event);
    if (action == nullptr)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claiming the override keeps Qt's shortcut map out; the key press
        // then comes back here.
        event->accept();
        return true;
    }
    if (action->isEnabled())
        TApplication::Guarded([action] { action->trigger(); });
    return true;
}

} // namespace platform
