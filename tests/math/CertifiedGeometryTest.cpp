#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "math/CertifiedGeometry.h"
#include "common/PlainVectors.h"

namespace orvalis {
namespace {

bool SameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Vectors like those of the lighting: whole numbers, steps of 2 with heights
// in fifteenths, unit vectors and sums of them, zero and signed-zero
// components, tiny components, and random ones.
std::vector<Vector3> TestVectors() {
    std::vector<Vector3> vectors = {{3, 0, 4}, {0, 127, 0}, {-2, 0.0666667f, 2}, {-0.0f, 1, 0},
                                    {1e-30f, 1, -1e-30f}, {-4.371139e-8f, 0.5f, 1}, {2, 0, 0},
                                    {0, 0, 0}, {1e20f, 1, 3}, {1e-20f, 1e-20f, 1e-20f}};
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1, 1), height(0, 51);
    std::uniform_int_distribution<int> sum(0, 765), whole(-127, 127);
    for (int i = 0; i < 200000; ++i) {
        vectors.push_back({unit(random), unit(random), unit(random)});
        vectors.push_back({2.0f * (i % 3 - 1), height(random) - height(random), 2.0f * (i % 2 ? 1 : -1)});
        vectors.push_back({2, static_cast<float>(sum(random) / 15.0L) - static_cast<float>(sum(random) / 15.0L), 0});
        vectors.push_back({static_cast<float>(whole(random)), static_cast<float>(whole(random)),
                           static_cast<float>(whole(random))});
    }
    return vectors;
}

TEST(CertifiedGeometry, GivesTheSinglesOfTheExtendedOperations) {
    const std::vector<Vector3> vectors = TestVectors();
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        const Vector3& a = vectors[i];
        const Vector3& b = vectors[(i * 7919 + 1) % vectors.size()];
        Vector3 plain, certified;
        NormalizedCopy(a, plain);
        CertifiedNormalizedCopy(a, certified);
        ASSERT_TRUE(SameBits(plain, certified)) << "normalising " << a.x << ", " << a.y << ", " << a.z;
        CrossProduct(a, b, plain);
        CertifiedCrossProduct(a, b, certified);
        ASSERT_TRUE(SameBits(plain, certified)) << "crossing " << a.x << ", " << a.y << ", " << a.z;
        test::ScaleVector(a, plain, 127.0f);
        DoubleScaleVector(a, certified, 127.0f);
        ASSERT_TRUE(SameBits(plain, certified)) << "scaling " << a.x << ", " << a.y << ", " << a.z;
    }
}

TEST(CertifiedGeometry, LeavesTiesAndSpecialValuesToTheExtendedOperation) {
    float single = 0;
    EXPECT_TRUE(SingleIsCertain(0.0, single));
    EXPECT_TRUE(SingleIsCertain(0.1, single));
    EXPECT_EQ(single, 0.1f);
    // 1 + 2^-24 lies exactly halfway between the singles 1 and 1 + 2^-23.
    EXPECT_FALSE(SingleIsCertain(1 + 0x1p-24, single));
    EXPECT_FALSE(SingleIsCertain(1 + 0x1p-24 + 0x1p-50, single));
    EXPECT_TRUE(SingleIsCertain(1 + 0x1p-24 + 0x1p-40, single));
    EXPECT_FALSE(SingleIsCertain(1e-40, single));  // a subnormal single
    EXPECT_FALSE(SingleIsCertain(1e300, single));
    EXPECT_FALSE(SingleIsCertain(std::numeric_limits<double>::quiet_NaN(), single));
}

}  // namespace
}  // namespace orvalis
