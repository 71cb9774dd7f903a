#include "blending/BandBlend.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "files/Error.h"
#include "common/TestPictures.h"
#include "common/TestTiles.h"

namespace orvalis {
namespace {

using test::Grey;
using test::MakePicture;
using test::PatternedTiles;
using test::SolidTiles;
using test::Tiles;

// Pixel x, y counted from the picture's top-left corner.
PixelColour DevicePixel(const TDibBuffer& picture, std::int32_t x, std::int32_t y) {
    return picture.ReadPixel(picture.IsTopDown() ? y : picture.RowCount() - 1 - y, x);
}

// A picture given by its pixels as seen from the top-left corner; a negative
// height stores it top-down.
template <class ColourAt>
TDibBuffer DevicePicture(std::int32_t width, std::int32_t height, ColourAt colourAt) {
    const std::int32_t rows = height < 0 ? -height : height;
    return MakePicture(width, height, [&](std::int32_t row, std::int32_t column) {
        return colourAt(column, height < 0 ? row : rows - 1 - row);
    });
}

PixelColour BlendOnePixel(PixelColour heightPixel, const Tiles& tiles) {
    const TDibBuffer heightmap = MakePicture(1, 1, [&](std::int32_t, std::int32_t) { return heightPixel; });
    return BlendTexture(heightmap, tiles.Set(), 2, {}).ReadPixel(1, 1);
}

TEST(BandWeight, FallsToZeroSixtyFourFromTheCentre) {
    const std::array<float, kTileCount> at100 = {0.0f, 0.0f, 0.5625f, 0.4375f, 0.0f};
    for (int i = 0; i < kTileCount; ++i) EXPECT_EQ(BandWeight(BandCentres[i], 100.0f), at100[i]) << i;
    EXPECT_EQ(BandWeight(256.0f, 255.0f), 0.984375f);
}

TEST(BlendTexture, RoundsEachTermHalfToEvenAndClampsTheSumAt255) {
    // Height 100: tile 2 weighs 0.5625, tile 3 0.4375; the others add nothing.
    // Blue 112.5 -> 112 and 4.375 -> 4; green 56.25 + 8.75 -> 56 + 9; red 28.125 + 13.125 -> 28 + 13.
    const Tiles worked = SolidTiles({MakeColour(255, 255, 255), MakeColour(9, 9, 9), MakeColour(50, 100, 200),
                                     MakeColour(30, 20, 10), MakeColour(77, 77, 77)});
    EXPECT_EQ(BlendOnePixel(Grey(100), worked), MakeColour(41, 65, 116));

    // Height 96 weighs tiles 2 and 3 half each: 127.5 + 127.5 -> 128 + 128 = 256, kept at 255;
    // 126.5 + 126.5 -> 126 + 126.
    const Tiles halves = SolidTiles({Grey(0), Grey(0), MakeColour(0, 253, 255), MakeColour(0, 253, 255), Grey(0)});
    EXPECT_EQ(BlendOnePixel(Grey(96), halves), MakeColour(0, 252, 255));

    // Height 255 never reproduces tile 0: 63/64 of it and 1/64 of tile 1.
    const Tiles top = SolidTiles({MakeColour(0, 64, 255), MakeColour(255, 200, 0), Grey(9), Grey(9), Grey(9)});
    EXPECT_EQ(BlendOnePixel(Grey(255), top), MakeColour(4, 66, 251));
}

TEST(BlendTexture, HeightIsTheTruncatedMeanOfTheChannels) {
    // Red 255 alone is height 85: tile 2 weighs 21/64, so its blue 64 gives 21.
    const Tiles tiles = SolidTiles({Grey(0), Grey(0), MakeColour(0, 0, 64), Grey(0), Grey(0)});
    EXPECT_EQ(BlendOnePixel(MakeColour(255, 0, 0), tiles).Blue, 21);
    // (1 + 1 + 0) div 3 is 0: tile 4 alone.
    const Tiles bottom = SolidTiles({Grey(1), Grey(2), Grey(3), Grey(4), Grey(5)});
    EXPECT_EQ(BlendOnePixel(MakeColour(1, 1, 0), bottom), Grey(5));
}

TEST(BlendTexture, BandCentresRepeatTheirTileFromTheTopLeftCutAtTheRightAndBottom) {
    // A 64 x 64 tile fits 4 times (a fifth copy would lie wholly outside), a
    // 100 x 100 one is cut at 256 in its third copy; top-down tiles keep their
    // top row on top.
    const Tiles tiles = PatternedTiles();
    const std::array<std::pair<int, int>, 4> heightAndTile = {{{0, 4}, {64, 3}, {128, 2}, {192, 1}}};
    for (const auto& [height, tileIndex] : heightAndTile) {
        const TDibBuffer texture = BlendTexture(test::GreyPicture(3, 3, height), tiles.Set(), 256, {});
        const TDibBuffer& tile = tiles.Pictures[tileIndex];
        for (std::int32_t y = 0; y < 256; ++y) {
            for (std::int32_t x = 0; x < 256; ++x) {
                ASSERT_EQ(DevicePixel(texture, x, y), DevicePixel(tile, x % tile.Width(), y % tile.RowCount()))
                    << "height " << height << " at " << x << ", " << y;
            }
        }
    }
}

TEST(BlendTexture, TilesOfAnyDepthAreBlendedByTheirColours) {
    Tiles tiles = SolidTiles({Grey(0), Grey(0), Grey(0), Grey(0), Grey(0)});
    TDibBuffer& indexed = tiles.Pictures[4];
    indexed.Allocate(2, 1, 8);
    indexed.SetColour(3, RgbQuad{10, 20, 30, 0});
    indexed.SetColour(7, RgbQuad{40, 50, 60, 0});
    indexed.WriteIndex(0, 0, 3);
    indexed.WriteIndex(0, 1, 7);
    const TDibBuffer texture = BlendTexture(test::GreyPicture(1, 1, 0), tiles.Set(), 4, {});
    EXPECT_EQ(texture.ReadPixel(0, 0), MakeColour(30, 20, 10));
    EXPECT_EQ(texture.ReadPixel(0, 1), MakeColour(60, 50, 40));
}

// Tiles that show the band as blue 1 (height 0) .. 4 (height 192).
Tiles BandMarkerTiles() {
    return SolidTiles({Grey(0), MakeColour(0, 0, 4), MakeColour(0, 0, 3), MakeColour(0, 0, 2), MakeColour(0, 0, 1)});
}

TEST(BlendTexture, StretchesTheWholeHeightmapOntoTheWholeTexture) {
    const Tiles tiles = BandMarkerTiles();
    // Enlarging repeats each heightmap pixel as a block, upright.
    const TDibBuffer small = DevicePicture(2, 2, [](std::int32_t x, std::int32_t y) { return Grey(64 * (2 * y + x)); });
    const TDibBuffer enlarged = BlendTexture(small, tiles.Set(), 4, {});
    for (std::int32_t y = 0; y < 4; ++y) {
        for (std::int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(DevicePixel(enlarged, x, y).Blue, 1 + 2 * (y / 2) + x / 2) << x << ", " << y;
        }
    }
    // Shrinking ANDs each 2 x 2 block: 192 & 64 = 64, 192 & 128 = 128, 64 & 128 = 0, 255 & 192 = 192.
    const int blocks[4][4] = {{192, 64, 192, 128}, {255, 255, 255, 192}, {64, 255, 255, 255}, {255, 128, 255, 192}};
    const TDibBuffer large = DevicePicture(4, 4, [&](std::int32_t x, std::int32_t y) { return Grey(blocks[y][x]); });
    const TDibBuffer shrunk = BlendTexture(large, tiles.Set(), 2, {});
    EXPECT_EQ(DevicePixel(shrunk, 0, 0).Blue, 2);
    EXPECT_EQ(DevicePixel(shrunk, 1, 0).Blue, 3);
    EXPECT_EQ(DevicePixel(shrunk, 0, 1).Blue, 1);
    EXPECT_EQ(DevicePixel(shrunk, 1, 1).Blue, 4);
    // A non-square heightmap is stretched unevenly.
    const TDibBuffer wide = DevicePicture(3, 1, [](std::int32_t x, std::int32_t) { return Grey(64 * x); });
    const TDibBuffer stretched = BlendTexture(wide, tiles.Set(), 6, {});
    for (std::int32_t y = 0; y < 6; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) EXPECT_EQ(DevicePixel(stretched, x, y).Blue, 1 + x / 2);
    }
}

TEST(BlendTexture, TopDownHeightmapGivesTheTextureOfTheSamePictureStoredBottomUp) {
    const auto terrain = [](std::int32_t x, std::int32_t y) { return Grey((x * 37 + y * 91) % 256); };
    const Tiles tiles = PatternedTiles();
    for (const std::int32_t size : {16, 64}) {
        EXPECT_TRUE(test::SamePixels(BlendTexture(DevicePicture(29, -23, terrain), tiles.Set(), size, {}),
                                     BlendTexture(DevicePicture(29, 23, terrain), tiles.Set(), size, {})));
    }
}

TEST(BlendTexture, EveryThreadCountGivesTheSameBytes) {
    const Tiles tiles = PatternedTiles();
    const std::array<std::pair<TDibBuffer, std::int32_t>, 3> cases = {{
        {test::RuggedTerrain(37, 23), 64},
        {test::RuggedTerrain(23, -41), 100},
        {test::RuggedTerrain(300, 170), 128},
    }};
    for (const auto& [heightmap, size] : cases) {
        const TDibBuffer one = BlendTexture(heightmap, tiles.Set(), size, RunOptions{1, {}});
        for (const int threads : {2, 3}) {
            EXPECT_TRUE(test::SamePixels(one, BlendTexture(heightmap, tiles.Set(), size, RunOptions{threads, {}})))
                << heightmap.Width() << " x " << heightmap.Height() << ", " << threads << " threads";
        }
    }
}

TEST(BlendTexture, RefusesMissingPicturesAndSizesByName) {
    Tiles tiles = PatternedTiles();
    const TDibBuffer heightmap = test::GreyPicture(4, 4, 100);
    const auto messageOf = [&](const TDibBuffer& map, std::int32_t size) -> std::string {
        try {
            BlendTexture(map, tiles.Set(), size, {});
        } catch (const Error& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(messageOf(TDibBuffer(), 16), "the heightmap has no picture");
    EXPECT_EQ(messageOf(heightmap, 0), "texture size 0 is outside 1 .. 16384");
    tiles.Pictures[2] = TDibBuffer();
    EXPECT_EQ(messageOf(heightmap, 16), "tile 3 (middle box, band 128) has no picture");
}

}  // namespace
}  // namespace orvalis
