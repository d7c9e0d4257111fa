#include "ToneSynthesis.h"
#include "Waveoutth.h"
#include "platform/SystemTimers.h"
#include "support/CaptureOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using testing_support::CaptureOutput;
using Write = CaptureOutput::Write;

std::vector<std::uint8_t> Buffer(int index) {
    std::vector<std::uint8_t> block(tone::kBlockBytes);
    block.resize(static_cast<std::size_t>(tone::SynthesizeBuffer(index, block.data())));
    return block;
}

// Attack, then sustain cycles for `sustain` samples, then release.
std::vector<std::uint8_t> ExpectedTone(std::size_t sustain) {
    std::vector<std::uint8_t> samples = Buffer(0);
    const std::vector<std::uint8_t> cycle = Buffer(1);
    for (std::size_t i = 0; i < sustain; ++i)
        samples.push_back(cycle[i % cycle.size()]);
    const std::vector<std::uint8_t> release = Buffer(7);
    samples.insert(samples.end(), release.begin(), release.end());
    return samples;
}

class ToneThreadTest : public ::testing::Test {
protected:
    void Play(std::int32_t duration) {
        auto* thread = new TWaveOutTh(duration, Device, Timers);
        thread->Start();
        TWaveOutTh::WaitForAll();
    }

    platform::Mixer Device;
    CaptureOutput Capture{Device};
    platform::SystemTimers Timers;
};

struct TimedCase {
    std::int32_t duration;
    std::vector<Write> writes;
    std::size_t samples;
};

class TimedToneTest : public ToneThreadTest, public ::testing::WithParamInterface<TimedCase> {};

TEST_P(TimedToneTest, QueuesTheWholeToneAndPlaysIt) {
    const TimedCase& c = GetParam();
    Play(c.duration);
    ASSERT_EQ(Capture.Voices().size(), 1u);
    const std::uint64_t voice = Capture.Voices()[0];
    EXPECT_EQ(Capture.Writes(voice), c.writes);
    EXPECT_EQ(Capture.Samples(voice), ExpectedTone(c.samples - 23));
    EXPECT_EQ(Capture.Samples(voice).size(), c.samples);
}

INSTANTIATE_TEST_SUITE_P(
    Durations, TimedToneTest,
    ::testing::Values(TimedCase{1, {{11, 1}, {0, 1}, {12, 1}}, 23},
                      TimedCase{2, {{11, 1}, {0, 1}, {12, 1}}, 23},
                      TimedCase{3, {{11, 1}, {10, 1}, {12, 1}}, 33},
                      TimedCase{10, {{11, 1}, {60, 1}, {12, 1}}, 83},
                      TimedCase{14, {{11, 1}, {100, 1}, {0, 1}, {12, 1}}, 123},
                      TimedCase{60, {{11, 1}, {100, 4}, {60, 1}, {12, 1}}, 483},
                      TimedCase{100, {{11, 1}, {100, 7}, {80, 1}, {12, 1}}, 803},
                      TimedCase{1000, {{11, 1}, {100, 79}, {80, 1}, {12, 1}}, 8003}),
    [](const auto& info) { return std::to_string(info.param.duration) + "ms"; });

TEST(TimedTonePlanTest, LongTonesDoNotOverflow) {
    struct Row {
        std::int32_t duration;
        std::int64_t repeats;
        std::uint32_t remainder;
    };
    for (const Row& row : {Row{268435, 21474, 60}, Row{268436, 21474, 70}, Row{3600000, 287999, 80},
                           Row{INT32_MAX, 171798691, 60}}) {
        const auto plan = TWaveOutTh::PlanTimed(row.duration, 11);
        EXPECT_EQ(plan.sustainRepeats, row.repeats) << row.duration;
        EXPECT_EQ(plan.remainder, row.remainder) << row.duration;
    }
}

TEST_F(ToneThreadTest, ContinuousToneStoppedAtOncePlaysItsFirstRing) {
    auto* thread = new TWaveOutTh(TWaveOutTh::kContinuous, Device, Timers);
    thread->Start();
    thread->Stop();
    TWaveOutTh::WaitForAll();
    const std::uint64_t voice = Capture.Voices().at(0);
    EXPECT_EQ(Capture.Samples(voice), ExpectedTone(600));
    EXPECT_EQ(Capture.Samples(voice).size(), 623u);
}

TEST_F(ToneThreadTest, ContinuousToneStoppedLaterPlaysWholeSustainBuffers) {
    auto* thread = new TWaveOutTh(TWaveOutTh::kContinuous, Device, Timers);
    thread->Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    thread->Stop();
    TWaveOutTh::WaitForAll();
    const std::vector<std::uint8_t> played = Capture.Samples(Capture.Voices().at(0));
    ASSERT_GE(played.size(), 623u);
    EXPECT_EQ((played.size() - 23) % 100, 0u) << played.size();
    EXPECT_EQ(played, ExpectedTone(played.size() - 23));
}

TEST(ToneThreadNoDeviceTest, TonesAreSilentAndEndWithoutSpinning) {
    platform::Mixer silent; // no output: every open fails
    platform::SystemTimers timers;
    auto* timed = new TWaveOutTh(1000, silent, timers);
    timed->Start();
    TWaveOutTh::WaitForAll(); // ends at once: nothing was queued

    auto* held = new TWaveOutTh(TWaveOutTh::kContinuous, silent, timers);
    held->Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    held->Stop();
    TWaveOutTh::WaitForAll();
    EXPECT_EQ(TWaveOutTh::Running(), 0);
}

} // namespace
