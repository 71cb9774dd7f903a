#include "lighting/ScaledHeights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/KernelLevels.h"
#include "common/RealHeights.h"

namespace orvalis {
namespace {

constexpr std::int32_t kWidth = 37;  // not a whole number of lanes: the last group overlaps
constexpr std::int32_t kRows = 2;

// Over 0 .. 765 a sample's height is a third of it, rounded; 4.5 x that lies
// next to 1.5 x the sample, which for an odd significand below 2^25 / 3 is
// halfway between two singles: the double rounds onto the tie, the extended
// product keeps the side (at the first column, in the last group's overlap,
// at the last). Also samples without data, out of range (clamped) and -0,
// which the clamp keeps negative.
HeightPlane SamplesWithTies() {
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float special[] = {std::nanf(""), inf, -inf, -0.0f, -20.0f, 1e30f};
    HeightPlane plane{kWidth, kRows, {}, {}};
    plane.Scale = SampleScale{0, 765};
    for (std::int32_t i = 0; i < kWidth * kRows; ++i) {
        const std::int32_t c = i % kWidth;
        const bool tie = c == 0 || c == 33 || c == kWidth - 1 || c % 5 == 2;
        plane.Samples.push_back(c % 5 == 4 ? special[i % 6] : 64.0f + static_cast<float>(2 * i + tie) / (1 << 17));
    }
    return plane;
}

// A third of a midpoint between two singles, rounded: three times it lies
// next to the tie, as above.
double ThirdOfMidpoint(std::int32_t row, std::int32_t c) {
    const float below = static_cast<float>(1 + (row * kWidth + c) / 200.0);
    return (below + (c % 3 == 0 ? (std::nextafter(below, 2.0f) - below) / 2.0 : 0.0)) / 3;
}

// Every row bit for bit as the extended formula gives it, at every kernel level.
TEST(ScaledHeights, RowsAreTheExtendedFormula) {
    struct Case {
        const char* Name;
        HeightPlane Plane;
        float Scale, Divisor;
    };
    HeightPlane noSpan{kWidth, kRows, {}, {}, UnsetValues<float>(kWidth * kRows, 9.0f), SampleScale{7, 0}};
    const Case cases[] = {{"samples, ties, specials", SamplesWithTies(), 4.5f, 1},
                          {"doubles, ties", test::RealHeightPlane(kWidth, kRows, ThirdOfMidpoint), 3, 1},
                          {"samples, no span", noSpan, 1, 5}};
    for (const Case& one : cases) {
        SCOPED_TRACE(one.Name);
        const ScaledHeights heights(one.Plane, one.Scale, one.Divisor);
        test::ForEachKernelLevel([&](KernelLevel) {
            std::vector<std::int32_t> uncertain;
            std::vector<float> out(kWidth);
            for (std::int32_t row = 0; row < kRows; ++row) {
                heights.Row(row, out.data(), uncertain);
                for (std::int32_t c = 0; c < kWidth; ++c) {
                    const long double height = one.Plane.At(row, c);
                    const float want = static_cast<float>(height * one.Scale / one.Divisor);
                    ASSERT_EQ(std::memcmp(&out[c], &want, sizeof want), 0)
                        << "row " << row << " column " << c << ": " << out[c] << " instead of " << want;
                }
            }
        });
    }
}

}  // namespace
}  // namespace orvalis
