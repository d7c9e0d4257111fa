#include "MixRenderer.h"

#include <algorithm>

namespace platform {

namespace {
// Besides the output latency and a period: room for the callback's jitter.
constexpr std::int64_t kStartMarginNs = 2'000'000;
} // namespace

MixRenderer::MixRenderer(Mixer& mixer, int factor, int mixSamples, double jitterPeriods)
    : FMixer(mixer), FUpsampler(factor), FMixSamples(std::clamp(mixSamples, 1, kMaxMixSamples)),
      FLoop(static_cast<double>(FMixSamples) / Mixer::kRate, 0.5, jitterPeriods) {
    SetOutputLatency(0);
}

void MixRenderer::SetOutputLatency(std::int64_t latencyNs) {
    if (latencyNs <= FOutputLatencyNs)
        return;
    FOutputLatencyNs = latencyNs;
    // A start placed this far ahead of Restart() falls in a period that has
    // not been rendered yet, so every start sounds the same time after it.
    FMixer.SetStartLatency(latencyNs + FMixSamples * (1'000'000'000 / Mixer::kRate) +
                           kStartMarginNs);
}

void MixRenderer::RenderPeriod(float* out, std::int64_t outputNs) {
    FMixer.PublishTiming(FMixer.RenderedSamples(), FLoop.Update(outputNs));
    float mix[kMaxMixSamples] = {};
    FMixer.Render(mix, FMixSamples);
    FUpsampler.Process(mix, FMixSamples, out);
}

} // namespace platform
