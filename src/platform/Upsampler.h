#pragma once

#include <array>
#include <vector>

namespace platform {

// Converts the 8000 Hz mix to a whole multiple of its rate with a polyphase
// windowed-sinc filter: every output sample is a real interpolation, and the
// images of the 800 Hz tone (7.2 and 8.8 kHz) fall far below it. Eight taps
// per phase keep the delay near half a millisecond.
class Upsampler {
public:
    static constexpr int kTapsPerPhase = 8;
    static constexpr int kMaxFactor = 12;

    explicit Upsampler(int factor);

    int Factor() const { return FFactor; }
    // The filter's delay in output samples.
    double DelaySamples() const { return (FFactor * kTapsPerPhase - 1) / 2.0; }

    // Turns count input samples into count * Factor() output samples.
    // Real-time safe: no allocation after construction.
    void Process(const float* in, int count, float* out);

private:
    int FFactor;
    std::vector<float> FTaps;                    // phase p, tap t at [p * kTapsPerPhase + t]
    std::array<float, kTapsPerPhase> FHistory{}; // the newest input first
};

} // namespace platform
