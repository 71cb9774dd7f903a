#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "common/ErrorMessage.h"
#include "generation/WorkerCost.h"
#include "generation/WorldPlan.h"

namespace orvalis {
namespace {

// A world of width x rows cells of 10 x 20 ground units with heights 0 .. 1001.
WorldFacts World(std::int32_t width, std::int32_t rows) { return {width, rows, std::nullopt, {std::nullopt, {0, 1001}}}; }

GenerationRequest Lit(double elevation, double sunSize = 0, std::int32_t size = 1000) {
    GenerationRequest request;
    request.Settings.TextureSize = size;
    request.Terrain.SunAzimuth = 300;
    request.Terrain.SunElevation = elevation;
    request.Terrain.SunSize = sunSize;
    request.Terrain.CellX = 10;
    request.Terrain.CellY = 20;
    return request;
}

// Tiles of the full size from the north-west, the last column and row as
// wide as what is left; together they cover the texture once, and each
// tile's windows lie within their grids around its own footprint.
TEST(WorldPlan, CutsTheTextureIntoTilesWithPartialLastOnes) {
    struct Case {
        std::int32_t Width, Rows, Size, Tile;
        std::int32_t TextureWidth, TextureRows, Columns, PlanRows;
        PixelRect Last;
    };
    const Case cases[] = {
        {403, 344, 1000, 300, 1000, 854, 4, 3, {900, 600, 1000, 854}},
        {256, 256, 1024, 256, 1024, 1024, 4, 4, {768, 768, 1024, 1024}},
        {100, 300, 500, 200, 167, 500, 1, 3, {0, 400, 167, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Width);
        const WorldPlan plan(Lit(60, 0.53, c.Size), World(c.Width, c.Rows), c.Tile, 50);
        ASSERT_EQ(plan.Texture().Width, c.TextureWidth);
        ASSERT_EQ(plan.Texture().Rows, c.TextureRows);
        ASSERT_EQ(plan.Columns(), c.Columns);
        ASSERT_EQ(plan.Rows(), c.PlanRows);
        const PixelRect last = plan.Tile(c.Columns - 1, c.PlanRows - 1).Texture;
        EXPECT_EQ(std::tie(last.X0, last.Y0, last.X1, last.Y1), std::tie(c.Last.X0, c.Last.Y0, c.Last.X1, c.Last.Y1));
        std::int64_t covered = 0;
        for (std::int32_t row = 0; row < plan.Rows(); ++row) {
            for (std::int32_t column = 0; column < plan.Columns(); ++column) {
                const TilePlan tile = plan.Tile(column, row);
                covered += std::int64_t{tile.Texture.Width()} * tile.Texture.Rows();
                EXPECT_TRUE(tile.Lighting.X0 >= 0 && tile.Lighting.X1 <= plan.Lighting().Width && tile.Lighting.X0 < tile.Lighting.X1);
                EXPECT_TRUE(tile.Source.Y0 >= 0 && tile.Source.Y1 <= c.Rows && tile.Source.Y0 < tile.Source.Y1);
            }
        }
        EXPECT_EQ(covered, std::int64_t{c.TextureWidth} * c.TextureRows);
        // Row 0 is the north: its windows reach the grids' top rows, which
        // come last when rows count from the bottom.
        const TilePlan north = plan.Tile(0, 0);
        EXPECT_EQ(north.Lighting.Y1, plan.Lighting().Rows);
        EXPECT_EQ(north.Source.Y1, c.Rows);
        EXPECT_LT(plan.Tile(0, plan.Rows() - 1).Source.Y0, north.Source.Y0);
    }
}

// A world of 1000 x 500 cells of 10 x 20 into a 1000 x 500 texture is lit on
// a grid of 2000 x 1000 cells of 5 x 10. A reach R takes ceil(R / 5) steps,
// a quarter of them again, and 3 cells: along x (R + cells x 5) / 5, along y
// (R + cells x 10) / 10. The sky on the half grid counts cells of 10 x 20
// and 3 more.
TEST(WorldPlan, HaloFollowsTheReach) {
    struct Case {
        double Elevation, SunSize, ZFactor;
        double SkyRadius;  // 0: no sky light
        Halo Expected;
    };
    const Case cases[] = {
        {45, 0, 1, 0, {255, 155}},      // R 1001: 201 steps + 51 + 3
        {45, 0, 2, 0, {505, 305}},      // R 2002: 401 + 101 + 3
        {45.5, 1, 1, 0, {255, 155}},    // the sun's lowest edge at 45
        {60, 0, 1, 700, {188, 118}},    // the sky on the half grid: 70 steps + 18 + 6
        {1, 0, 1, 0, {2000, 1000}},     // beyond the world: all of it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Elevation);
        GenerationRequest request = Lit(c.Elevation, c.SunSize);
        request.Terrain.ZFactor = c.ZFactor;
        request.Terrain.SkyLight = c.SkyRadius > 0;
        const WorldPlan plan(request, World(1000, 500), 256, c.SkyRadius > 0 ? c.SkyRadius : kDefaultSkyRadius);
        ASSERT_EQ(plan.Lighting().Width, 2000);
        EXPECT_EQ(plan.HaloCells().X, c.Expected.X);
        EXPECT_EQ(plan.HaloCells().Y, c.Expected.Y);
    }
}

// What cannot be made in tiles is refused with the reason and what would work.
TEST(WorldPlan, RefusesWhatTilesCannotMake) {
    struct Case {
        std::function<void(GenerationRequest&)> Change;
        std::int32_t Tile;
        std::uint64_t MemoryLimit;
        const char* Message;
    };
    constexpr std::uint64_t kAny = std::numeric_limits<std::uint64_t>::max();
    const auto sun = [](double elevation, double size) {
        return [=](GenerationRequest& r) { r.Terrain.SunElevation = elevation, r.Terrain.SunSize = size; };
    };
    const Case cases[] = {
        {sun(0.2, 0.53), 256, kAny, "--sun-elevation 0.2 is not above its own radius (--sun-size 0.53 / 2 = 0.265"},
        {sun(0.25, 0.5), 256, kAny, "not above its own radius"},
        {sun(0.3, 0.53), 256, kAny, test::kNoError},
        {[](GenerationRequest& r) { r.Terrain = {}; }, 256, kAny, "the classic generation is defined on the whole"},
        {[](GenerationRequest& r) { r.Terrain = {}, r.Terrain.Resample = Resampling::Smooth; }, 256, kAny,
         "the classic lightmap"},
        {[](GenerationRequest& r) { r.Terrain = {}, r.Terrain.Resample = Resampling::Spline, r.Settings.UseLighting = false; },
         256, kAny, test::kNoError},
        {[](GenerationRequest&) {}, 0, kAny, "--tile-size wants 1 .. 16384"},
        {[](GenerationRequest&) {}, 1, kAny, "into 500000 tiles, more than 100000"},
        {[](GenerationRequest&) {}, 1000, 80 << 20, "more than --memory-limit 80.0 MiB; --tile-size "},
        {[](GenerationRequest&) {}, 1000, 64 << 20, "even a tile of one pixel does not fit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message);
        GenerationRequest request = Lit(45);
        c.Change(request);
        const std::string message = test::MessageOf<RequestError>([&] {
            CheckWorkerMemory(WorldPlan(request, World(1000, 500), c.Tile), c.MemoryLimit);
        });
        EXPECT_NE(message.find(c.Message), std::string::npos) << message;
    }
    // The tile size named is the largest that fits.
    const WorldPlan plan(Lit(45), World(1000, 500), 1000);
    const std::optional<std::int32_t> fits = LargestTileSizeWithin(plan, 80 << 20);
    ASSERT_TRUE(fits);
    EXPECT_LE(EstimateWorkerCost(plan.LargestTile(*fits)).Bytes, 80u << 20);
    EXPECT_GT(EstimateWorkerCost(plan.LargestTile(*fits + 1)).Bytes, 80u << 20);
}

}  // namespace
}  // namespace orvalis
