#include "ToneSynthesis.h"

#include <cmath>
#include <numbers>

namespace tone {

namespace {

double Envelope(int index, int j) {
    if (index == kAttackIndex)
        return (static_cast<double>(j + 1) / 100.0) * 10.0;
    if (index == kReleaseIndex)
        return static_cast<double>(100 - 10 * j) / 100.0;
    return 1.0;
}

} // namespace

int SynthesizeBuffer(int index, std::uint8_t* block) {
    for (int j = 0; j < kSamplesPerBuffer; ++j) {
        const int phaseDegrees = (j % kSamplesPerCycle) * (360 / kSamplesPerCycle);
        const double envelope = Envelope(index, j);
        const double clamped = envelope > 1.0 ? 1.0 : (envelope < 0.0 ? 0.0 : envelope);
        const double angle = (1.0 / 180.0) * phaseDegrees * std::numbers::pi;
        const double value = std::sin(angle) * kAmplitude * clamped + kRestLevel;
        const auto sample = static_cast<std::uint8_t>(static_cast<int>(value)); // truncation
        block[j] = sample;
        // The envelope has run past its range and the wave is back at rest:
        // the buffer ends with this sample.
        if ((envelope > 1.0 || envelope < 0.0) && sample == kRestLevel)
            return j + 1;
    }
    return kSamplesPerBuffer;
}

} // namespace tone
