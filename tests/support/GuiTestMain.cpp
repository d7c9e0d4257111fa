// Test entry for suites that drive real widgets: one application object for
// the whole run, errors recorded rather than shown in a blocking box.
#include "platform/Application.h"

#include <gtest/gtest.h>

namespace {

QtMessageHandler QtDefaultHandler = nullptr;

// The offscreen platform warns about window hints it cannot pass on; that
// says nothing about the program.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    QtDefaultHandler(type, context, message);
}

#if defined(__SANITIZE_THREAD__)
// Under the thread sanitizer nothing is drawn: Qt's raster engine converts
// the window's image on threads of its own pool and synchronises with them
// through locks the sanitizer cannot see, which it would report as races of
// Qt's. What these suites check (messages, keys, timers, threads) needs no
// pixels, and no suppression is needed that could hide a race of ours.
class NoDrawing final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::UpdateRequest:
        case QEvent::UpdateLater:
        case QEvent::Paint:
        case QEvent::Expose:
            return true;
        default:
            return false;
        }
    }
};
#endif

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QtDefaultHandler = qInstallMessageHandler(QuietMessages);
    platform::TApplication application(argc, argv);
#if defined(__SANITIZE_THREAD__)
    NoDrawing noDrawing;
    application.installEventFilter(&noDrawing);
#endif
    platform::TApplication::SetExceptionSink(
        [](const std::string& message) { ADD_FAILURE() << "unexpected error box: " << message; });
    return RUN_ALL_TESTS();
}
