#include <set>

#include <gtest/gtest.h>

#include "raster/HeightPlane.h"
#include "lighting/Lightmap.h"
#include "lighting/NormalMap.h"
#include "blending/StretchedHeights.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

// The lighting and the blend read a 24-bit heightmap straight from its rows
// and any other depth pixel by pixel: the same picture in 32 bits or with a
// colour table gives the same heights, enlarged and shrunk alike.
TEST(HeightPlane, HeightmapsOfEveryDepthGiveTheSameHeights) {
    const TDibBuffer bytes = test::MakePicture(29, 17, [](std::int32_t row, std::int32_t column) {
        return test::Grey((row * 37 + column * 11) % 256);
    });
    TDibBuffer words, indexed;
    words.Allocate(29, 17, 32);
    indexed.Allocate(29, 17, 8);
    for (int level = 0; level < 256; ++level) {
        const auto grey = static_cast<std::uint8_t>(level);
        indexed.SetColour(level, RgbQuad{grey, grey, grey, 0});
    }
    for (std::int32_t row = 0; row < 17; ++row) {
        for (std::int32_t column = 0; column < 29; ++column) {
            words.WritePixel(row, column, bytes.ReadPixel(row, column));
            indexed.WriteIndex(row, column, bytes.ReadPixel(row, column).Blue);
        }
    }
    std::vector<PixelColour> merged;
    for (const TDibBuffer* other : {&words, &indexed}) {
        EXPECT_EQ(HeightsOfPixels(*other).ByteSums, HeightsOfPixels(bytes).ByteSums);
        for (const std::int32_t size : {40, 11}) {
            const StretchedHeights expected(bytes, size, size), actual(*other, size, size);
            std::vector<std::uint8_t> want(static_cast<std::size_t>(size)), got(want.size());
            for (std::int32_t y = 0; y < size; ++y) {
                expected.Row(y, merged, want.data());
                actual.Row(y, merged, got.data());
                ASSERT_EQ(got, want) << other->BitsPerPixel() << " bits, texture " << size << ", row " << y;
            }
        }
    }
}

// Real-valued heights take the plain formulas instead of the 8-bit tables;
// whole heights must light exactly like the grey picture of those levels.
TEST(HeightPlane, WholeRealHeightsLightLikeTheGreyPictureOfTheirLevels) {
    const TDibBuffer grey = test::MakePicture(41, 33, [](std::int32_t row, std::int32_t column) {
        return test::Grey((row * 37 + column * column * 3) % 256);
    });
    const HeightPlane eightBit = HeightsOfPixels(grey);
    HeightPlane real{eightBit.Width, eightBit.Rows, {}, {}};
    for (std::size_t i = 0; i < eightBit.ByteSums.size(); ++i) real.Heights.push_back(eightBit.Height(i));
    for (const float heightScale : {1.0f, 2.5f}) {
        TNormalMap expected, actual;
        BuildNormalMap(eightBit, expected, heightScale);
        BuildNormalMap(real, actual, heightScale);
        EXPECT_EQ(expected, actual);
        for (const LightSettings light : {LightSettings{}, LightSettings{200, 10}, LightSettings{0, 0}}) {
            TDibBuffer fromBytes = test::GreyPicture(41, 33, 0), fromReals = test::GreyPicture(41, 33, 0);
            ShadeLightmap(eightBit, expected, LightVector(light), heightScale, fromBytes, 0.6f, 0.5f, true);
            ShadeLightmap(real, expected, LightVector(light), heightScale, fromReals, 0.6f, 0.5f, true);
            EXPECT_TRUE(test::SamePixels(fromBytes, fromReals)) << light.LightDir << ", " << light.SunPos;
        }
    }
}

// A gentle ramp, one 16-bit level a column, rises about 1/257 of a grey level
// a column: lit from its real heights every column away from the borders
// has one slope and so one light value, while its 8-bit levels climb in
// steps whose edges show as stripes.
TEST(HeightPlane, AGentleRampLightsWithoutTerracesFromItsRealHeights) {
    constexpr std::int32_t kWidth = 600, kRows = 8;
    HeightPlane real{kWidth, kRows, {}, {}};
    for (std::int32_t row = 0; row < kRows; ++row) {
        for (std::int32_t column = 0; column < kWidth; ++column) {
            real.Heights.push_back(column * 7 / 257.0);
        }
    }
    const TDibBuffer levels = test::MakePicture(kWidth, kRows, [](std::int32_t, std::int32_t column) {
        return test::Grey(static_cast<std::uint8_t>(column * 7 / 257));
    });
    const auto distinctValues = [](const HeightPlane& plane) {
        TNormalMap normals;
        BuildNormalMap(plane, normals, 1.0f);
        TDibBuffer lit = test::GreyPicture(kWidth, kRows, 0);
        ShadeLightmap(plane, normals, LightVector(LightSettings{0, 50}), 1.0f, lit, 0.6f, 0.5f, false);
        std::set<std::uint8_t> values;
        for (std::int32_t column = 4; column < kWidth - 4; ++column) values.insert(lit.ReadPixel(4, column).Blue);
        return values.size();
    };
    EXPECT_EQ(distinctValues(real), 1u);
    EXPECT_GT(distinctValues(HeightsOfPixels(levels)), 1u);
}

}  // namespace
}  // namespace orvalis
