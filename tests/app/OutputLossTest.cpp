#include "Waveoutth.h"
#include "platform/OutputWatchdog.h"
#include "platform/SystemTimers.h"
#include "support/CaptureOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Waits, with a limit so a hang fails the test instead of stopping it, until
// at most `running` tone threads are left.
bool AwaitTonesRunning(int running) {
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (TWaveOutTh::Running() > running && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(1ms);
    return TWaveOutTh::Running() <= running;
}

struct LossCase {
    const char* name;
    bool streamSaysStopped; // or it just stops rendering
};

// The output dies mid-tone (a sound server killed, a card pulled): tones in
// flight end instead of waiting for buffers that will never play, and later
// tones are silent.
class OutputLossTest : public ::testing::TestWithParam<LossCase> {
protected:
    platform::Mixer Device;
    testing_support::CaptureOutput Capture{Device};
    platform::SystemTimers Timers;
};

TEST_P(OutputLossTest, TonesInFlightEndAndLaterTonesAreSilent) {
    const bool streamSaysStopped = GetParam().streamSaysStopped;
    Capture.SetRealTime(true);
    platform::OutputWatchdog watchdog(
        Device, [&] { return !(streamSaysStopped && !Capture.Running()); }, 200ms, 10ms);

    auto* timed = new TWaveOutTh(60'000, Device, Timers); // a minute-long tone
    timed->Start();
    auto* held = new TWaveOutTh(TWaveOutTh::kContinuous, Device, Timers);
    held->Start();
    while (Capture.Voices().size() < 2 || Capture.Mix().empty())
        std::this_thread::sleep_for(1ms);

    Capture.Fail();
    ASSERT_TRUE(AwaitTonesRunning(1)) << "the timed tone waits for a dead output";
    EXPECT_TRUE(watchdog.OutputLost());
    held->Stop();
    ASSERT_TRUE(AwaitTonesRunning(0)) << "the held tone does not end";

    auto* later = new TWaveOutTh(100, Device, Timers);
    later->Start();
    auto* laterHeld = new TWaveOutTh(TWaveOutTh::kContinuous, Device, Timers);
    laterHeld->Start();
    std::this_thread::sleep_for(30ms);
    laterHeld->Stop();
    ASSERT_TRUE(AwaitTonesRunning(0));
    EXPECT_EQ(Capture.Voices().size(), 2u) << "later tones get no voice: silent";
    EXPECT_EQ(Device.BusyVoices(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputLossTest,
                         ::testing::Values(LossCase{"StreamSaysItStopped", true},
                                           LossCase{"RendersJustStop", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// An output resting while no voice sounds is not a lost output.
TEST(OutputWatchdogTest, IdleOutputIsNotTakenForLost) {
    platform::Mixer device;
    testing_support::CaptureOutput capture{device}; // renders only while a voice is open
    platform::SystemTimers timers;
    platform::OutputWatchdog watchdog(
        device, [] { return true; }, 50ms, 5ms);
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(watchdog.OutputLost());
    auto* tone = new TWaveOutTh(20, device, timers);
    tone->Start();
    TWaveOutTh::WaitForAll();
    EXPECT_EQ(capture.Voices().size(), 1u);
    EXPECT_FALSE(watchdog.OutputLost());
}

} // namespace
