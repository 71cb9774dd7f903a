#include "lighting/ScaledHeights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "math/CertifiedGeometry.h"
#include "common/KernelLevels.h"
#include "common/RealHeights.h"

namespace orvalis {
namespace {

constexpr std::int32_t kWidth = 37;  // not a whole number of lanes: the last group overlaps
constexpr std::int32_t kRows = 3;

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The plain definition: (height x scale) / divisor at extended precision,
// rounded to single once.
float Plain(double height, float scale, float divisor) {
    return static_cast<float>(static_cast<long double>(height) * scale / divisor);
}

bool Uncertain(double height, float scale, float divisor) {
    float single;
    return !SingleIsCertain(height * scale / divisor, single);
}

HeightPlane SamplePlane(const SampleScale& s, const std::function<float(std::int32_t, std::mt19937&)>& sampleAt) {
    std::mt19937 random(5);
    HeightPlane plane{kWidth, kRows, {}, {}};
    plane.Scale = s;
    for (std::int32_t i = 0; i < kWidth * kRows; ++i) plane.Samples.push_back(sampleAt(i, random));
    return plane;
}

struct RowCase {
    std::string Name;
    HeightPlane Plane;
    float Scale;
    float Divisor;
};

std::vector<RowCase> RowCases() {
    constexpr float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const SampleScale dem{246.8, 824.6};
    std::vector<RowCase> cases;
    // Samples without data, below and above the range (clamped) and -0
    // (kept negative by the clamp), among others.
    cases.push_back({"float samples, divisor 5", SamplePlane(SampleScale{0, 900}, [&](std::int32_t i, std::mt19937& r) {
                         const float special[] = {nan, inf, -inf, -0.0f, -20.0f, 1e30f, 900.0f, 0.0f};
                         const std::int32_t c = i % kWidth;
                         if (c % 4 == 1) return special[(c / 4 + i / kWidth) % 8];
                         return std::uniform_real_distribution<float>(0, 900)(r);
                     }),
                     1, 5});
    // Over 0 .. 255 a sample is its height; 1.5 x an odd significand below
    // 2^25 / 3 lies halfway between two singles, a tie only the plain
    // formula decides. Ties at the first column, in the last group's
    // overlap and at the last column.
    cases.push_back({"float samples at ties, a scale of 1.5", SamplePlane(SampleScale{0, 255}, [&](std::int32_t i, std::mt19937&) {
                         const std::int32_t c = i % kWidth;
                         const bool tie = c == 0 || c == 33 || c == kWidth - 1 || c % 5 == 2;
                         return 64.0f + static_cast<float>(2 * i + (tie ? 1 : 0)) / (1 << 18);
                     }),
                     1.5f, 1});
    cases.push_back({"float samples of a DEM, as the shadow rays start", SamplePlane(dem, [&](std::int32_t, std::mt19937& r) {
                         return std::uniform_real_distribution<float>(200, 1100)(r);
                     }),
                     1, 1});
    cases.push_back({"16-bit samples, a scale of 3", SamplePlane(SampleScale{0, 65535}, [](std::int32_t i, std::mt19937&) {
                         return static_cast<float>(i * 1777 % 65536);
                     }),
                     3, 5});
    cases.push_back({"no span: every height 0", SamplePlane(SampleScale{7, 0}, [](std::int32_t i, std::mt19937&) {
                         return static_cast<float>(i);
                     }),
                     1, 5});
    // Doubles five times a midpoint between two singles: exact ties.
    cases.push_back({"doubles with exact ties", test::RealHeightPlane(kWidth, kRows, [](std::int32_t row, std::int32_t c) {
                         const double level = 1 + (row * kWidth + c) / 200.0;
                         if (c % 3 != 0) return level * 5;
                         const float below = static_cast<float>(level);
                         return (below + (std::nextafter(below, 2.0f) - below) / 2.0) * 5;
                     }),
                     1, 5});
    return cases;
}

// Every row as the plain formula gives it, bit for bit, at every kernel level.
TEST(ScaledHeights, RowsAreThePlainFormula) {
    for (const RowCase& rowCase : RowCases()) {
        SCOPED_TRACE(rowCase.Name);
        const ScaledHeights heights(rowCase.Plane, rowCase.Scale, rowCase.Divisor);
        test::ForEachKernelLevel([&](KernelLevel) {
            std::vector<std::int32_t> uncertain;
            for (std::int32_t row = 0; row < kRows; ++row) {
                std::vector<float> out(kWidth, 99.0f);
                heights.Row(row, out.data(), uncertain);
                for (std::int32_t c = 0; c < kWidth; ++c) {
                    const std::size_t i = rowCase.Plane.IndexOf(row, c);
                    const float want = Plain(rowCase.Plane.Height(i), rowCase.Scale, rowCase.Divisor);
                    ASSERT_TRUE(SameBits(out[c], want)) << "row " << row << " column " << c << ": " << out[c]
                                                        << " instead of " << want;
                    ASSERT_TRUE(SameBits(heights.At(i), want)) << "At, row " << row << " column " << c;
                }
            }
        });
    }
}

// The rows above really reach the plain formula's fallback and the sign of zero.
TEST(ScaledHeights, CasesHoldNearTiesAndNegativeZero) {
    for (const RowCase& rowCase : RowCases()) {
        if (rowCase.Name.find("ties") == std::string::npos) continue;
        int ties = 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(kWidth) * kRows; ++i) {
            ties += Uncertain(rowCase.Plane.Height(i), rowCase.Scale, rowCase.Divisor);
        }
        EXPECT_GE(ties, 9) << rowCase.Name;
    }
    EXPECT_TRUE(std::signbit(Plain(SampleScale{0, 900}.Height(-0.0f), 1, 5)));
}

}  // namespace
}  // namespace orvalis
