#pragma once

#include "AudioOutput.h"
#include "MixRenderer.h"

#include <atomic>
#include <thread>

namespace platform {

// An output without a sound card: renders the mix period by period at the
// pace of the real clock, exactly as the audio callback would, and drops the
// result. Benchmarks measure everything but the card with it.
class PacedOutput final : public AudioOutput {
public:
    // 48000 Hz in periods of 5 ms, as the real output.
    explicit PacedOutput(Mixer& mixer, int factor = 6, int mixSamplesPerPeriod = 40);
    ~PacedOutput() override;

    bool Running() const override { return FRunning.load(); }
    void Stop() override;
    std::int64_t OutputLatencyNs() const override { return FRenderer.DelayNs(); }

    // Time spent rendering so far, for the mixer's share of a core.
    std::int64_t RenderNs() const { return FRenderNs.load(); }

private:
    void Run();

    Mixer& FMixer;
    MixRenderer FRenderer;
    std::atomic<bool> FRunning{true};
    std::atomic<std::int64_t> FRenderNs{0};
    std::thread FThread;
};

} // namespace platform
