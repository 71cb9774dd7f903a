#include "layers/LayerBlend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "raster/ParallelRows.h"
#include "layers/LayersFile.h"
#include "layers/SplatMaps.h"
#include "layers/WorldNoise.h"
#include "common/RealHeights.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

constexpr const char* kRules = R"(
[layers]
fallback = grass
seed = 11
noise-scale = 30 m
[layer grass]
tile = grass.bmp
slope = below 20 deg, ramp 10 deg, noise 5 deg
[layer rock]
tile = rock.bmp
slope = above 25 deg, ramp 8 deg
aspect = 90 deg, width 200 deg, ramp 30 deg, noise 20 deg
[layer scree]
tile = scree.bmp
curvature = below -0.5 m, ramp 1 m, noise 0.5 m, radius 9 m
[layer snow]
tile = snow.bmp
height = above 12 m, ramp 4 m, noise 3 m
coverage = 0.7
)";

// Hills and hollows of every slope and aspect, with a hole.
HeightPlane Hills(std::int32_t width, std::int32_t rows) {
    return test::RealHeightPlane(width, rows, [](std::int32_t row, std::int32_t column) {
        if (row == 7 && column == 9) return double{NAN};
        return 8 + 7 * std::sin(row * 0.31) * std::cos(column * 0.23) + 0.02 * row * column;
    });
}

// The cells [column, column + width) x [row, row + rows) of a plane.
HeightPlane Cut(const HeightPlane& plane, std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t rows) {
    return test::RealHeightPlane(width, rows, [&](std::int32_t r, std::int32_t c) { return plane.At(row + r, column + c); });
}

struct FourTiles {
    std::vector<TDibBuffer> Pictures;
    LayerTiles Tiles() const { return {&Pictures[0], &Pictures[1], &Pictures[2], &Pictures[3]}; }
};

FourTiles PatternedTiles() {
    FourTiles tiles;
    for (int l = 0; l < 4; ++l) {
        tiles.Pictures.push_back(test::MakePicture(5 + l, 3 + 2 * l, [l](std::int32_t row, std::int32_t column) {
            return PixelColour{static_cast<std::uint8_t>(60 * l + 9 * column), static_cast<std::uint8_t>(200 - 13 * row),
                               static_cast<std::uint8_t>(row * column * 7 + l)};
        }));
    }
    return tiles;
}

TEST(BlendLayers, AWindowOfTheWorldGivesTheWholeRunsBytes) {
    const LayerSet set = ParseLayers(kRules, "rules");
    const HeightPlane world = Hills(41, 37);
    const TerrainScale scale{2, 3, 1.5};
    const FourTiles tiles = PatternedTiles();
    TerrainWindow whole = WholeWorld(world, scale);
    const LayerBlend reference = BlendLayers(set, tiles.Tiles(), whole, OneThread());
    RunOptions two;
    two.Threads = 2;
    const LayerBlend twoThreads = BlendLayers(set, tiles.Tiles(), whole, two);
    EXPECT_EQ(twoThreads.Weights.Bytes, reference.Weights.Bytes);
    EXPECT_TRUE(test::SamePixels(twoThreads.Texture, reference.Texture));

    const Halo halo = HaloOf(set, scale);
    const GridWindow windows[] = {{41, 37, 0, 0, 10, 9}, {41, 37, 13, 11, 9, 14}, {41, 37, 30, 25, 11, 12},
                                  {41, 37, 20, 0, 1, 37}, {41, 37, 5, 36, 30, 1}};
    for (const GridWindow& window : windows) {
        const std::int32_t column = std::max(0, window.Column - halo.Columns), row = std::max(0, window.Row - halo.Rows);
        const HeightPlane cut = Cut(world, column, row, std::min(41, window.Column + window.Width + halo.Columns) - column,
                                    std::min(37, window.Row + window.Rows + halo.Rows) - row);
        const LayerBlend part = BlendLayers(set, tiles.Tiles(), {&cut, column, row, window, scale, whole.HoleHeight}, two);
        for (std::int32_t r = 0; r < window.Rows; ++r) {
            for (std::int32_t c = 0; c < window.Width; ++c) {
                for (std::size_t l = 0; l < set.Layers.size(); ++l) {
                    ASSERT_EQ(part.Weights.At(r, c)[l], reference.Weights.At(window.Row + r, window.Column + c)[l]);
                }
                const PixelColour a = part.Texture.ReadPixel(BufferRowOfPlaneRow(part.Texture, r), c);
                const PixelColour b = reference.Texture.ReadPixel(
                    BufferRowOfPlaneRow(reference.Texture, window.Row + r), window.Column + c);
                ASSERT_EQ(a, b) << window.Column << ", " << window.Row << ": " << c << ", " << r;
            }
        }
    }
    // Without its halo a window is refused rather than computed otherwise.
    const HeightPlane bare = Cut(world, 13, 11, 9, 14);
    EXPECT_THROW(WeighLayers(set, {&bare, 13, 11, windows[1], scale, 0}), std::invalid_argument);
}

// Level ground: only the noise moves the snow's edge, so pixels at the same
// ground position weigh the same at every texture size.
TEST(WeighLayers, NoiseFollowsTheGroundNotThePixels) {
    const LayerSet set = ParseLayers("[layers]\nfallback = a\nnoise-scale = 50 m\n[layer a]\ntile = a\n"
                                     "[layer b]\ntile = b\nheight = above 0 m, ramp 2 m, noise 3 m\n", "rules");
    const HeightPlane coarse = test::RealHeightPlane(30, 20, [](auto, auto) { return 0.0; });
    const HeightPlane fine = test::RealHeightPlane(90, 60, [](auto, auto) { return 0.0; });
    const LayerWeights a = WeighLayers(set, WholeWorld(coarse, {12, 12, 1}));
    const LayerWeights b = WeighLayers(set, WholeWorld(fine, {4, 4, 1}));
    std::set<int> seen;
    for (std::int32_t row = 0; row < 20; ++row) {
        for (std::int32_t column = 0; column < 30; ++column) {
            ASSERT_EQ(a.At(row, column)[1], b.At(3 * row + 1, 3 * column + 1)[1]) << column << ", " << row;
            seen.insert(a.At(row, column)[1]);
        }
    }
    EXPECT_GT(seen.size(), 20u);  // the noise does move the edge

    // The rows of noise are the plain definition's values, rows revisited included.
    const WorldNoise noise(3, NoiseStreamOf("rock"), 40);
    std::vector<double> xs, row(200);
    for (int k = 0; k < 200; ++k) xs.push_back(-300 + k * 3.7);
    NoiseRows rows(noise, xs);
    for (const double y : {-12.5, -11.0, 3.0, 17.25, 80.0, -12.5}) {
        rows.Row(y, row.data());
        for (std::size_t k = 0; k < xs.size(); ++k) ASSERT_EQ(row[k], noise.At(xs[k], y)) << xs[k] << ", " << y;
    }
}

// The first layer's byte at the middle of 21 x 21 cells of known ground.
TEST(WeighLayers, SlopesAspectsAndCurvaturesOfKnownGround) {
    const double rise30 = std::tan(30 * 3.14159265358979323846 / 180);
    const auto plane = [](double east, double north) {
        return test::RealHeightPlane(21, 21, [=](std::int32_t row, std::int32_t column) { return east * column + north * row; });
    };
    const HeightPlane peak = test::RealHeightPlane(21, 21, [](auto row, auto column) { return -std::hypot(row - 10, column - 10); });
    const HeightPlane pit = test::RealHeightPlane(21, 21, [](auto row, auto column) { return std::hypot(row - 10, column - 10); });
    struct Case {
        const char* Rule;
        HeightPlane Ground;
        int Byte;
    };
    const Case cases[] = {
        {"slope = 29 .. 31 deg", plane(0, rise30), 255},
        {"slope = below 29.9 deg", plane(rise30, 0), 0},
        {"slope = above 30 deg, ramp 10 deg", plane(0, 0), 0},
        {"aspect = 180 deg, width 10 deg", plane(0, 1), 255},       // rising north: faces south
        {"aspect = 270 deg, width 10 deg", plane(1, 0), 255},       // rising east: faces west
        {"aspect = 315 deg, width 10 deg", plane(1, -1), 255},      // faces north-west
        {"aspect = 0 deg, width 358 deg", plane(0, 0), 0},          // level ground faces nowhere
        {"curvature = above 1 m, radius 3 m", peak, 255},
        {"curvature = above 1 m, radius 3 m", pit, 0},
        {"curvature = below -1 m, radius 3 m", pit, 255},
    };
    for (const Case& c : cases) {
        const LayerSet set = ParseLayers(std::string("[layers]\nfallback = f\n[layer a]\ntile = a\n") + c.Rule +
                                             "\n[layer f]\ntile = f\ncoverage = 0\n", "rules");
        EXPECT_EQ(WeighLayers(set, WholeWorld(c.Ground, {1, 1, 1})).At(10, 10)[0], c.Byte) << c.Rule;
    }
}

TEST(SplatMaps, FourLayersAMapInOrderWithALegend) {
    LayerWeights weights{2, 1, 6, {10, 20, 30, 40, 50, 105, 1, 2, 3, 4, 5, 240}};
    ASSERT_EQ(SplatMapCount(6), 2u);
    std::vector<std::uint8_t> rgba(8);
    SplatRow(weights, 1, 0, rgba.data());
    EXPECT_EQ(rgba, (std::vector<std::uint8_t>{50, 105, 0, 0, 5, 240, 0, 0}));
    LayerSet set = ParseLayers("[layers]\nfallback = a\n[layer a]\ntile = a\n[layer b]\ntile = b\n[layer c]\ntile = c\n"
                               "[layer d]\ntile = d\n[layer e]\ntile = e\n", "rules");
    EXPECT_EQ(SplatLegend(set, {"s0.png", "s,1.png"}),
              "layer,map,channel\na,s0.png,R\nb,s0.png,G\nc,s0.png,B\nd,s0.png,A\ne,\"s,1.png\",R\n");
}

}  // namespace
}  // namespace orvalis
