// Test entry for suites that drive real widgets: one application object for
// the whole run, errors recorded rather than shown in a blocking box.
#include "platform/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    platform::TApplication application(argc, argv);
    platform::TApplication::SetExceptionSink([](const std::string& message) {
        ADD_FAILURE() << "unexpected error box: " << message;
    });
    return RUN_ALL_TESTS();
}
