#include "synth/HeightField.h"

#include <gtest/gtest.h>

#include "synth/Lightmap.h"
#include "synth/NormalMap.h"
#include "synth/TestPictures.h"

namespace orvalis {
namespace {

TEST(HeightField, IsTheUntruncatedMeanOfTheChannelsRowByRow) {
    const TDibBuffer picture = test::MakePicture(3, 2, [](std::int32_t row, std::int32_t column) {
        return PixelColour{static_cast<std::uint8_t>(row), 0, static_cast<std::uint8_t>(255 - column)};
    });
    const HeightField field = HeightFieldOf(picture);
    EXPECT_TRUE(field.ThirdsOfByteSums);
    EXPECT_EQ(field.Heights[field.IndexOf(1, 2)], 254 / 3.0);
    EXPECT_EQ(field.ByteSum(field.IndexOf(1, 2)), 254);
    EXPECT_EQ(field.ExtendedHeight(field.IndexOf(0, 0)), 255 / 3.0L);
}

// Real-valued heights take the plain formulas instead of the 8-bit tables;
// whole heights must light exactly like the grey picture of those levels.
TEST(HeightField, WholeRealHeightsLightLikeTheGreyPictureOfTheirLevels) {
    const TDibBuffer grey = test::MakePicture(41, 33, [](std::int32_t row, std::int32_t column) {
        return test::Grey((row * 37 + column * column * 3) % 256);
    });
    const HeightField eightBit = HeightFieldOf(grey);
    HeightField real = eightBit;
    real.ThirdsOfByteSums = false;
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

}  // namespace
}  // namespace orvalis
