#include <bit>
#include <cstdint>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "math/RepeatedSum.h"
#include "math/RepeatedSumLanes.h"
#include "common/KernelLevels.h"

namespace orvalis {
namespace {

float AddOneByOne(float value, float step, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) value = value + step;
    return value;
}

TEST(RepeatedSum, EqualsAddingOneStepAtATime) {
    // Binade crossings both ways, zero crossings, steps below half a spacing
    // (the sum stands still, or creeps just under 1), steps of exactly one and
    // a half spacings (ties), steps of whole spacings and whole numbers.
    const std::tuple<float, float, std::int64_t> cases[] = {
        {1.0f, -4.371139e-8f, 5000}, {2.0f, -4.371139e-8f, 5000}, {0.5f, 0.894427f, 9000},
        {4095.0f, -0.70710677f, 7000}, {3.0f, -0.24253562f, 100}, {-3.0f, 0.24253562f, 100},
        {1.0f, 1.5f * 0x1p-23f, 3000}, {1024.5f, 3 * 0x1p-14f, 2000}, {7.0f, 1.0f, 20000},
        {100.0f, 0.0f, 50}, {0.0f, 0.1f, 30}, {200.33333f, 0.0099995f, 30000},
        {0x1p-130f, 0x1p-140f, 40}, {5.0f, -0x1p-126f, 10},
    };
    for (const auto& [start, step, count] : cases) {
        for (std::int64_t n = 0; n <= count; n += 1 + count / 97) {
            EXPECT_EQ(RepeatedSum(start, step, n), AddOneByOne(start, step, n))
                << start << " + " << n << " x " << step;
        }
    }
    std::mt19937 random(9);
    std::uniform_real_distribution<float> starts(-300.0f, 5000.0f), steps(-1.2f, 1.2f);
    for (int i = 0; i < 3000; ++i) {
        const float start = starts(random), step = steps(random);
        const std::int64_t n = random() % 6000;
        EXPECT_EQ(RepeatedSum(start, step, n), AddOneByOne(start, step, n)) << start << " + " << n << " x " << step;
    }
}

// Eight lanes at once give every lane's RepeatedSum, whatever mixture of
// binades, signs, zeros and ties the lanes hold, and leave unchosen lanes be.
TEST(RepeatedSum, InLanesEqualsOneLaneAtATime) {
    test::ForEachKernelLevel({KernelLevel::Scalar, KernelLevel::Avx2}, [](KernelLevel) {
        std::mt19937 random(4);
        std::uniform_real_distribution<float> starts(-50.0f, 4100.0f), steps(-1.0f, 1.0f);
        const float special[] = {0.0f, -0.0f, 1.0f, 2.0f - 0x1p-22f, 255.99998f, 0x1p-130f, 1024.0f, -3.0f};
        for (int i = 0; i < 4000; ++i) {
            const float step = i % 7 == 0 ? 1.5f * 0x1p-13f : i % 11 == 0 ? 0.0f : steps(random);
            const std::int64_t count = i % 5 == 0 ? random() % 20 : random() % 9000;
            const unsigned chosen = i % 3 == 0 ? 0xffu : static_cast<unsigned>(random() & 0xff);
            float values[kSumLanes], expected[kSumLanes];
            for (int j = 0; j < kSumLanes; ++j) {
                values[j] = (i + j) % 4 == 0 ? special[(i + j) / 4 % 8] : starts(random);
                expected[j] = chosen >> j & 1 ? RepeatedSum(values[j], step, count) : values[j];
            }
            RepeatedSumLanes(values, step, count, chosen);
            for (int j = 0; j < kSumLanes; ++j) {
                ASSERT_EQ(std::bit_cast<std::uint32_t>(values[j]), std::bit_cast<std::uint32_t>(expected[j]))
                    << "lane " << j << ": " << count << " x " << step;
            }
        }
    });
}

}  // namespace
}  // namespace orvalis
