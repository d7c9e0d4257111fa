#include "platform/DelayLockedLoop.h"
#include "platform/Upsampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Power of one frequency in a signal, by the Goertzel recurrence.
double Power(const std::vector<float>& x, double hz, double rate) {
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
    double s1 = 0, s2 = 0;
    for (float sample : x) {
        const double s0 = sample + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

TEST(UpsamplerTest, ToneImagesLieFarBelowTheTone) {
    for (int factor : {2, 6, 12}) {
        platform::Upsampler upsampler(factor);
        // Ten whole 800 Hz cycles of the tone's own sustain samples, many times.
        const float cycle[10] = {0, 18, 30, 30, 18, 0, -19, -31, -31, -19};
        std::vector<float> in;
        for (int i = 0; i < 8000; ++i)
            in.push_back(cycle[i % 10] / 128.0f);
        std::vector<float> out(in.size() * static_cast<std::size_t>(factor));
        upsampler.Process(in.data(), static_cast<int>(in.size()), out.data());
        const std::vector<float> steady(out.begin() + 1000, out.begin() + 1000 + 6000 * factor);
        const double rate = 8000.0 * factor;
        const double tone = Power(steady, 800, rate);
        if (factor == 2)
            continue; // 16 kHz output has no room for the 8.8 kHz image
        for (double image : {7200.0, 8800.0})
            EXPECT_LT(10 * std::log10(Power(steady, image, rate) / tone), -40)
                << image << " Hz at factor " << factor;
    }
}

TEST(UpsamplerTest, ConstantStaysConstant) {
    platform::Upsampler upsampler(6);
    std::vector<float> in(64, 0.25f), out(64 * 6);
    upsampler.Process(in.data(), 64, out.data());
    for (std::size_t i = 60; i < out.size(); ++i)
        EXPECT_NEAR(out[i], 0.25f, 1e-5) << i;
}

TEST(DelayLockedLoopTest, SmoothsJitterAndRidesOutStalls) {
    constexpr double kPeriodNs = 5e6;
    platform::DelayLockedLoop loop(kPeriodNs / 1e9, 0.5);
    const std::int64_t origin = 1'000'000'000;
    double worst = 0;
    for (int k = 0; k < 4000; ++k) {
        // Callbacks jitter by up to +-1 ms; a 30 ms stall with its catch-up
        // burst comes at k = 3000.
        std::int64_t ran =
            origin + static_cast<std::int64_t>(k * kPeriodNs) + ((k * 7919) % 2001 - 1000) * 1000;
        if (k >= 3000 && k < 3006)
            ran = origin + static_cast<std::int64_t>(3006 * kPeriodNs);
        const std::int64_t smoothed = loop.Update(ran);
        if (k > 1000)
            worst = std::max(worst, std::abs(smoothed - (origin + k * kPeriodNs)));
    }
    EXPECT_LT(worst, 0.3e6) << "the smoothed clock stays on the device's pace";
}

TEST(DelayLockedLoopTest, FollowsAStreamThatRestartedLater) {
    constexpr double kPeriodNs = 5e6;
    platform::DelayLockedLoop loop(kPeriodNs / 1e9, 0.5);
    std::int64_t smoothed = 0;
    for (int k = 0; k < 400; ++k) {
        // From k = 200 on, every callback comes 100 ms later than before.
        const std::int64_t ran =
            static_cast<std::int64_t>(k * kPeriodNs) + (k >= 200 ? 100'000'000 : 0);
        smoothed = loop.Update(ran);
    }
    EXPECT_NEAR(static_cast<double>(smoothed), 399 * kPeriodNs + 100e6, 0.3e6);
}

} // namespace
