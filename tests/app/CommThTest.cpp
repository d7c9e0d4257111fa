#include "Commth.h"
#include "Messages.h"
#include "support/FakeSerial.h"
#include "support/ManualTimers.h"
#include "support/RecordingWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace {

using testing_support::FakeSerialPorts;
using testing_support::ManualTimers;
using testing_support::RecordingWindow;

using Report = std::pair<int, std::uint32_t>; // state, elapsed ms

constexpr int kPort = 1;

// A recording in progress: the port open and its watcher running, reports
// collected, the clock moved by hand.
class CommThTest : public ::testing::Test {
protected:
    void Start() {
        ASSERT_TRUE(Port.Open(kPort));
        Watcher.reset(platform::NewThread<TCommTh>(&Port, Window, Clock, false));
    }

    // The stop sequence of a recording: terminate, close the port, wait.
    void Stop() {
        Watcher->Terminate();
        Port.Close();
        Watcher.reset();
    }

    void TearDown() override {
        if (Watcher)
            Stop();
    }

    // Changes the key once the watcher waits, so every change is its own report.
    void Key(bool down) {
        Ports.AwaitWaiter(kPort);
        Ports.SetDsr(kPort, down);
    }

    std::vector<Report> AwaitReports(std::size_t count) {
        std::vector<Report> reports;
        for (const auto& message : Window->AwaitMessages(count)) {
            EXPECT_EQ(message.Msg, WM_KEYCHANGE);
            reports.emplace_back(message.WParam, static_cast<std::uint32_t>(message.LParam));
        }
        return reports;
    }

    FakeSerialPorts Ports;
    TCommPort Port{Ports};
    ManualTimers Clock{5000};
    std::shared_ptr<RecordingWindow> Window = std::make_shared<RecordingWindow>();
    std::unique_ptr<TCommTh> Watcher;
};

TEST_F(CommThTest, PressAndReleaseGiveZeroThenTheHeldTime) {
    Start();
    Key(true);
    AwaitReports(1);
    Clock.advance(51);
    Key(false);
    EXPECT_EQ(AwaitReports(2), (std::vector<Report>{{1, 0}, {0, 51}}));
}

TEST_F(CommThTest, ResetStartsANewTimeBase) {
    Start();
    Key(true);
    AwaitReports(1);
    Clock.advance(100);
    Key(false);
    AwaitReports(2);
    Clock.advance(400);
    Watcher->FStartTime = TCommTh::kNoTimeBase; // Delete All
    Key(true);
    AwaitReports(3);
    Clock.advance(20);
    Key(false);
    EXPECT_EQ(AwaitReports(4), (std::vector<Report>{{1, 0}, {0, 100}, {1, 0}, {0, 20}}));
}

TEST_F(CommThTest, ElapsedTimeIsRightAcrossTheClockWrap) {
    Clock.set(0xFFFFFFF0u);
    Start();
    Key(true);
    AwaitReports(1);
    Clock.advance(0x30);
    Key(false);
    EXPECT_EQ(AwaitReports(2), (std::vector<Report>{{1, 0}, {0, 0x30}}));
}

TEST_F(CommThTest, KeyHeldThroughTheOpeningReportsNothingUntilReleased) {
    Ports.SetDsr(kPort, true);
    Start();
    Ports.AwaitWaiter(kPort);
    EXPECT_TRUE(Window->Messages().empty());
    Clock.advance(300);
    Key(false);
    EXPECT_EQ(AwaitReports(1), (std::vector<Report>{{0, 0}}));
}

TEST_F(CommThTest, StopWhileTheKeyIsHeldPostsNothingMore) {
    Start();
    Key(true);
    AwaitReports(1);
    Ports.AwaitWaiter(kPort);
    Stop();
    Ports.SetDsr(kPort, false);
    EXPECT_EQ(Window->Messages().size(), 1u);
}

TEST_F(CommThTest, BounceIsReportedWithTheLevelReadAfterIt) {
    // The line falls again between the wait's return and the DSR read.
    bool bounced = false;
    Ports.OnDsrRead(kPort, [&] {
        if (!std::exchange(bounced, true))
            Ports.SetDsr(kPort, false);
    });
    Start();
    Key(true);
    // The second change counts: the next wait returns at once, and the level
    // read then is again "up".
    EXPECT_EQ(AwaitReports(2), (std::vector<Report>{{0, 0}, {0, 0}}));
}

TEST_F(CommThTest, ChangeWhoseWaitReturnedBeforeTerminateIsStillReported) {
    Ports.OnDsrRead(kPort, [&] { Watcher->Terminate(); });
    Start();
    Key(true);
    Watcher->WaitFor(); // the loop ends by itself after the report
    EXPECT_EQ(AwaitReports(1), (std::vector<Report>{{1, 0}}));
    EXPECT_TRUE(Port.IsOpen());
}

TEST_F(CommThTest, VanishedDeviceCostsNoSpinAndStopStillWorks) {
    Start();
    Key(true);
    AwaitReports(1);
    Ports.Unplug(kPort);
    const int before = Ports.WaitCalls(kPort);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Paced retries: about 20 in 100 ms. A spinning loop makes millions.
    EXPECT_LT(Ports.WaitCalls(kPort) - before, 200);
    Stop();
    EXPECT_EQ(Window->Messages().size(), 1u);
}

} // namespace
