#include <cstdint>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "math/RepeatedSum.h"

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

}  // namespace
}  // namespace orvalis
