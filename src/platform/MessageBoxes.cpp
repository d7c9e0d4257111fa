#include "MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

void QtMessageBoxes::Show(QWidget* owner, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                    QString::fromStdString(text), QMessageBox::Ok, owner);
    box.exec();
}

} // namespace platform
