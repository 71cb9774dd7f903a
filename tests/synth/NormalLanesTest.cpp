#include "synth/NormalLanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "math/Geometry.h"

namespace orvalis {
namespace {

// The plain definition: the eight normals at extended precision summed in
// singles, normalised, times 127, truncated, low byte.
NormalEntry PlainNormal(const PixelEdges& edges) {
    Vector3 sum;
    for (const TriangleEdges& t : edges) {
        Vector3 cross, normal;
        CrossProduct(t.E1, t.E2, cross);
        NormalizedCopy(cross, normal);
        AddVectors(sum, normal, sum);
    }
    NormalizedCopy(sum, sum);
    ScaleVector(sum, sum, 127.0f);
    const auto byte = [](float v) { return static_cast<std::int8_t>(static_cast<std::uint8_t>(TruncToInt(v))); };
    return NormalEntry{byte(sum.x), byte(sum.y), byte(sum.z)};
}

Vector3 Unit(const Vector3& v) {
    Vector3 unit;
    NormalizedCopy(v, unit);
    return unit;
}

// Edges of hills, of level ground (exact zeros, where every triangle gives
// the same normal) and of walls (steep edges, near-ties); every pixel the
// lanes set is set as the plain definition sets it, and on the machines
// with the vector instructions nearly all are set there.
TEST(NormalLanes, SetTheEntriesOfThePlainDefinition) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> slope(-3, 3), wall(-60, 60);
    int set = 0, total = 0;
    for (int round = 0; round < 20000; ++round) {
        std::array<PixelEdges, kNormalLanes> pixels;
        for (PixelEdges& edges : pixels) {
            for (TriangleEdges& t : edges) {
                const float rise = round % 5 == 0 ? 0.0f : round % 5 == 1 ? wall(random) : slope(random);
                t.E1 = Unit({2, rise, 0});
                t.E2 = Unit({round % 3 == 0 ? -2.0f : 0.0f, slope(random) * (round % 5 != 0), -2});
            }
        }
        std::array<NormalEntry, kNormalLanes> out{};
        const unsigned done = CertainNormals(pixels, out.data());
        for (int i = 0; i < kNormalLanes; ++i) {
            ++total;
            if (!(done >> i & 1)) continue;
            ++set;
            ASSERT_EQ(out[i], PlainNormal(pixels[i])) << "round " << round << ", lane " << i;
        }
    }
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2")) {
        EXPECT_GT(set, total * 99 / 100);
    }
#endif
}

// Edge vectors as the edge rows hold them (steps of 2 with heights in
// fifteenths, walls, level ground), in runs that do not fill whole lanes.
TEST(NormalLanes, NormalizeAllGivesThePlainUnitVectors) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> sum(0, 765);
    std::vector<Vector3> vectors;
    for (int i = 0; i < 40000; ++i) {
        const float rise = i % 7 == 0 ? 0.0f : static_cast<float>(sum(random) / 15.0L) - static_cast<float>(sum(random) / 15.0L);
        vectors.push_back({i % 3 == 0 ? -2.0f : 2.0f, rise * (i % 11 == 0 ? 40 : 1), i % 2 == 0 ? 0.0f : 2.0f});
    }
    for (const std::size_t count : {std::size_t{0}, std::size_t{3}, std::size_t{5}, vectors.size()}) {
        std::vector<Vector3> normalised = vectors;
        NormalizeAll(normalised.data(), count);
        for (std::size_t i = 0; i < vectors.size(); ++i) {
            const Vector3 want = i < count ? Unit(vectors[i]) : vectors[i];
            ASSERT_EQ(std::memcmp(&normalised[i], &want, sizeof want), 0) << "vector " << i << " of " << count;
        }
    }
}

}  // namespace
}  // namespace orvalis
