#include "Waveoutth.h"

#include "platform/SteadyClock.h"

#include <chrono>

namespace {

// Tone threads alive; the last to end wakes WaitForAll().
std::atomic<int> RunningTones{0};

// Without a device every write fails and nothing ever plays: the ring waits
// this long between its failing writes instead of spinning.
constexpr auto kNoDevicePause = std::chrono::milliseconds(12);

platform::WAVEFORMATEX ToneFormat() {
    platform::WAVEFORMATEX format;
    format.wFormatTag = platform::WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = tone::kSampleRate;
    format.nBlockAlign = 1;
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    format.wBitsPerSample = 8;
    return format;
}

} // namespace

TWaveOutTh::TWaveOutTh(std::int32_t Duration, platform::WaveOut& Device,
                       platform::MultimediaTimers& Timers)
    : TThread(true), FDuration(Duration), FAskedNs(platform::SteadyNowNs()), FDevice(Device),
      FTimers(Timers) {
    FreeOnTerminate = true;
    RunningTones.fetch_add(1);
}

TWaveOutTh::~TWaveOutTh() {
    if (RunningTones.fetch_sub(1) == 1)
        RunningTones.notify_all();
}

int TWaveOutTh::Running() {
    return RunningTones.load();
}

void TWaveOutTh::WaitForAll() {
    for (int running = RunningTones.load(); running != 0; running = RunningTones.load())
        RunningTones.wait(running);
}

void TWaveOutTh::EndAll(platform::AudioOutput& Output, platform::Mixer& Mixer) {
    Output.Stop();
    Mixer.Shutdown();
    WaitForAll();
}

TWaveOutTh::TimedQueue TWaveOutTh::PlanTimed(std::int32_t durationMs, int attackLength) {
    const std::int64_t samples = std::int64_t{durationMs} * tone::kSampleRate / 1000; // s
    const std::int64_t rest = samples - attackLength;                                 // r
    const std::int64_t repeats = rest / tone::kSamplesPerBuffer;                      // k
    const std::int64_t remainder = rest - repeats * tone::kSamplesPerBuffer;          // m
    const auto wholeCycles = static_cast<std::uint32_t>(remainder / tone::kSamplesPerCycle *
                                                        tone::kSamplesPerCycle); // L
    return {repeats, wholeCycles};
}

void TWaveOutTh::Execute() {
    Prepare();
    if (FDuration == kContinuous)
        PlayContinuous();
    else
        PlayTimed();
    CleanUp();
}

void TWaveOutTh::Prepare() {
    // Without a device the open fails; the buffers are made all the same and
    // every later call on the null handle fails, so the tone is silent.
    FDevice.Open(&FWaveOut, ToneFormat());
    for (int i = 0; i < tone::kBufferCount; ++i) {
        FBuffers[i] = std::make_unique<std::uint8_t[]>(tone::kBlockBytes); // zero-filled
        const int samples = tone::SynthesizeBuffer(i, FBuffers[i].get());
        if (i == tone::kAttackIndex)
            FAttackLength = samples;
        platform::WAVEHDR& header = FHeaders[i];
        header.lpData = FBuffers[i].get();
        header.dwBufferLength = static_cast<std::uint32_t>(samples);
        header.dwFlags = platform::WHDR_BEGINLOOP | platform::WHDR_ENDLOOP;
        header.dwLoops = 1;
        FDevice.Prepare(FWaveOut, &header);
    }
}

bool TWaveOutTh::Queue(int i) {
    return FDevice.Write(FWaveOut, &FHeaders[i]) == platform::MMSYSERR_NOERROR;
}

void TWaveOutTh::WaitWhileQueued(int i) {
    while ((FHeaders[i].dwFlags.load() & platform::WHDR_INQUEUE) && !Terminated())
        FTimers.sleep(1);
}

void TWaveOutTh::PlayContinuous() {
    // The attack and five sustain buffers start together; the sixth follows,
    // and from then on each sustain buffer is queued again as soon as it has
    // played, keeping five or six (62.5 to 75 ms) ahead.
    FDevice.Pause(FWaveOut);
    for (int i = 0; i <= 5; ++i)
        Queue(i);
    FDevice.RestartAt(FWaveOut, FAskedNs);
    int k = 6;
    for (;;) {
        const bool queued = Queue(k);
        if (k == tone::kReleaseIndex)
            return;
        k = k == 6 ? 1 : k + 1;
        if (!queued)
            SleepUnlessTerminated(kNoDevicePause);
        WaitWhileQueued(k);
        if (Terminated())
            k = tone::kReleaseIndex; // behind what is queued; nothing is withdrawn
    }
}

void TWaveOutTh::PlayTimed() {
    // The whole tone is queued before the device starts, so it plays without a gap.
    const TimedQueue plan = PlanTimed(FDuration, FAttackLength);
    FDevice.Pause(FWaveOut);
    Queue(tone::kAttackIndex);
    if (plan.sustainRepeats > 0) {
        FHeaders[1].dwLoops = static_cast<std::uint32_t>(plan.sustainRepeats);
        Queue(1);
        FHeaders[2].dwLoops = 1;
        FHeaders[2].dwBufferLength = plan.remainder;
        Queue(2);
    } else {
        FHeaders[1].dwLoops = 1;
        FHeaders[1].dwBufferLength = plan.remainder; // queued even when empty
        Queue(1);
    }
    Queue(tone::kReleaseIndex);
    FDevice.RestartAt(FWaveOut, FAskedNs);
}

void TWaveOutTh::CleanUp() {
    // The release was queued last, so this returns once the whole tone has played.
    for (int i = 0; i < tone::kBufferCount; ++i) {
        while (FDevice.Unprepare(FWaveOut, &FHeaders[i]) == platform::WAVERR_STILLPLAYING)
            FTimers.sleep(1);
        FBuffers[i].reset();
    }
    FDevice.Close(FWaveOut);
    FWaveOut = nullptr;
}
