// The termios serial backend end to end, against a real pty whose modem
// lines FakeModemLines emulates. No real serial device is ever opened.
#include "Commth.h"
#include "Messages.h"
#include "platform/PosixSerialLine.h"
#include "platform/PosixSerialPorts.h"
#include "platform/SystemTimers.h"
#include "support/FakeModemLines.h"
#include "support/RecordingWindow.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::PosixSerialLine;
using platform::PosixSerialPorts;

template <class Predicate> bool Eventually(Predicate predicate) {
    for (int i = 0; i < 10000; ++i) {
        if (predicate())
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

class PosixSerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakePath = Dir.Path("ttyFAKE0");
        fake_modem::UsePath(FakePath);
        Dir.Write("Tappolog.ini",
                  "[ports]\nCOM1=" + FakePath + "\nCOM2=" + Dir.Path("missing") + "\n");
    }

    std::unique_ptr<PosixSerialLine> OpenLine() {
        auto line = PosixSerialLine::Open(FakePath);
        if (line)
            line->ApplyLineSettings();
        return line;
    }

    // Starts a wait on another thread and returns once it blocks in the kernel.
    std::future<bool> BlockedWait(platform::SerialLine& line) {
        const int before = fake_modem::WaitCalls();
        auto waited = std::async(std::launch::async, [&line] { return line.WaitDsrChange(); });
        EXPECT_TRUE(Eventually(
            [&] { return fake_modem::WaitCalls() > before && fake_modem::Waiters() > 0; }));
        return waited;
    }

    testing_support::TempDir Dir;
    std::string FakePath;
};

TEST_F(PosixSerialTest, PortNumbersMapToDevices) {
    PosixSerialPorts ports(Dir.Path("Tappolog.ini"));
    EXPECT_EQ(ports.DevicePath(1), FakePath);
    EXPECT_EQ(ports.DevicePath(3), "/dev/ttyUSB2") << "no entry: the n-th USB adapter";
    EXPECT_EQ(ports.DevicePath(0), "");
    EXPECT_EQ(ports.Open(0), nullptr) << "port 0 never opens";
    EXPECT_EQ(ports.Open(2), nullptr) << "a missing device fails";
    EXPECT_NE(ports.Open(1), nullptr);
}

TEST_F(PosixSerialTest, OpenSetsTheLineUpAndCloseDropsDtr) {
    auto line = OpenLine();
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(fake_modem::Dtr());
    EXPECT_EQ(fake_modem::Speed(), 9600);
    EXPECT_TRUE(fake_modem::LocalAndReceiving());
    EXPECT_TRUE(fake_modem::LowLatencyRequested());
    EXPECT_EQ(line->Write("CQ", 2), 2);
    EXPECT_EQ(fake_modem::ReadWritten(), "CQ");
    line->Close();
    EXPECT_FALSE(fake_modem::Dtr());
    EXPECT_FALSE(line->WaitDsrChange()) << "every call after Close fails";
    EXPECT_FALSE(line->Dsr());
    EXPECT_EQ(line->Write("x", 1), -1);
}

TEST_F(PosixSerialTest, HeldPortCannotBeOpenedAgain) {
    auto first = OpenLine();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(PosixSerialLine::Open(FakePath), nullptr);
    first->Close();
    EXPECT_NE(PosixSerialLine::Open(FakePath), nullptr) << "free again once closed";
}

TEST_F(PosixSerialTest, ReadWithoutTimeOutReturnsAtOnce) {
    auto line = OpenLine();
    ASSERT_NE(line, nullptr);
    char buffer[8];
    for (int timeout : {0, -5}) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(line->Read(buffer, sizeof buffer, timeout), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 1s) << "must not block";
    }
}

TEST_F(PosixSerialTest, DsrChangeWakesTheWaitAndReadsRight) {
    auto line = OpenLine();
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->Dsr());
    auto waited = BlockedWait(*line);
    fake_modem::SetDsr(true);
    EXPECT_TRUE(waited.get());
    EXPECT_TRUE(line->Dsr());
}

TEST_F(PosixSerialTest, ChangeBetweenTwoWaitsIsNotLost) {
    auto line = OpenLine();
    ASSERT_NE(line, nullptr);
    auto waited = BlockedWait(*line);
    fake_modem::SetDsr(true);
    ASSERT_TRUE(waited.get());
    fake_modem::SetDsr(false); // while nobody waits
    EXPECT_TRUE(line->WaitDsrChange());
    EXPECT_FALSE(line->Dsr());
}

TEST_F(PosixSerialTest, CloseFromAnotherThreadEndsTheWaitPromptly) {
    auto line = OpenLine();
    ASSERT_NE(line, nullptr);
    auto waited = BlockedWait(*line);
    const auto started = std::chrono::steady_clock::now();
    line->Close();
    EXPECT_FALSE(waited.get());
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, 5s) << "the wait must end, not hang";
    RecordProperty(
        "close_ends_wait_us",
        static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
}

TEST_F(PosixSerialTest, DriverWithoutModemWaitIsPolled) {
    fake_modem::WithoutModemWait();
    auto line = OpenLine();
    ASSERT_NE(line, nullptr);
    auto waited = std::async(std::launch::async, [&] { return line->WaitDsrChange(); });
    std::this_thread::sleep_for(20ms);
    fake_modem::SetDsr(true);
    EXPECT_TRUE(waited.get());
    EXPECT_EQ(fake_modem::WaitCalls(), 0) << "the refused wait is not retried";
    fake_modem::SetDsr(false); // between waits
    EXPECT_TRUE(line->WaitDsrChange());
    auto pending = std::async(std::launch::async, [&] { return line->WaitDsrChange(); });
    std::this_thread::sleep_for(5ms);
    line->Close();
    EXPECT_FALSE(pending.get()) << "Close ends a polling wait too";
}

// The whole key input on the real backend: port, watcher thread, real clock.
class RecordingOverPtyTest : public PosixSerialTest {
protected:
    void SetUp() override {
        PosixSerialTest::SetUp();
        ASSERT_TRUE(port.Open(1));
        watcher.reset(platform::NewThread<TCommTh>(&port, window, clock, false));
    }

    PosixSerialPorts ports{Dir.Path("Tappolog.ini")};
    platform::SystemTimers clock;
    std::shared_ptr<testing_support::RecordingWindow> window =
        std::make_shared<testing_support::RecordingWindow>();
    TCommPort port{ports};
    std::unique_ptr<TCommTh> watcher;
};

TEST_F(RecordingOverPtyTest, WatcherRecordsKeyingAndStopsOnClose) {

    for (bool down : {true, false, true, false}) {
        ASSERT_TRUE(Eventually([] { return fake_modem::Waiters() > 0; }));
        fake_modem::SetDsr(down);
        std::this_thread::sleep_for(5ms);
    }
    const auto messages = window->AwaitMessages(4);
    ASSERT_EQ(messages.size(), 4u);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].Msg, WM_KEYCHANGE);
        EXPECT_EQ(messages[i].WParam, i % 2 == 0 ? 1 : 0);
        if (i > 0) {
            EXPECT_GE(messages[i].LParam, messages[i - 1].LParam);
        }
    }
    EXPECT_LE(messages[0].LParam, 2);

    ASSERT_TRUE(Eventually([] { return fake_modem::Waiters() > 0; }));
    watcher->Terminate();
    port.Close();
    watcher.reset(); // must not hang
    EXPECT_FALSE(fake_modem::Dtr());
}

TEST_F(RecordingOverPtyTest, VanishedDeviceFailsEveryCallWithoutSpinning) {
    ASSERT_TRUE(Eventually([] { return fake_modem::Waiters() > 0; }));

    fake_modem::Unplug();
    const int before = fake_modem::WaitCalls();
    std::this_thread::sleep_for(100ms);
    EXPECT_LE(fake_modem::WaitCalls() - before, 1) << "a lost device is not asked again";
    EXPECT_FALSE(port.GetDsr());
    EXPECT_FALSE(port.WaitDsrChange());
    EXPECT_TRUE(window->Messages().empty());

    watcher->Terminate();
    port.Close();
    watcher.reset();
}

} // namespace
