#include "MixRenderer.h"

#include <algorithm>
#include <chrono>

namespace platform {

std::int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {
// A period, a margin for the callback's jitter: a start placed this far ahead
// of Restart() always falls in a render that has not begun.
constexpr std::int64_t kStartMarginNs = 2'000'000;
} // namespace

MixRenderer::MixRenderer(Mixer& mixer, int factor, int mixSamples)
    : FMixer(mixer), FUpsampler(factor), FMixSamples(std::clamp(mixSamples, 1, kMaxMixSamples)),
      FLoop(static_cast<double>(FMixSamples) / Mixer::kRate, 0.5) {
    FMixer.SetStartLatency(FMixSamples * (1'000'000'000 / Mixer::kRate) + kStartMarginNs);
}

void MixRenderer::RenderPeriod(float* out, std::int64_t nowNs) {
    FMixer.PublishTiming(FMixer.RenderedSamples(), FLoop.Update(nowNs));
    float mix[kMaxMixSamples] = {};
    FMixer.Render(mix, FMixSamples);
    FUpsampler.Process(mix, FMixSamples, out);
}

} // namespace platform
