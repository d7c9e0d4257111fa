#include "platform/Mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace platform;

WAVEFORMATEX ToneFormat() {
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 8000;
    format.nBlockAlign = 1;
    format.nAvgBytesPerSec = 8000;
    format.wBitsPerSample = 8;
    return format;
}

// A buffer of one repeated sample value, prepared for a handle.
struct Buffer {
    Buffer(WaveOut& device, HWAVEOUT handle, std::uint8_t value, std::uint32_t length,
           std::uint32_t loops = 1)
        : bytes(length, value) {
        header.lpData = bytes.data();
        header.dwBufferLength = length;
        header.dwLoops = loops;
        EXPECT_EQ(device.Prepare(handle, &header), MMSYSERR_NOERROR);
    }
    std::vector<std::uint8_t> bytes;
    WAVEHDR header;
};

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override { Device.SetOutputRunning(true); }

    HWAVEOUT OpenVoice() {
        HWAVEOUT handle = nullptr;
        EXPECT_EQ(Device.Open(&handle, ToneFormat()), MMSYSERR_NOERROR);
        return handle;
    }
    std::vector<float> Render(int count) {
        std::vector<float> out(static_cast<std::size_t>(count), 0.0f);
        Device.Render(out.data(), count);
        return out;
    }

    Mixer Device;
};

TEST_F(MixerTest, SilenceIsTheRestLevelAndVoicesSumWithoutWrapping) {
    EXPECT_EQ(Render(4), std::vector<float>(4, 0.0f));
    HWAVEOUT a = OpenVoice();
    HWAVEOUT b = OpenVoice();
    Buffer loud(Device, a, 255, 4);
    Buffer alsoLoud(Device, b, 255, 2);
    Buffer rest(Device, b, 127, 2);
    ASSERT_EQ(Device.Write(a, &loud.header), MMSYSERR_NOERROR);
    ASSERT_EQ(Device.Write(b, &alsoLoud.header), MMSYSERR_NOERROR);
    ASSERT_EQ(Device.Write(b, &rest.header), MMSYSERR_NOERROR);
    EXPECT_EQ(Render(5), (std::vector<float>{2.0f, 2.0f, 1.0f, 1.0f, 0.0f}));
}

TEST_F(MixerTest, InQueueUntilEveryLoopHasPlayed) {
    HWAVEOUT voice = OpenVoice();
    Buffer looped(Device, voice, 200, 3, 2);
    ASSERT_EQ(Device.Write(voice, &looped.header), MMSYSERR_NOERROR);
    EXPECT_TRUE(looped.header.dwFlags & WHDR_INQUEUE);
    EXPECT_EQ(Device.Unprepare(voice, &looped.header), WAVERR_STILLPLAYING);
    EXPECT_EQ(Device.Close(voice), WAVERR_STILLPLAYING);
    Render(5);
    EXPECT_TRUE(looped.header.dwFlags & WHDR_INQUEUE) << "one sample of the second loop left";
    Render(1);
    EXPECT_FALSE(looped.header.dwFlags & WHDR_INQUEUE);
    EXPECT_TRUE(looped.header.dwFlags & WHDR_DONE);
    EXPECT_EQ(Device.Unprepare(voice, &looped.header), MMSYSERR_NOERROR);
    EXPECT_EQ(Device.Close(voice), MMSYSERR_NOERROR);
}

TEST_F(MixerTest, BuffersWrittenWhilePausedStartTogetherAtRestart) {
    HWAVEOUT voice = OpenVoice();
    Buffer first(Device, voice, 255, 2);
    Buffer empty(Device, voice, 255, 0); // plays nothing, but is done in turn
    Buffer second(Device, voice, 191, 2);
    Device.Pause(voice);
    Device.Write(voice, &first.header);
    Device.Write(voice, &empty.header);
    Device.Write(voice, &second.header);
    EXPECT_EQ(Render(3), std::vector<float>(3, 0.0f));
    Device.Restart(voice); // no clock published: starts with the next render
    EXPECT_EQ(Render(5), (std::vector<float>{1.0f, 1.0f, 0.5f, 0.5f, 0.0f}));
    EXPECT_FALSE(empty.header.dwFlags & WHDR_INQUEUE);
}

TEST_F(MixerTest, RestartIsPlacedAFixedLatencyAheadOnThePublishedClock) {
    HWAVEOUT voice = OpenVoice();
    Buffer tone(Device, voice, 255, 1);
    // Mix sample 0 renders "now"; a start 10 ms later is sample 80.
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
    Device.PublishTiming(0, now);
    Device.SetStartLatency(10'000'000);
    Device.Pause(voice);
    Device.Write(voice, &tone.header);
    Device.Restart(voice);
    const std::vector<float> out = Render(200);
    const auto first = std::find(out.begin(), out.end(), 1.0f) - out.begin();
    EXPECT_GE(first, 80);
    EXPECT_LE(first, 90) << "placed at restart plus the latency, not at once";
    EXPECT_EQ(Device.FirstSampleOf(voice), first);

    // Counted from when the tone was asked for, 5 ms before its restart: 40
    // samples earlier than a restart counted from itself.
    HWAVEOUT asked = OpenVoice();
    Buffer second(Device, asked, 255, 1);
    const std::int64_t rendered = Device.RenderedSamples();
    Device.PublishTiming(rendered, now + 100'000'000);
    Device.Pause(asked);
    Device.Write(asked, &second.header);
    Device.RestartAt(asked, now + 95'000'000);
    const std::vector<float> later = Render(200);
    EXPECT_EQ(std::find(later.begin(), later.end(), 1.0f) - later.begin(), 40);
}

TEST_F(MixerTest, WithoutOutputOpenFailsAndTheNullHandleFailsEverything) {
    Mixer silent;
    HWAVEOUT handle = reinterpret_cast<HWAVEOUT>(1);
    EXPECT_NE(silent.Open(&handle, ToneFormat()), MMSYSERR_NOERROR);
    EXPECT_EQ(handle, nullptr);
    WAVEHDR header;
    EXPECT_NE(silent.Prepare(handle, &header), MMSYSERR_NOERROR);
    EXPECT_NE(silent.Write(handle, &header), MMSYSERR_NOERROR);
    EXPECT_FALSE(header.dwFlags & WHDR_INQUEUE);
    EXPECT_NE(silent.Unprepare(handle, &header), WAVERR_STILLPLAYING);
    EXPECT_NE(silent.Close(handle), MMSYSERR_NOERROR);
}

TEST_F(MixerTest, ClosedVoicesAreReusedAndShutdownReleasesQueuedBuffers) {
    for (int round = 0; round < 3 * Mixer::kVoices; ++round) {
        HWAVEOUT voice = OpenVoice();
        ASSERT_NE(voice, nullptr) << round;
        ASSERT_EQ(Device.Close(voice), MMSYSERR_NOERROR);
        Render(1); // the renderer frees closed voices
    }
    HWAVEOUT voice = OpenVoice();
    Buffer pending(Device, voice, 255, 100);
    Device.Write(voice, &pending.header);
    Device.Shutdown();
    EXPECT_FALSE(pending.header.dwFlags & WHDR_INQUEUE);
    HWAVEOUT late = nullptr;
    EXPECT_NE(Device.Open(&late, ToneFormat()), MMSYSERR_NOERROR);
}

// The output dies while its renderer may still be inside a render: once
// Shutdown() returns, no render reads a buffer again, so the owner may free
// it at once (the sanitizers watch the renderer), and the voice is free.
TEST_F(MixerTest, ShutdownWhileRenderingNeverTouchesAReleasedBuffer) {
    std::atomic<bool> stop{false};
    std::thread renderer([&] {
        std::vector<float> out(40);
        while (!stop.load())
            Device.Render(out.data(), 40);
    });
    HWAVEOUT voice = OpenVoice();
    auto buffer = std::make_unique<Buffer>(Device, voice, 200, 1000, 1'000'000);
    ASSERT_EQ(Device.Write(voice, &buffer->header), MMSYSERR_NOERROR);
    while (Device.FirstSampleOf(voice) < 0)
        std::this_thread::yield();
    Device.Shutdown();
    EXPECT_FALSE(buffer->header.dwFlags & WHDR_INQUEUE);
    EXPECT_EQ(Device.Unprepare(voice, &buffer->header), MMSYSERR_NOERROR);
    buffer.reset();
    const std::int64_t rendered = Device.RenderedSamples();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Device.RenderedSamples(), rendered) << "renders after the shutdown play nothing";
    EXPECT_EQ(Device.Close(voice), MMSYSERR_NOERROR);
    EXPECT_EQ(Device.BusyVoices(), 0);
    stop.store(true);
    renderer.join();
}

} // namespace
