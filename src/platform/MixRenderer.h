#pragma once

#include "DelayLockedLoop.h"
#include "Mixer.h"
#include "SteadyClock.h"
#include "Upsampler.h"

#include <cstdint>

namespace platform {

// What every clocked output does once per period: publish when this period's
// mix samples leave the output (smoothed by the loop), render them, and
// convert them to the output rate. Real-time safe.
class MixRenderer {
public:
    // A period of mixSamples mix samples; the output rate is 8000 * factor.
    // The times an output passes in jitter by up to jitterPeriods periods.
    MixRenderer(Mixer& mixer, int factor, int mixSamples, double jitterPeriods = 1);

    static constexpr int kMaxMixSamples = 256;

    int FramesPerPeriod() const { return FMixSamples * FUpsampler.Factor(); }
    int OutputRate() const { return Mixer::kRate * FUpsampler.Factor(); }
    // The upsampler's delay.
    std::int64_t DelayNs() const {
        return static_cast<std::int64_t>(FUpsampler.DelaySamples() * 1e9 / OutputRate());
    }

    // How long before it leaves the output a period is rendered, at most;
    // sets how far ahead of Restart() starts are placed. Only ever grows, so
    // once the stream has run a little every start lies the same time ahead.
    void SetOutputLatency(std::int64_t latencyNs);

    // Renders one period into out (FramesPerPeriod() mono samples) whose
    // first frame leaves the output at outputNs.
    void RenderPeriod(float* out, std::int64_t outputNs);

private:
    Mixer& FMixer;
    Upsampler FUpsampler;
    const int FMixSamples;
    DelayLockedLoop FLoop;
    std::int64_t FOutputLatencyNs = -1; // the largest seen; the rendering thread's
};

} // namespace platform
