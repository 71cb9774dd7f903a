#pragma once

#include <array>
#include <cstdint>

#include "blending/BandBlend.h"
#include "common/TestPictures.h"

namespace orvalis::test {

// Five tile pictures that live as long as the TileSet made from them.
struct Tiles {
    std::array<TDibBuffer, kTileCount> Pictures;
    TileSet Set() const {
        TileSet set;
        for (int i = 0; i < kTileCount; ++i) set[i] = &Pictures[i];
        return set;
    }
};

inline Tiles SolidTiles(const std::array<PixelColour, kTileCount>& colours) {
    Tiles tiles;
    for (int i = 0; i < kTileCount; ++i) {
        tiles.Pictures[i] = MakePicture(1, 1, [&](std::int32_t, std::int32_t) { return colours[i]; });
    }
    return tiles;
}

// Tiles of several sizes, bottom-up and top-down, whose pixels all differ.
inline Tiles PatternedTiles() {
    Tiles tiles;
    const std::array<std::array<std::int32_t, 2>, kTileCount> sizes = {
        {{7, 5}, {100, 100}, {37, -53}, {64, 64}, {3, -4}}};
    for (int i = 0; i < kTileCount; ++i) {
        tiles.Pictures[i] = MakePicture(sizes[i][0], sizes[i][1], [i](std::int32_t row, std::int32_t column) {
            return PixelColour{static_cast<std::uint8_t>(40 * i + 13 * column),
                               static_cast<std::uint8_t>(250 - 17 * row - column),
                               static_cast<std::uint8_t>(row * column * 9 + i)};
        });
    }
    return tiles;
}

}  // namespace orvalis::test
