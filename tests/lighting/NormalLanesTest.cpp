#include "lighting/NormalLanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "math/CertifiedGeometry.h"
#include "math/Geometry.h"
#include "lighting/NormalEdges.h"
#include "common/KernelLevels.h"
#include "common/PlainVectors.h"

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

// The vector kernels to compare with the plain path: those of every level
// this processor runs (the ones it lacks are skipped with a note).
std::vector<const NormalLaneKernel*> KernelsToCompare() {
    std::vector<const NormalLaneKernel*> kernels;
    test::ForEachKernelLevel([&](KernelLevel level) {
        if (const NormalLaneKernel* kernel = NormalLanesByLevel()[static_cast<int>(level)]) kernels.push_back(kernel);
    });
    return kernels;
}

// A vector make() returns whose unit vector lies almost halfway between
// two singles: the vector lanes must leave it to the extended path.
template <typename Make>
Vector3 NearTie(Make make) {
    for (;;) {
        if (const Vector3 v = make(); !UnitIsCertain(v)) return v;
    }
}

Vector3 PlainTriangleNormal(const Vector3& e1, const Vector3& e2) {
    Vector3 cross, normal;
    CrossProduct(e1, e2, cross);
    NormalizedCopy(cross, normal);
    return normal;
}

// The plain definition of an entry: the sum normalised at extended
// precision, times 127, truncated, low byte.
NormalEntry PlainEntry(Vector3 sum) {
    NormalizedCopy(sum, sum);
    test::ScaleVector(sum, sum, 127.0f);
    const auto byte = [](float v) { return static_cast<std::int8_t>(static_cast<std::uint8_t>(TruncToInt(v))); };
    return NormalEntry{byte(sum.x), byte(sum.y), byte(sum.z)};
}

// Unit edges of level ground (exact zeros), hills and walls, in runs.
EdgeLine EdgeLineOf(std::int32_t width, float x, float z, std::mt19937& random) {
    std::uniform_real_distribution<float> slope(-3, 3), wall(-60, 60);
    EdgeLine line;
    line.ZeroFrom(0, width);
    for (std::int32_t c = 0; c < width; ++c) {
        const int kind = c / 7 % 3;
        line.Set(c, Unit({x, kind == 0 ? 0.0f : kind == 1 ? slope(random) : wall(random), z}));
    }
    return line;
}

// A kernel's run over first .. end: it lists every near-tie and no column
// twice, every other column of the run holds the plain result (plain(c)),
// and the columns outside the run are untouched (untouched(c)).
template <typename Plain, typename Untouched>
void ExpectPlainRun(const NormalLaneKernel& kernel, std::int32_t first, std::int32_t end, std::int32_t width,
                    const std::vector<std::int32_t>& listed, const std::vector<std::int32_t>& nearTies,
                    Plain plain, Untouched untouched) {
    for (std::int32_t c = 0; c < width; ++c) {
        const auto times = std::count(listed.begin(), listed.end(), c);
        const bool nearTie = std::count(nearTies.begin(), nearTies.end(), c) != 0;
        SCOPED_TRACE(testing::Message() << kernel.Lanes << " lanes, column " << c);
        if (c < first || c >= end) {
            EXPECT_TRUE(untouched(c));
            EXPECT_EQ(times, 0);
        } else {
            EXPECT_LE(times, 1);
            if (nearTie) {
                EXPECT_EQ(times, 1);
            }
            if (times == 0) {
                ASSERT_TRUE(plain(c));
            }
        }
    }
    EXPECT_LT(listed.size(), nearTies.size() + 5) << kernel.Lanes << " lanes";
}

// Edges as the edge rows hold them, with near-ties planted; runs whose
// length is no whole number of lanes.
TEST(NormalLanes, TriangleNormalsAreThePlainOnes) {
    constexpr std::int32_t width = 1003, first = 3, end = width - 2;
    // end - 3 and end - 7 lie where the last group of four (eight) lanes
    // overlaps the one before: listed once all the same.
    const std::vector<std::int32_t> nearTies = {first, 10, 11, 500, end - 8, end - 7, end - 3, end - 1};
    std::mt19937 random(11);
    std::uniform_real_distribution<float> slope(-3, 3);
    EdgeLine diagonal = EdgeLineOf(width, -2, 2, random), across = EdgeLineOf(width, 2, 0, random);
    for (const std::int32_t c : nearTies) {
        Vector3 edge;
        NearTie([&] {
            Vector3 cross;
            CrossProduct(diagonal.At(c), edge = Unit({2, slope(random), 0}), cross);
            return cross;
        });
        across.Set(c, edge);
    }
    // As t0 and t4 take them: straight, and both reversed two columns on
    // (the same cross product, so the same near-ties there).
    std::vector<std::int32_t> nearTiesReversed;
    for (const std::int32_t c : nearTies) {
        if (c + 2 < end) nearTiesReversed.push_back(c + 2);
    }
    const EdgeOperand straight[2] = {{diagonal.Arrays(), 0, false}, {across.Arrays(), 0, false}};
    const EdgeOperand reversed[2] = {{diagonal.Arrays(), -2, true}, {across.Arrays(), -2, true}};
    const auto edge = [](const EdgeOperand& e, std::int32_t c) {
        const Vector3 v{e.Line.X[c + e.Offset], e.Line.Y[c + e.Offset], e.Line.Z[c + e.Offset]};
        return e.Opposite ? Vector3{-v.x, -v.y, -v.z} : v;
    };
    for (const NormalLaneKernel* kernel : KernelsToCompare()) {
        for (const auto* operands : {straight, reversed}) {
            const EdgeOperand &e1 = operands[0], &e2 = operands[1];
            EdgeLine normals;
            normals.ZeroFrom(0, width);
            std::vector<std::int32_t> listed(end - first);
            listed.resize(kernel->TriangleNormals(e1, e2, first, end, normals.WritableArrays(), listed.data()));
            ExpectPlainRun(*kernel, first, end, width, listed, operands == straight ? nearTies : nearTiesReversed,
                [&](std::int32_t c) { return SameBits(normals.At(c), PlainTriangleNormal(edge(e1, c), edge(e2, c))); },
                [&](std::int32_t c) { return SameBits(normals.At(c), Vector3{}); });
        }
    }
}

// Sums of eight unit normals of hills and walls, and near-tie sums.
TEST(NormalLanes, EntriesAreThePlainOnes) {
    constexpr std::int32_t width = 203, first = 3, end = width - 2;
    const std::vector<std::int32_t> nearTies = {first, 50, end - 7, end - 3, end - 1};  // two in overlaps
    std::mt19937 random(5);
    std::uniform_real_distribution<float> rise(-3, 3);
    std::array<EdgeLine, 8> normals;
    ConstComponentArrays arrays[8];
    for (int t = 0; t < 8; ++t) {
        normals[t] = EdgeLineOf(width, t % 2 == 0 ? 0.5f : -0.5f, t % 3 == 0 ? 0.0f : 0.5f, random);
        // A near-tie sum: the first normal alone.
        for (const std::int32_t c : nearTies) {
            normals[t].Set(c, t == 0 ? NearTie([&] { return Vector3{1, rise(random), 1}; }) : Vector3{});
        }
        arrays[t] = normals[t].Arrays();
    }
    const auto sum = [&](std::int32_t c) {
        Vector3 total;
        for (const EdgeLine& normal : normals) AddVectors(total, normal.At(c), total);
        return total;
    };
    for (const NormalLaneKernel* kernel : KernelsToCompare()) {
        const NormalEntry untouched{-128, -128, -128};
        std::vector<NormalEntry> out(width, untouched);
        std::vector<std::int32_t> listed(end - first);
        listed.resize(kernel->Entries(arrays, first, end, out.data(), listed.data()));
        ExpectPlainRun(*kernel, first, end, width, listed, nearTies,
            [&](std::int32_t c) { return out[c] == PlainEntry(sum(c)); },
            [&](std::int32_t c) { return out[c] == untouched; });
    }
}

// Edge vectors as the edge rows hold them (steps of 2 with heights in
// fifteenths, walls, level ground) and near-ties, in runs that do not fill
// whole lanes: NormalizeAll gives the plain unit vectors, and every kernel
// leaves the near-ties to it.
TEST(NormalLanes, NormalizeAllGivesThePlainUnitVectors) {
    constexpr std::int32_t size = 40000;
    // The last outside the kernels' run; size - 4 and size - 8 in the
    // overlap of their last group of four (eight) lanes with the one before.
    const std::vector<std::int32_t> nearTies = {2, 9, size - 8, size - 4, size - 1};
    constexpr std::int32_t tiny = 20;
    std::mt19937 random(3);
    std::uniform_int_distribution<int> sum(0, 765);
    std::uniform_real_distribution<float> rise(-3, 3);
    EdgeLine vectors;
    vectors.ZeroFrom(0, size);
    for (std::int32_t i = 0; i < size; ++i) {
        const float dy =
            i % 7 == 0 ? 0.0f : static_cast<float>(sum(random) / 15.0L) - static_cast<float>(sum(random) / 15.0L);
        vectors.Set(i, {i % 3 == 0 ? -2.0f : 2.0f, dy * (i % 11 == 0 ? 40 : 1), i % 2 == 0 ? 0.0f : 2.0f});
    }
    for (const std::int32_t i : nearTies) vectors.Set(i, NearTie([&] { return Vector3{2, rise(random), 2}; }));
    // A component that rounds to a subnormal single is left to the extended path too.
    vectors.Set(tiny, {2, 3e-39f, 0});
    std::vector<std::int32_t> uncertain(size);
    test::ForEachKernelLevel([&](KernelLevel) {
        for (const std::int32_t count : {0, 3, 5, 17, size}) {
            EdgeLine units;
            units.ZeroFrom(0, size);
            NormalizeAll(vectors.Arrays(), units.WritableArrays(), count, uncertain);
            for (std::int32_t i = 0; i < size; ++i) {
                const Vector3 want = i < count ? Unit(vectors.At(i)) : Vector3{};
                ASSERT_TRUE(SameBits(units.At(i), want)) << "vector " << i << " of " << count;
            }
        }
    });
    for (const NormalLaneKernel* kernel : KernelsToCompare()) {
        constexpr std::int32_t first = 2, end = size - 1;
        EdgeLine units;
        units.ZeroFrom(0, size);
        uncertain.resize(kernel->UnitVectors(vectors.Arrays(), units.WritableArrays(), first, end, uncertain.data()));
        ExpectPlainRun(*kernel, first, end, size, uncertain, {first, 9, end - 7, end - 3, tiny},
            [&](std::int32_t i) { return SameBits(units.At(i), Unit(vectors.At(i))); },
            [&](std::int32_t i) { return SameBits(units.At(i), Vector3{}); });
    }
}

}  // namespace
}  // namespace orvalis
