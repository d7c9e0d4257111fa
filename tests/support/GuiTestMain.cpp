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

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QtDefaultHandler = qInstallMessageHandler(QuietMessages);
    platform::TApplication application(argc, argv);
    platform::TApplication::SetExceptionSink(
        [](const std::string& message) { ADD_FAILURE() << "unexpected error box: " << message; });
    return RUN_ALL_TESTS();
}
