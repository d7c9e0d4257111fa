#pragma once

#include "DelayLockedLoop.h"
#include "Mixer.h"
#include "Upsampler.h"

#include <cstdint>

namespace platform {

// What every clocked output does once per period: publish when this period's
// mix samples render (smoothed by the loop), render them, and convert them to
// the output rate. Real-time safe.
class MixRenderer {
public:
    // A period of mixSamples mix samples; the output rate is 8000 * factor.
    MixRenderer(Mixer& mixer, int factor, int mixSamples);

    static constexpr int kMaxMixSamples = 256;

    int FramesPerPeriod() const { return FMixSamples * FUpsampler.Factor(); }
    int OutputRate() const { return Mixer::kRate * FUpsampler.Factor(); }

    // Renders one period into out (FramesPerPeriod() mono samples) for a
    // callback that ran at nowNs.
    void RenderPeriod(float* out, std::int64_t nowNs);

private:
    Mixer& FMixer;
    Upsampler FUpsampler;
    const int FMixSamples;
    DelayLockedLoop FLoop;
};

std::int64_t SteadyNowNs();

} // namespace platform
