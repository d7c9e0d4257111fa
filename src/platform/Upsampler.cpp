#include "Upsampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

Upsampler::Upsampler(int factor)
    : FFactor(std::clamp(factor, 1, kMaxFactor)),
      FTaps(static_cast<std::size_t>(FFactor * kTapsPerPhase)) {
    // The prototype low-pass at the output rate, cut at 3.4 kHz, between the
    // tone and its first images; Blackman window.
    const int length = FFactor * kTapsPerPhase;
    const double cutoff = 3400.0 / (8000.0 * FFactor); // cycles per output sample
    const double middle = (length - 1) / 2.0;
    std::vector<double> prototype(static_cast<std::size_t>(length));
    for (int n = 0; n < length; ++n) {
        const double x = n - middle;
        const double sinc =
            x == 0.0 ? 2 * cutoff
                     : std::sin(2 * std::numbers::pi * cutoff * x) / (std::numbers::pi * x);
        const double window = 0.42 - 0.5 * std::cos(2 * std::numbers::pi * n / (length - 1)) +
                              0.08 * std::cos(4 * std::numbers::pi * n / (length - 1));
        prototype[static_cast<std::size_t>(n)] = sinc * window;
    }
    // Each phase is scaled to unity gain, so a constant input stays constant.
    for (int phase = 0; phase < FFactor; ++phase) {
        double sum = 0;
        for (int t = 0; t < kTapsPerPhase; ++t)
            sum += prototype[static_cast<std::size_t>(phase + t * FFactor)];
        for (int t = 0; t < kTapsPerPhase; ++t)
            FTaps[static_cast<std::size_t>(phase * kTapsPerPhase + t)] =
                static_cast<float>(prototype[static_cast<std::size_t>(phase + t * FFactor)] / sum);
    }
}

void Upsampler::Process(const float* in, int count, float* out) {
    for (int i = 0; i < count; ++i) {
        std::copy_backward(FHistory.begin(), FHistory.end() - 1, FHistory.end());
        FHistory[0] = in[i];
        for (int phase = 0; phase < FFactor; ++phase) {
            const float* taps = &FTaps[static_cast<std::size_t>(phase * kTapsPerPhase)];
            float sum = 0.0f;
            for (int t = 0; t < kTapsPerPhase; ++t)
                sum += taps[t] * FHistory[static_cast<std::size_t>(t)];
            *out++ = sum;
        }
    }
}

} // namespace platform
