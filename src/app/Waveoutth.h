#pragma once

#include "ToneSynthesis.h"
#include "platform/AudioOutput.h"
#include "platform/MultimediaTimers.h"
#include "platform/Thread.h"
#include "platform/WaveOut.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

// Plays one tone on a wave-out handle of its own, then releases itself: a
// continuous tone (duration -1) until Stop(), or a timed tone of a number of
// milliseconds, which always plays whole. Any number may sound at once.
class TWaveOutTh : public platform::TThread {
public:
    static constexpr std::int32_t kContinuous = -1;

    // Created suspended, with FreeOnTerminate set: Start() lets it run, and
    // nobody touches a timed tone's object after that.
    TWaveOutTh(std::int32_t Duration, platform::WaveOut& Device,
               platform::MultimediaTimers& Timers);
    ~TWaveOutTh() override;

    // Asks a continuous tone to end: what is queued still plays, then the
    // release. A timed tone ignores it.
    void Stop() { Terminate(); }

    // Tone threads still running, and a wait for the last to end (at exit,
    // after the output has shut down, they all end within milliseconds).
    static int Running();
    static void WaitForAll();
    // At exit: the output stops, the mixer hands back every queued buffer,
    // and this returns once every tone thread has ended (within milliseconds,
    // whatever was sounding).
    static void EndAll(platform::AudioOutput& Output, platform::Mixer& Mixer);

    // The samples a timed tone plays: attack, full sustain buffers, the
    // remainder cut to whole cycles, release. 64-bit, so any interval of a
    // log plays whole.
    struct TimedQueue {
        std::int64_t sustainRepeats; // k
        std::uint32_t remainder;     // L
    };
    static TimedQueue PlanTimed(std::int32_t durationMs, int attackLength);

protected:
    void Execute() override;

private:
    void Prepare();
    void PlayContinuous();
    void PlayTimed();
    void CleanUp();
    // Queues header i; false when the device refused it.
    bool Queue(int i);
    void WaitWhileQueued(int i);

    const std::int32_t FDuration;
    // When the tone was asked for (the object made, on the asking thread):
    // its start is placed a fixed time after this.
    const std::int64_t FAskedNs;
    platform::HWAVEOUT FWaveOut = nullptr;
    std::array<platform::WAVEHDR, tone::kBufferCount> FHeaders{};
    // The run's sample blocks, from the preparation to the clean-up.
    std::array<std::unique_ptr<std::uint8_t[]>, tone::kBufferCount> FBuffers;
    int FAttackLength = 0;
    platform::WaveOut& FDevice;
    platform::MultimediaTimers& FTimers;
};
