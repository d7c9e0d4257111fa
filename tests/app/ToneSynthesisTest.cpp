#include "ToneSynthesis.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Samples(int index, int* count = nullptr) {
    std::vector<std::uint8_t> block(tone::kBlockBytes, 0);
    const int n = tone::SynthesizeBuffer(index, block.data());
    if (count)
        *count = n;
    for (int i = n; i < tone::kBlockBytes; ++i)
        EXPECT_EQ(block[i], 0) << "byte " << i << " of buffer " << index << " beyond its length";
    return std::vector<int>(block.begin(), block.begin() + n);
}

TEST(ToneSynthesisTest, AttackRisesAndEndsAtRest) {
    EXPECT_EQ(Samples(0), (std::vector<int>{127, 130, 136, 139, 136, 127, 113, 102, 99, 108, 127}));
}

TEST(ToneSynthesisTest, SustainBuffersAreTenWholeCycles) {
    const std::vector<int> cycle = {127, 145, 157, 157, 145, 127, 108, 96, 96, 108};
    for (int index = 1; index <= 6; ++index) {
        const std::vector<int> samples = Samples(index);
        ASSERT_EQ(samples.size(), 100u) << index;
        for (std::size_t j = 0; j < samples.size(); ++j)
            EXPECT_EQ(samples[j], cycle[j % 10]) << "buffer " << index << " sample " << j;
    }
}

TEST(ToneSynthesisTest, ReleaseFallsAndEndsWithTwoRestSamples) {
    EXPECT_EQ(Samples(7),
              (std::vector<int>{127, 143, 151, 148, 138, 127, 119, 117, 120, 125, 127, 127}));
}

} // namespace
