#include "synth/NormalLanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "math/CertifiedGeometry.h"
#include "math/Geometry.h"
#include "synth/NormalEdges.h"

namespace orvalis {
namespace {

Vector3 Unit(const Vector3& v) {
    Vector3 unit;
    NormalizedCopy(v, unit);
    return unit;
}

bool SameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// True when the double path of the certified normalisation takes v's
// result as certain.
bool UnitIsCertain(const Vector3& v) {
    const double x = v.x, y = v.y, z = v.z;
    const double k = 1.0 / std::sqrt(x * x + y * y + z * z);
    float single;
    return SingleIsCertain(x * k, single) && SingleIsCertain(y * k, single) && SingleIsCertain(z * k, single);
}

// A vector make() returns whose unit vector lies almost halfway between
// two singles: the vector lanes must leave it to the extended path.
template <typename Make>
Vector3 NearTie(Make make) {
    for (;;) {
        if (const Vector3 v = make(); !UnitIsCertain(v)) return v;
    }
}

// The plain definition: the eight normals at extended precision summed in
// singles, normalised, times 127, truncated, low byte.
NormalEntry PlainNormal(const InteriorEdgeRows& rows, std::int32_t c) {
    const auto edge = [&](const SharedEdge& e) {
        const ConstComponentArrays& line = rows.Lines[e.Line];
        const std::int32_t i = c + e.Offset;
        const float sign = e.Opposite ? -1.0f : 1.0f;
        return Vector3{sign * line.X[i], sign * line.Y[i], sign * line.Z[i]};
    };
    Vector3 sum;
    for (const auto& t : InteriorTriangleEdges) {
        Vector3 cross, normal;
        CrossProduct(edge(t[0]), edge(t[1]), cross);
        NormalizedCopy(cross, normal);
        AddVectors(sum, normal, sum);
    }
    NormalizedCopy(sum, sum);
    ScaleVector(sum, sum, 127.0f);
    const auto byte = [](float v) { return static_cast<std::int8_t>(static_cast<std::uint8_t>(TruncToInt(v))); };
    return NormalEntry{byte(sum.x), byte(sum.y), byte(sum.z)};
}

// Edge lines of hills, level ground (exact zeros, where every triangle gives
// the same normal) and walls, with near-ties planted at the given columns
// (triangle t0 there); every kernel sets each pixel of its whole groups as
// the plain definition does, and leaves every near-tie to the caller.
TEST(NormalLanes, KernelsSetTheEntriesOfThePlainDefinition) {
    constexpr std::int32_t width = 1003, first = 3, end = width - 2;
    const std::vector<std::int32_t> nearTies = {first, 10, 11, 500, end - 8, end - 1};
    std::mt19937 random(11);
    std::uniform_real_distribution<float> slope(-3, 3), wall(-60, 60);
    // Across (2, rise, 0), up (0, rise, 2), diagonal (-2, rise, 2), normalised.
    constexpr float kLineX[kInteriorLineCount] = {2, 2, 0, -2, 2, 0, -2};
    constexpr float kLineZ[kInteriorLineCount] = {0, 0, 2, 2, 0, 2, 2};
    std::array<EdgeLine, kInteriorLineCount> lines;
    InteriorEdgeRows rows;
    for (int i = 0; i < kInteriorLineCount; ++i) {
        lines[i].Reset(width);
        for (std::int32_t c = 0; c < width; ++c) {
            const int kind = c / 7 % 3;  // runs of level ground, hills and walls
            const float rise = kind == 0 ? 0.0f : kind == 1 ? slope(random) : wall(random);
            lines[i].Set(c, Unit({kLineX[i], rise, kLineZ[i]}));
        }
    }
    for (const std::int32_t c : nearTies) {
        const Vector3 diagonal = Unit({-2, 1, 2});
        Vector3 across;
        NearTie([&] {
            across = Unit({2, slope(random), 0});
            Vector3 cross;
            CrossProduct(diagonal, across, cross);
            return cross;
        });
        lines[HereDiagonal].Set(c, diagonal);
        lines[BelowAcross].Set(c, across);
    }
    for (int i = 0; i < kInteriorLineCount; ++i) rows.Lines[i] = lines[i].Arrays();

    for (const NormalLaneKernel* kernel : NormalLaneKernelsHere()) {
        const NormalEntry untouched{-128, -128, -128};
        std::vector<NormalEntry> out(width, untouched);
        std::vector<std::int32_t> uncertain(end - first);
        uncertain.resize(kernel->Normals(rows, first, end, out.data(), uncertain.data()));
        const std::int32_t groupsEnd = first + (end - first) / kernel->Lanes * kernel->Lanes;
        for (std::int32_t c = 0; c < width; ++c) {
            const bool listed = std::count(uncertain.begin(), uncertain.end(), c) != 0;
            const bool nearTie = std::count(nearTies.begin(), nearTies.end(), c) != 0;
            if (c < first || c >= groupsEnd) {
                EXPECT_EQ(out[c], untouched) << kernel->Lanes << " lanes, column " << c;
                EXPECT_FALSE(listed) << kernel->Lanes << " lanes, column " << c;
            } else if (nearTie) {
                EXPECT_TRUE(listed) << kernel->Lanes << " lanes, column " << c;
            } else if (!listed) {
                ASSERT_EQ(out[c], PlainNormal(rows, c)) << kernel->Lanes << " lanes, column " << c;
            }
        }
        EXPECT_LT(uncertain.size(), nearTies.size() + 5) << kernel->Lanes << " lanes";
    }
}

// Edge vectors as the edge rows hold them (steps of 2 with heights in
// fifteenths, walls, level ground) and near-ties, in runs that do not fill
// whole lanes: NormalizeAll gives the plain unit vectors, and every kernel
// leaves the near-ties to it.
TEST(NormalLanes, NormalizeAllGivesThePlainUnitVectors) {
    constexpr std::int32_t size = 40000;
    const std::vector<std::int32_t> nearTies = {2, 9, size - 1};
    std::mt19937 random(3);
    std::uniform_int_distribution<int> sum(0, 765);
    std::uniform_real_distribution<float> rise(-3, 3);
    EdgeLine vectors;
    vectors.Reset(size);
    for (std::int32_t i = 0; i < size; ++i) {
        const float dy = i % 7 == 0 ? 0.0f : static_cast<float>(sum(random) / 15.0L) - static_cast<float>(sum(random) / 15.0L);
        vectors.Set(i, {i % 3 == 0 ? -2.0f : 2.0f, dy * (i % 11 == 0 ? 40 : 1), i % 2 == 0 ? 0.0f : 2.0f});
    }
    for (const std::int32_t i : nearTies) vectors.Set(i, NearTie([&] { return Vector3{2, rise(random), 2}; }));
    std::vector<std::int32_t> uncertain(size);
    for (const std::int32_t count : {0, 3, 5, 17, size}) {
        EdgeLine units;
        units.Reset(size);
        NormalizeAll(vectors.Arrays(), units.WritableArrays(), count, uncertain);
        for (std::int32_t i = 0; i < size; ++i) {
            const Vector3 want = i < count ? Unit(vectors.At(i)) : Vector3{};
            ASSERT_TRUE(SameBits(units.At(i), want)) << "vector " << i << " of " << count;
        }
    }
    for (const NormalLaneKernel* kernel : NormalLaneKernelsHere()) {
        EdgeLine units;
        units.Reset(size);
        const std::int32_t left = kernel->UnitVectors(vectors.Arrays(), units.WritableArrays(), size, uncertain.data());
        for (const std::int32_t i : nearTies) {
            EXPECT_EQ(std::count(uncertain.begin(), uncertain.begin() + left, i), 1) << kernel->Lanes << " lanes, " << i;
        }
        for (std::int32_t i = 0; i < size / kernel->Lanes * kernel->Lanes; ++i) {
            if (std::count(uncertain.begin(), uncertain.begin() + left, i) == 0) {
                ASSERT_TRUE(SameBits(units.At(i), Unit(vectors.At(i)))) << kernel->Lanes << " lanes, vector " << i;
            }
        }
    }
}

}  // namespace
}  // namespace orvalis
