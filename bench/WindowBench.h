#pragma once

// What the benchmarks that drive the real main window share: the application
// on the offscreen platform, the real clock and timers, an in-process serial
// port, error boxes recorded instead of shown, and the mixer. The window is
// made on first use, once a benchmark has attached its output and tap.
#include "Main.h"
#include "platform/Application.h"
#include "platform/Mixer.h"
#include "platform/SystemTimers.h"
#include "support/FakeSerial.h"
#include "support/RecordedMessageBoxes.h"

#include <memory>

class OffscreenPlatform {
protected:
    OffscreenPlatform() { qputenv("QT_QPA_PLATFORM", "offscreen"); }
};

class WindowBench : private OffscreenPlatform {
public:
    WindowBench(int& argc, char** argv) : Application(argc, argv) {}

    TMainForm& Window() {
        if (!FWindow)
            FWindow = std::make_unique<TMainForm>(
                nullptr, platform::Services{Timers, Serial, Mixer, Messages, "/nonexistent/"});
        return *FWindow;
    }

    platform::TApplication Application;
    platform::SystemTimers Timers;
    testing_support::FakeSerialPorts Serial;
    testing_support::RecordedMessageBoxes Messages;
    platform::Mixer Mixer;

private:
    std::unique_ptr<TMainForm> FWindow;
};
