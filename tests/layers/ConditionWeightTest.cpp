#include "layers/ConditionWeight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <type_traits>

#include "layers/ByteWeights.h"
#include "layers/EdgeLanes.h"

namespace orvalis {
namespace {

// The weight of a condition at each value, as a row of them gets it.
template <class Rule>
std::vector<double> WeightsAt(const Rule& rule, const std::vector<double>& values) {
    std::vector<double> weights(values.size(), 1.0), inside(values.size());
    if constexpr (std::is_same_v<Rule, AspectRule>) {
        MultiplyAspect(weights, values.data(), rule, inside);
    } else {
        MultiplyRange(weights, values.data(), rule, inside);
    }
    return weights;
}

TEST(ConditionWeight, RampsAreCentredOnTheBoundsAndHardBoundsBelong) {
    const RangeRule steep{35, kOpenEnd, 8, 0};    // above 35 deg, ramp 8 deg
    const RangeRule hard{35, kOpenEnd, 0, 0};
    const RangeRule band{0, 10, 4, 0};            // 0 .. 10, ramp 4
    const RangeRule low{-kOpenEnd, 5, 2, 0};       // below 5, ramp 2
    struct Case {
        const RangeRule& Range;
        double Value;
        double Weight;
    };
    const Case cases[] = {
        {steep, 31, 0},    {steep, 33, 0.25}, {steep, 35, 0.5}, {steep, 39, 1},  {steep, 90, 1}, {steep, 20, 0},
        {hard, 35, 1},     {hard, std::nextafter(35.0, 0.0), 0}, {band, -2, 0},  {band, 2, 1},   {band, 10, 0.5},
        {band, 12, 0},     {low, -1e9, 1},    {low, 4, 1},      {low, 6, 0},     {steep, NAN, 0}, {low, NAN, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(WeightsAt(c.Range, {c.Value})[0], c.Weight) << c.Value;
}

TEST(ConditionWeight, AspectsWrapAcrossNorth) {
    const AspectRule north{0, 90, 20, 0};   // 315 .. 45 fully, fading out by 55 and 305
    const AspectRule nearNorth{350, 40, 0, 0};
    struct Case {
        const AspectRule& Aspect;
        double Degrees;
        double Weight;
    };
    const Case cases[] = {
        {north, 0, 1},       {north, 35, 1},       {north, -35, 1},    {north, 325, 1},  {north, 45, 0.5},
        {north, 315, 0.5},   {north, -45, 0.5},    {north, 50, 0.25},  {north, 55, 0},   {north, 180, 0},
        {north, -180, 0},    {north, 360, 1},      {nearNorth, 10, 1}, {nearNorth, 330, 1}, {nearNorth, 11, 0},
        {nearNorth, -170, 0}, {north, NAN, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(WeightsAt(c.Aspect, {c.Degrees})[0], c.Weight) << c.Degrees;
}

TEST(EdgeLanes, EqualThePlainEdges) {
    const std::vector<double> inside = {-3, -2, -1.5, -0.0, 0.0, 0.7, 1.9, 2, 7, NAN, INFINITY, -INFINITY, 1e-300};
    for (const double ramp : {4.0, 0.3}) {
        std::vector<double> ramps(inside.size(), 0.75), steps(inside.size(), 0.75);
        MultiplyRamps(ramps.data(), inside.data(), ramp, inside.size());
        MultiplySteps(steps.data(), inside.data(), inside.size());
        for (std::size_t k = 0; k < inside.size(); ++k) {
            EXPECT_EQ(ramps[k], 0.75 * RampWeight(inside[k], ramp)) << inside[k];
            EXPECT_EQ(steps[k], 0.75 * StepWeight(inside[k])) << inside[k];
        }
    }
}

TEST(ByteWeights, AddUpTo255WithTheFallbackFillingWhatIsLeft) {
    struct Case {
        std::vector<double> Weights;
        std::size_t Fallback;
        std::vector<int> Bytes;
    };
    const Case cases[] = {
        {{0, 0, 0}, 1, {0, 255, 0}},            // no layer claims the pixel
        {{0.5, 0, 0}, 2, {128, 0, 127}},        // the fallback takes the other half; the tie to the first
        {{1, 1, 1, 1}, 0, {64, 64, 64, 63}},    // equal remainders: first layers first
        {{0, 0.8, 0}, 0, {51, 204, 0}},
        {{1, 0, 0.25}, 1, {204, 0, 51}},        // above 1: shared, the fallback takes nothing
        {{0, 1, 0}, 2, {0, 255, 0}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes(c.Weights.size());
        ByteWeights(c.Weights, c.Fallback, bytes);
        EXPECT_EQ(std::vector<int>(bytes.begin(), bytes.end()), c.Bytes);
    }
    // Rows of sixteen layers of varied weights, every fallback: a row at
    // once gives each pixel's bytes, and they add up to 255.
    constexpr std::size_t kWidth = 301;
    for (std::size_t fallback = 0; fallback < kMostLayers; ++fallback) {
        ByteWeightScratch scratch(kWidth, kMostLayers);
        std::vector<double> pixels(kWidth * kMostLayers);
        for (std::size_t k = 0; k < pixels.size(); ++k) {
            const std::size_t x = k % kWidth, l = k / kWidth;
            pixels[x * kMostLayers + l] = scratch.Weights[k] = ((x * 37 + l * 101 + fallback) % 97) % (x % 7 + 2) / 11.0;
        }
        std::vector<std::uint8_t> row(pixels.size()), bytes(kMostLayers);
        ByteWeightRow(scratch, kMostLayers, fallback, row.data());
        for (std::size_t x = 0; x < kWidth; ++x) {
            ByteWeights(std::span(pixels).subspan(x * kMostLayers, kMostLayers), fallback, bytes);
            ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), row.begin() + x * kMostLayers)) << x;
            ASSERT_EQ(std::accumulate(bytes.begin(), bytes.end(), 0), 255) << x;
        }
    }
}

}  // namespace
}  // namespace orvalis
