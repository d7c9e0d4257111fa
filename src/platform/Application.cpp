#include "Application.h"

#include <QMessageBox>

namespace platform {

namespace {
// GUI thread only.
TApplication::ExceptionSink& Sink() {
    static TApplication::ExceptionSink sink;
    return sink;
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error.what());
        return true;
    }
}

void TApplication::ShowException(const std::string& message) {
    if (Sink()) {
        Sink()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          QString::fromStdString(message));
}

void TApplication::SetExceptionSink(ExceptionSink sink) {
    Sink() = std::move(sink);
}

} // namespace platform
