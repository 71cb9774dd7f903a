#include "lighting/ReducedTerrain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace orvalis {
namespace {

HeightPlane Field(std::int32_t width, std::int32_t rows,
                  const std::function<double(std::int32_t row, std::int32_t column)>& height) {
    HeightPlane field{width, rows, {}, {}};
    for (std::int32_t row = 0; row < rows; ++row) {
        for (std::int32_t column = 0; column < width; ++column) {
            field.Heights.push_back(height(row, column));
        }
    }
    return field;
}

// Hills and a ridge that casts shadows.
HeightPlane Hills(std::int32_t edge) {
    return Field(edge, edge, [edge](std::int32_t row, std::int32_t column) {
        const double x = 6.0 * column / edge, y = 6.0 * row / edge;
        return 120 + 60 * std::sin(x) * std::cos(y) + (column == edge / 2 ? 80 : 0);
    });
}

std::string Bytes(const TDibBuffer& picture) {
    return {reinterpret_cast<const char*>(picture.PixelData()), picture.PixelBytes()};
}

int Grey(const TDibBuffer& lightmap, std::int32_t row, std::int32_t column) {
    return lightmap.ReadPixel(row, column).Blue;
}

const LightSettings kLights[] = {{90, 50}, {0, 10}, {200, 120}, {315, 400}};

TEST(ReducedTerrainTest, FactorOneLightsAsTheGenerationDoes) {
    const HeightPlane field = Hills(40);
    TerrainLighting terrain{field, {}};
    BuildNormalMap(terrain.Field, terrain.Normals, 1.0f);
    const ReducedTerrain reduced = ReduceTerrain(field, 1);
    for (const LightSettings& light : kLights) {
        EXPECT_EQ(Bytes(ShadeReducedTerrain(reduced, light)), Bytes(ShadeTerrain(terrain, light)))
            << light.LightDir << " " << light.SunPos;
    }
}

// Each height is the mean of its block; blocks at the right and top edges
// are smaller.
TEST(ReducedTerrainTest, HeightsAreBlockMeans) {
    const HeightPlane field = Field(5, 3, [](std::int32_t row, std::int32_t column) {
        return 10.0 * row + column;
    });
    const ReducedTerrain reduced = ReduceTerrain(field, 2);
    const HeightPlane& small = reduced.Terrain.Field;
    ASSERT_EQ(small.Width, 3);
    ASSERT_EQ(small.Rows, 2);
    EXPECT_EQ(small.Heights, (std::vector<double>{5.5, 7.5, 9, 20.5, 22.5, 24}));
    EXPECT_EQ(reduced.Terrain.Normals.size(), 6u);
    EXPECT_THROW(ReduceTerrain(field, 0), std::invalid_argument);
}

// Heights are divided by the factor, so a slope is lit as steeply at any
// factor, whatever the light.
TEST(ReducedTerrainTest, SlopesKeepTheirLightAtEveryFactor) {
    const HeightPlane slope = Field(64, 64, [](std::int32_t row, std::int32_t column) {
        return 0.75 * column + 0.25 * row;
    });
    for (const std::int32_t factor : {2, 4, 8}) {
        for (const LightSettings& light : kLights) {
            const TDibBuffer quick = ShadeReducedTerrain(ReduceTerrain(slope, factor), light);
            const TDibBuffer whole = ShadeReducedTerrain(ReduceTerrain(slope, 1), light);
            const std::int32_t middle = 64 / factor / 2;
            EXPECT_NEAR(Grey(quick, middle, middle), Grey(whole, 32, 32), 1)
                << "factor " << factor << ", light " << light.LightDir << " " << light.SunPos;
        }
    }
}

}  // namespace
}  // namespace orvalis
