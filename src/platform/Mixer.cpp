#include "Mixer.h"

#include "SteadyClock.h"

#include <algorithm>
#include <thread>

namespace platform {

namespace {

constexpr std::int64_t kImmediately = INT64_MIN;
constexpr std::uint32_t kCapacity = Voice::kQueueCapacity;

// The mix's zero is the tone's rest level, so silence and a tone at rest
// are the same and a voice starts and ends without a step.
float Level(std::uint8_t sample) {
    return (static_cast<float>(sample) - 127.0f) / 128.0f;
}

} // namespace

bool Mixer::IsOpenHandle(HWAVEOUT handle) const {
    return handle != nullptr && handle >= FVoices.data() && handle < FVoices.data() + kVoices &&
           handle->FState.load(std::memory_order_acquire) == Voice::Active;
}

MMRESULT Mixer::Open(HWAVEOUT* handle, const WAVEFORMATEX& format) {
    *handle = nullptr;
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels != 1 ||
        format.nSamplesPerSec != kRate || format.wBitsPerSample != 8)
        return WAVERR_BADFORMAT;
    if (FShutDown.load() || !FOutputRunning.load())
        return MMSYSERR_NODRIVER;
    for (Voice& voice : FVoices) {
        int expected = Voice::Free;
        if (!voice.FState.compare_exchange_strong(expected, Voice::Opening,
                                                  std::memory_order_acquire))
            continue;
        voice.FHead.store(0, std::memory_order_relaxed);
        voice.FTail.store(0, std::memory_order_relaxed);
        voice.FStartSample.store(kImmediately, std::memory_order_relaxed);
        voice.FFirstSample.store(-1, std::memory_order_relaxed);
        voice.FSerial.store(FNextSerial.fetch_add(1), std::memory_order_relaxed);
        voice.FPosition = 0;
        voice.FLoopsPlayed = 0;
        voice.FState.store(Voice::Active, std::memory_order_release);
        *handle = &voice;
        return MMSYSERR_NOERROR;
    }
    return MMSYSERR_NOMEM; // every voice sounds: this tone stays silent
}

MMRESULT Mixer::Prepare(HWAVEOUT handle, WAVEHDR* header) {
    if (!IsOpenHandle(handle))
        return MMSYSERR_INVALHANDLE;
    if (header == nullptr)
        return MMSYSERR_INVALPARAM;
    header->dwFlags.fetch_or(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT Mixer::Write(HWAVEOUT handle, WAVEHDR* header) {
    if (!IsOpenHandle(handle) || FShutDown.load())
        return MMSYSERR_INVALHANDLE;
    const std::uint32_t flags = header->dwFlags.load();
    if (!(flags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (flags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    const std::uint32_t tail = handle->FTail.load(std::memory_order_relaxed);
    if (tail - handle->FHead.load(std::memory_order_acquire) >= kCapacity)
        return MMSYSERR_NOMEM;
    if (MixTap* tap = FTap.load())
        tap->OnWrite(handle->FSerial.load(), *header);
    header->dwFlags.store((flags & ~WHDR_DONE) | WHDR_INQUEUE);
    handle->FQueue[tail % kCapacity].store(header, std::memory_order_relaxed);
    handle->FTail.store(tail + 1, std::memory_order_release);
    return MMSYSERR_NOERROR;
}

MMRESULT Mixer::Pause(HWAVEOUT handle) {
    if (!IsOpenHandle(handle))
        return MMSYSERR_INVALHANDLE;
    handle->FStartSample.store(Voice::kNotScheduled, std::memory_order_release);
    return MMSYSERR_NOERROR;
}

MMRESULT Mixer::Restart(HWAVEOUT handle) {
    return RestartAt(handle, SteadyNowNs());
}

MMRESULT Mixer::RestartAt(HWAVEOUT handle, std::int64_t askedNs) {
    if (!IsOpenHandle(handle))
        return MMSYSERR_INVALHANDLE;
    FLatestRestartNs.store(askedNs, std::memory_order_relaxed);
    handle->FStartSample.store(PlacementFor(askedNs), std::memory_order_release);
    return MMSYSERR_NOERROR;
}

MMRESULT Mixer::Unprepare(HWAVEOUT handle, WAVEHDR* header) {
    if (!IsOpenHandle(handle))
        return MMSYSERR_INVALHANDLE;
    if (header->dwFlags.load(std::memory_order_acquire) & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags.fetch_and(~WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT Mixer::Close(HWAVEOUT handle) {
    if (!IsOpenHandle(handle))
        return MMSYSERR_INVALHANDLE;
    if (handle->FHead.load(std::memory_order_acquire) !=
        handle->FTail.load(std::memory_order_relaxed))
        return WAVERR_STILLPLAYING;
    // The renderer frees the slot at its next render; with no renderer left
    // there is nobody to wait for.
    const bool rendering = FOutputRunning.load() && !FShutDown.load();
    handle->FState.store(rendering ? Voice::Closed : Voice::Free, std::memory_order_release);
    return MMSYSERR_NOERROR;
}

void Mixer::Shutdown() {
    FShutDown.store(true);
    while (FRendering.load())
        std::this_thread::yield();
    for (Voice& voice : FVoices) {
        if (voice.FState.load(std::memory_order_acquire) != Voice::Active)
            continue;
        std::uint32_t head = voice.FHead.load(std::memory_order_relaxed);
        const std::uint32_t tail = voice.FTail.load(std::memory_order_acquire);
        for (; head != tail; ++head) {
            WAVEHDR* header = voice.FQueue[head % kCapacity].load(std::memory_order_relaxed);
            header->dwFlags.store((header->dwFlags.load() | WHDR_DONE) & ~WHDR_INQUEUE);
        }
        voice.FHead.store(tail, std::memory_order_release);
    }
}

int Mixer::BusyVoices() const {
    int busy = 0;
    for (const Voice& voice : FVoices)
        busy += voice.FState.load(std::memory_order_acquire) != Voice::Free ? 1 : 0;
    return busy;
}

void Mixer::Complete(Voice& voice) {
    const std::uint32_t head = voice.FHead.load(std::memory_order_relaxed);
    WAVEHDR* header = voice.FQueue[head % kCapacity].load(std::memory_order_relaxed);
    voice.FPosition = 0;
    voice.FLoopsPlayed = 0;
    // Off the queue first: once its owner sees the flag clear, the queue no
    // longer holds it, so closing the handle right after succeeds. The owner
    // only reads the flags while the buffer is queued.
    voice.FHead.store(head + 1, std::memory_order_release);
    header->dwFlags.store((header->dwFlags.load(std::memory_order_relaxed) | WHDR_DONE) &
                              ~WHDR_INQUEUE,
                          std::memory_order_release);
}

void Mixer::RenderVoice(Voice& voice, float* out, int count, std::int64_t first, MixTap* tap) {
    const std::int64_t start = voice.FStartSample.load(std::memory_order_acquire);
    if (start == Voice::kNotScheduled || (start != kImmediately && start >= first + count))
        return;
    int i = start != kImmediately && start > first ? static_cast<int>(start - first) : 0;
    while (i < count) {
        const std::uint32_t head = voice.FHead.load(std::memory_order_relaxed);
        if (head == voice.FTail.load(std::memory_order_acquire))
            return; // nothing queued: the voice is silent until its next buffer
        const WAVEHDR* header = voice.FQueue[head % kCapacity].load(std::memory_order_relaxed);
        if (voice.FPosition >= header->dwBufferLength) { // an empty buffer plays nothing
            Complete(voice);
            continue;
        }
        if (voice.FFirstSample.load(std::memory_order_relaxed) < 0) {
            voice.FFirstSample.store(first + i, std::memory_order_release);
            FLatestStart.store(first + i, std::memory_order_release);
            if (start != kImmediately && first + i > start)
                FLateStarts.fetch_add(1, std::memory_order_relaxed);
        }
        const std::uint32_t run = std::min<std::uint32_t>(header->dwBufferLength - voice.FPosition,
                                                          static_cast<std::uint32_t>(count - i));
        const std::uint8_t* samples = header->lpData + voice.FPosition;
        for (std::uint32_t n = 0; n < run; ++n)
            out[i + static_cast<int>(n)] += Level(samples[n]);
        if (tap != nullptr) {
            for (std::uint32_t n = 0; n < run; ++n)
                tap->OnSample(voice.FSerial.load(std::memory_order_relaxed),
                              first + i + static_cast<int>(n), samples[n]);
        }
        i += static_cast<int>(run);
        voice.FPosition += run;
        if (voice.FPosition >= header->dwBufferLength) {
            voice.FPosition = 0;
            if (++voice.FLoopsPlayed >= std::max<std::uint32_t>(1, header->dwLoops))
                Complete(voice);
        }
    }
}

void Mixer::Render(float* out, int count) {
    FRendering.store(true);
    if (FShutDown.load()) {
        FRendering.store(false);
        return;
    }
    const std::int64_t first = FRendered.load(std::memory_order_relaxed);
    MixTap* tap = FTap.load(std::memory_order_acquire);
    for (Voice& voice : FVoices) {
        const int state = voice.FState.load(std::memory_order_acquire);
        if (state == Voice::Closed)
            voice.FState.store(Voice::Free, std::memory_order_release);
        else if (state == Voice::Active)
            RenderVoice(voice, out, count, first, tap);
    }
    FRendered.store(first + count, std::memory_order_release);
    FRendering.store(false);
}

void Mixer::PublishTiming(std::int64_t sample, std::int64_t timeNs) {
    // Sequentially consistent throughout: the two values and the sequence
    // number then fall in one order that every reader sees.
    const std::uint32_t seq = FTimingSeq.load();
    FTimingSeq.store(seq + 1);
    FTimingSample.store(sample);
    FTimingNs.store(timeNs);
    FTimingSeq.store(seq + 2);
}

Mixer::Timing Mixer::ReadTiming() const {
    for (;;) {
        const std::uint32_t before = FTimingSeq.load();
        const Timing timing{FTimingSample.load(), FTimingNs.load()};
        if ((before & 1) == 0 && before == FTimingSeq.load())
            return timing;
    }
}

std::int64_t Mixer::TimeOfSample(std::int64_t sample) const {
    const Timing timing = ReadTiming();
    return timing.ns < 0 ? -1 : timing.ns + (sample - timing.sample) * kNsPerSample;
}

std::int64_t Mixer::PlacementFor(std::int64_t restartNs) const {
    const Timing timing = ReadTiming();
    if (timing.ns < 0) // an output without a clock: the next render
        return FRendered.load(std::memory_order_acquire);
    const std::int64_t target = restartNs + FStartLatencyNs.load() - timing.ns;
    return timing.sample + (target + kNsPerSample - 1) / kNsPerSample;
}

} // namespace platform
