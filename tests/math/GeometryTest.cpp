#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "math/Geometry.h"
#include "common/PlainVectors.h"

namespace orvalis {
namespace {

constexpr std::int32_t kIndefinite = std::numeric_limits<std::int32_t>::min();

TEST(GeometryTest, NormalisingGivesUnitVectors) {
    Vector3 v{3.0f, 0.0f, 4.0f};
    NormalizedCopy(v, v);
    EXPECT_EQ(v, (Vector3{0.6f, 0.0f, 0.8f}));

    const Vector3 up{0.0f, 127.0f, 0.0f};
    Vector3 r;
    NormalizedCopy(up, r);
    EXPECT_EQ(r, (Vector3{0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(up.y, 127.0f);

    Vector3 zero;
    NormalizedCopy(zero, zero);
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));
}

TEST(GeometryTest, CrossProductRoundsEachComponentOnce) {
    Vector3 r;
    CrossProduct(Vector3{1, 0, 0}, Vector3{0, 1, 0}, r);
    EXPECT_EQ(r, (Vector3{0, 0, 1}));
    CrossProduct(Vector3{0, 1, 0}, Vector3{1, 0, 0}, r);
    EXPECT_EQ(r, (Vector3{0, 0, -1}));

    // (1 + 2^-12)^2 - (1 + 2^-11) is 2^-24; rounding each product to single first would give 0.
    const float a = 1.0f + 0x1p-12f;
    CrossProduct(Vector3{0, a, 1}, Vector3{0, 1.0f + 0x1p-11f, a}, r);
    EXPECT_EQ(r.x, 0x1p-24f);
}

TEST(GeometryTest, DotProductIsHandedOnUnroundedInItsOrder) {
    EXPECT_EQ(DotProduct(Vector3{1, 2, 3}, Vector3{4, 5, 6}), 32.0L);

    const float a = 1.0f + 0x1p-20f;
    EXPECT_EQ(DotProduct(Vector3{a, 0, 0}, Vector3{a, 0, 0}), 1.0L + 0x1p-19L + 0x1p-40L);

    // (2^64 - 2^64) + 1: adding the y and z products first would lose the 1.
    const float big = 0x1p32f;
    EXPECT_EQ(DotProduct(Vector3{big, big, 1}, Vector3{big, -big, 1}), 1.0L);
}

TEST(GeometryTest, ComponentwiseOperationsAllowTheResultToBeAnInput) {
    Vector3 v{1.0f, 2.0f, 3.0f};
    AddVectors(v, Vector3{0.5f, 0.5f, 0.5f}, v);
    EXPECT_EQ(v, (Vector3{1.5f, 2.5f, 3.5f}));
    SubtractVectors(v, Vector3{1.0f, 1.0f, 1.0f}, v);
    EXPECT_EQ(v, (Vector3{0.5f, 1.5f, 2.5f}));
    test::ScaleVector(v, v, 2.0f);
    EXPECT_EQ(v, (Vector3{1.0f, 3.0f, 5.0f}));
}

TEST(GeometryTest, RoundToIntTiesToEven) {
    EXPECT_EQ(RoundToInt(0.5f), 0);
    EXPECT_EQ(RoundToInt(1.5f), 2);
    EXPECT_EQ(RoundToInt(2.5f), 2);
    EXPECT_EQ(RoundToInt(-0.5f), 0);
    EXPECT_EQ(RoundToInt(-1.5f), -2);
    EXPECT_EQ(RoundToInt(112.5f), 112);
    EXPECT_EQ(RoundToInt(153.0f), 153);
    EXPECT_EQ(RoundToInt(-127.9f), -128);
}

TEST(GeometryTest, TruncToIntRoundsTowardZero) {
    EXPECT_EQ(TruncToInt(2.9f), 2);
    EXPECT_EQ(TruncToInt(-2.9f), -2);
    EXPECT_EQ(TruncToInt(127.0f), 127);
    EXPECT_EQ(TruncToInt(153.0f), 153);
    EXPECT_EQ(TruncToInt(-127.9f), -127);
}

TEST(GeometryTest, OutOfRangeConversionsGiveTheIndefiniteInteger) {
    for (const float value : {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), 2147483648.0f,
                              -2147483904.0f, 1e30f}) {
        EXPECT_EQ(RoundToInt(value), kIndefinite) << value;
        EXPECT_EQ(TruncToInt(value), kIndefinite) << value;
    }
    EXPECT_EQ(RoundToInt(-2147483648.0f), kIndefinite);  // in range: the same value
    EXPECT_EQ(TruncToInt(-2147483648.0f), kIndefinite);
    EXPECT_EQ(RoundToInt(2147483520.0f), 2147483520);  // the largest single below 2^31
    EXPECT_EQ(TruncToInt(-2147483520.0f), -2147483520);
}

}  // namespace
}  // namespace orvalis
