#pragma once

#include "WaveOut.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace platform {

// Sees every sample each voice plays and every buffer written to it; for tests
// that check the exact stream. Called on the thread that renders (OnSample)
// and on the writing thread (OnWrite), never from a real-time audio callback:
// a tap is only attached to outputs that render on an ordinary thread.
class MixTap {
public:
    virtual ~MixTap() = default;
    // A voice played `sample` as mix sample number `index`.
    virtual void OnSample(std::uint64_t voiceSerial, std::int64_t index, std::uint8_t sample) = 0;
    virtual void OnWrite(std::uint64_t voiceSerial, const WAVEHDR& header) = 0;
};

// One wave-out handle: a slot of the mixer. The owner thread opens, writes,
// pauses, restarts and closes it; the rendering thread plays its queue.
class Voice {
public:
    enum State : int { Free, Opening, Active, Closed };
    static constexpr int kQueueCapacity = 32;
    static constexpr std::int64_t kNotScheduled = INT64_MAX;

private:
    friend class Mixer;

    // Free -> Opening (owner claims the slot) -> Active (owner, once set up)
    // -> Closed (owner) -> Free (the renderer, at its next render, so the slot
    // is never reset while a render reads it).
    std::atomic<int> FState{Free};
    // The queue: the owner appends at FTail, the renderer takes from FHead.
    std::array<std::atomic<WAVEHDR*>, kQueueCapacity> FQueue{};
    std::atomic<std::uint32_t> FHead{0};
    std::atomic<std::uint32_t> FTail{0};
    // Written by the owner (Pause, Restart), read by the renderer: the mix
    // sample index at which the queue starts to play.
    std::atomic<std::int64_t> FStartSample{0};
    // Written by the owner at Open, read by the renderer and the tap.
    std::atomic<std::uint64_t> FSerial{0};
    // Written by the renderer: the mix sample index of the first sample played.
    std::atomic<std::int64_t> FFirstSample{-1};
    // Renderer only: where it is in the buffer at the head of the queue.
    std::uint32_t FPosition = 0;
    std::uint32_t FLoopsPlayed = 0;
};

// Every open handle is a voice of one mix at 8000 samples per second. An
// output renders the mix (and converts it to its own rate); the mix runs
// without locks, allocation or blocking calls, so a real-time audio callback
// may render it.
//
// Starts are placed, not left to whichever render comes next: Restart() asks
// for the mix sample that sounds a fixed latency after it was called, using
// the mapping from the steady clock to mix samples that the output publishes.
class Mixer final : public WaveOut {
public:
    static constexpr int kVoices = 64;
    static constexpr int kRate = 8000;

    MMRESULT Open(HWAVEOUT* handle, const WAVEFORMATEX& format) override;
    MMRESULT Prepare(HWAVEOUT handle, WAVEHDR* header) override;
    MMRESULT Write(HWAVEOUT handle, WAVEHDR* header) override;
    MMRESULT Pause(HWAVEOUT handle) override;
    MMRESULT Restart(HWAVEOUT handle) override;
    MMRESULT RestartAt(HWAVEOUT handle, std::int64_t askedNs) override;
    MMRESULT Unprepare(HWAVEOUT handle, WAVEHDR* header) override;
    MMRESULT Close(HWAVEOUT handle) override;

    // --- The output's side ---

    // Whether an output renders the mix; without one, Open() fails.
    void SetOutputRunning(bool running) { FOutputRunning.store(running); }
    // Ends every voice at once (the output is gone for good): queued buffers
    // are marked done, so their owners finish; later opens fail. Safe while
    // an output still renders: a render under way is waited for, and later
    // renders play nothing, so no buffer is read after its owner got it back.
    void Shutdown();
    bool IsShutDown() const { return FShutDown.load(); }

    // Adds count samples of the mix, starting at the next mix sample, to out
    // (values around 0.0; the rest level of the 8-bit stream is 0). Real-time
    // safe: no locks, no allocation, no blocking.
    void Render(float* out, int count);

    // Publishes that mix sample `sample` leaves the output at steady time
    // `timeNs`, at the output's pace, and how long after Restart() a start is
    // placed so that the render that plays it has not begun yet. Real-time safe.
    void PublishTiming(std::int64_t sample, std::int64_t timeNs);
    void SetStartLatency(std::int64_t latencyNs) { FStartLatencyNs.store(latencyNs); }

    // --- Figures ---
    std::int64_t RenderedSamples() const { return FRendered.load(); }
    // The steady time at which a mix sample leaves the output; -1 before any timing.
    std::int64_t TimeOfSample(std::int64_t sample) const;
    // The mix sample at which a handle's first sample played; -1 until then.
    std::int64_t FirstSampleOf(HWAVEOUT handle) const { return handle->FFirstSample.load(); }
    int BusyVoices() const;
    // The mix sample at which the latest voice started, and the moment the
    // latest restart counted from: a benchmark's view of start latency.
    std::int64_t LatestStart() const { return FLatestStart.load(); }
    std::int64_t LatestRestartNs() const { return FLatestRestartNs.load(); }
    std::uint64_t LateStarts() const { return FLateStarts.load(); }

    // Attach before any voice opens; see MixTap.
    void SetTap(MixTap* tap) { FTap.store(tap); }

private:
    struct Timing {
        std::int64_t sample;
        std::int64_t ns;
    };
    static constexpr std::int64_t kNsPerSample = 1000000000 / kRate;

    bool IsOpenHandle(HWAVEOUT handle) const;
    Timing ReadTiming() const;
    std::int64_t PlacementFor(std::int64_t restartNs) const;
    // Renderer: plays one voice into out; returns nothing, updates its queue.
    void RenderVoice(Voice& voice, float* out, int count, std::int64_t first, MixTap* tap);
    void Complete(Voice& voice);

    std::array<Voice, kVoices> FVoices;
    std::atomic<bool> FOutputRunning{false};
    std::atomic<bool> FShutDown{false};
    // Set by the renderer for the length of a render; with FShutDown it makes
    // a handshake (both sequentially consistent): either the render sees the
    // shutdown and plays nothing, or the shutdown sees the render and waits.
    std::atomic<bool> FRendering{false};
    std::atomic<std::uint64_t> FNextSerial{1};
    std::atomic<MixTap*> FTap{nullptr};

    // Written by the renderer only.
    std::atomic<std::int64_t> FRendered{0};
    std::atomic<std::uint64_t> FLateStarts{0};
    std::atomic<std::int64_t> FLatestStart{-1};
    std::atomic<std::int64_t> FLatestRestartNs{-1}; // written by owners

    // The published timing, a sequence lock: the renderer (only writer) makes
    // FTimingSeq odd while it writes; readers retry until they see one even value.
    std::atomic<std::uint32_t> FTimingSeq{0};
    std::atomic<std::int64_t> FTimingSample{0};
    std::atomic<std::int64_t> FTimingNs{-1};
    std::atomic<std::int64_t> FStartLatencyNs{0};
};

} // namespace platform
