#pragma once

// The shipped sample terrain, made with integer arithmetic only so that every
// machine and build makes the same bytes. Header-only: the benchmark makes
// its heightmaps with the same code.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"

namespace orvalis::sample {

inline std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B9u ^ x * 0x85EBCA6Bu ^ y * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// t in 0 .. 256 eased to 0 .. 256 with zero slope at both ends.
inline int Fade(int t) { return t * t * (768 - 2 * t) / 65536; }

inline int Lerp(int a, int b, int t) { return a + (b - a) * t / 256; }

// Smooth noise 0 .. 255 on a lattice of cell pixels that repeats every
// period pixels (period a multiple of cell), so tiles join without a seam.
inline int ValueNoise(int x, int y, int cell, int period, std::uint32_t seed) {
    const int cells = period / cell;
    const int cx = x / cell, cy = y / cell;
    const int fx = Fade((x % cell) * 256 / cell), fy = Fade((y % cell) * 256 / cell);
    const auto corner = [&](int i, int j) {
        return static_cast<int>(Hash((cx + i) % cells, (cy + j) % cells, seed) & 0xFF);
    };
    return Lerp(Lerp(corner(0, 0), corner(1, 0), fx), Lerp(corner(0, 1), corner(1, 1), fx), fy);
}

// Octaves from cell pixels down, each half the size and half the weight; 0 .. 255.
inline int Fractal(int x, int y, int cell, int octaves, int period, std::uint32_t seed) {
    int sum = 0, weights = 0;
    for (int o = 0, weight = 1 << octaves; o < octaves && cell >= 1; ++o, cell /= 2, weight /= 2) {
        sum += ValueNoise(x, y, cell, period, seed + o) * weight;
        weights += weight;
    }
    return sum / weights;
}

inline std::int64_t IntSqrt(std::int64_t v) {
    std::int64_t r = 0;
    for (std::int64_t bit = std::int64_t{1} << 62; bit != 0; bit >>= 2) {
        if (v >= r + bit) {
            v -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
    }
    return r;
}

inline std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Positions and radii in 1/256 of the heightmap's edge.
struct Hill {
    int X, Y, Radius, Height;
};
inline constexpr std::array<Hill, 5> kHills = {{{70, 80, 75, 330},
                                                {190, 180, 65, 300},
                                                {210, 55, 45, 160},
                                                {110, 215, 50, 120},
                                                {30, 200, 45, -120}}};
inline constexpr Hill kPlateau = {160, 112, 24, 0};  // flat top, sloping ring as wide again
inline constexpr int kPlateauLevel = 150;
inline constexpr int kValleyWidth = 34;  // the valley runs from (0, 150) to (256, 90)
inline constexpr int kValleyDepth = 260;
inline constexpr int kSubPixel = 16;  // the valley's profile is computed in 1/16 pixel

// A paraboloid-squared bump: smooth at its rim, height at its centre.
inline std::int64_t Bump(std::int64_t dx, std::int64_t dy, std::int64_t radius, int height) {
    const std::int64_t d2 = dx * dx + dy * dy, r2 = radius * radius;
    if (d2 >= r2) return 0;
    return height * (r2 - d2) * (r2 - d2) / (r2 * r2);
}

// Heights before scaling to 0 .. 255: rolling noise, hills, one winding valley.
inline std::int64_t RawHeight(int x, int y, int size) {
    std::int64_t h = Fractal(x, y, size / 4, 5, size, 7) * 2;
    for (const Hill& hill : kHills) {
        h += Bump(x - hill.X * size / 256, y - hill.Y * size / 256, hill.Radius * size / 256,
                  hill.Height);
    }
    // Signed distance from the valley's line; (60, 256) is its normal, 263
    // that normal's length. Noise bends the line.
    const std::int64_t bend = (Fractal(x, y, size / 4, 2, size, 9) - 128) * size * kSubPixel / 2048;
    const std::int64_t across = (60LL * x + 256LL * y - 150LL * size) * kSubPixel / 263 + bend;
    h += Bump(across, 0, kValleyWidth * size / 256 * kSubPixel, -kValleyDepth);
    return h;
}

// A flat table at kPlateauLevel whose ring blends back into the land around it.
inline int Flatten(int x, int y, int size, int height, int plateauLevel) {
    const std::int64_t dx = x - kPlateau.X * size / 256, dy = y - kPlateau.Y * size / 256;
    const std::int64_t inner = kPlateau.Radius * size / 256;
    const std::int64_t d = IntSqrt(dx * dx + dy * dy);
    if (d <= inner) return plateauLevel;
    if (d >= 2 * inner) return height;
    return static_cast<int>(plateauLevel + (height - plateauLevel) * (d - inner) / inner);
}

// The heights of the sample terrain, 0 .. top, (x, y) at y * size + x with
// y = 0 the bottom row. Top 255 gives the 8-bit heightmap, 65535 the same
// terrain at 16-bit precision.
inline std::vector<std::uint16_t> HeightmapLevels(int size, std::int64_t top) {
    const auto at = [size](int x, int y) { return static_cast<std::size_t>(y) * size + x; };
    std::vector<std::int64_t> raw(at(0, size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) raw[at(x, y)] = RawHeight(x, y, size);
    const auto [low, high] = std::minmax_element(raw.begin(), raw.end());
    const std::int64_t lowest = *low, range = std::max<std::int64_t>(*high - *low, 1);
    const int plateauLevel = static_cast<int>(kPlateauLevel * top / 255);

    std::vector<std::uint16_t> levels(raw.size());
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Squared, so that the low bands get more land and the peaks stand out.
            const std::int64_t linear = (raw[at(x, y)] - lowest) * top / range;
            const std::int64_t scaled = linear * linear / top;
            const int h = Flatten(x, y, size, static_cast<int>(scaled), plateauLevel);
            levels[at(x, y)] = static_cast<std::uint16_t>(std::clamp<std::int64_t>(h, 0, top));
        }
    }
    return levels;
}

// A size x size 24-bit grey heightmap with hills, a valley and a plateau.
inline TDibBuffer MakeHeightmap(int size) {
    const std::vector<std::uint16_t> levels = HeightmapLevels(size, 255);
    TDibBuffer map;
    map.Allocate(size, size, 24);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const auto h = static_cast<std::uint8_t>(levels[static_cast<std::size_t>(y) * size + x]);
            map.WritePixel(y, x, PixelColour{h, h, h});
        }
    }
    return map;
}

enum class TileKind { Snow, Rock, Grass, Sand, Water, Forest };

inline constexpr int kTileSize = 64;

// Bright and even with a few glints.
inline PixelColour SnowPixel(int x, int y) {
    const int n = (Fractal(x, y, 16, 3, kTileSize, 11) - 128) / 8;
    const int glint = (Hash(x, y, 12) & 63) == 0 ? 12 : 0;
    return MakeColour(ClampByte(232 + n + glint), ClampByte(238 + n + glint),
                      ClampByte(248 + n / 2 + glint));
}

// Grey-brown, blotchy, with dark strata every 16 rows.
inline PixelColour RockPixel(int x, int y) {
    const int n = Fractal(x, y, 16, 4, kTileSize, 21);
    const int stratum = ((y + n / 16) % 16) < 2 ? -28 : 0;
    const int v = (n - 128) * 3 / 8 + stratum + static_cast<int>(Hash(x, y, 22) % 13) - 6;
    return MakeColour(ClampByte(118 + v), ClampByte(110 + v), ClampByte(100 + v));
}

// Green with lighter and darker blades.
inline PixelColour GrassPixel(int x, int y) {
    const int n = (Fractal(x, y, 16, 3, kTileSize, 31) - 128) / 5;
    const int blade = static_cast<int>(Hash(x, y, 32) % 41) - 20;
    return MakeColour(ClampByte(64 + n + blade / 3), ClampByte(118 + n + blade),
                      ClampByte(38 + n / 2));
}

// Pale yellow with diagonal ripples and grains.
inline PixelColour SandPixel(int x, int y) {
    const int phase = (x + y + Fractal(x, y, 16, 2, kTileSize, 41) / 32) % 8;
    const int ripple = (phase < 4 ? phase : 8 - phase) * 4 - 8;
    const int grain = static_cast<int>(Hash(x, y, 42) % 17) - 8;
    const int v = ripple + grain;
    return MakeColour(ClampByte(206 + v), ClampByte(184 + v), ClampByte(134 + v));
}

// Deep blue with soft waves.
inline PixelColour WaterPixel(int x, int y) {
    const int phase = (2 * x + y + Fractal(x, y, 32, 3, kTileSize, 51) / 8) % 32;
    const int wave = (phase < 16 ? phase : 32 - phase) * 2 - 16;
    const int n = (Fractal(x, y, 8, 2, kTileSize, 52) - 128) / 16;
    return MakeColour(ClampByte(36 + wave / 2 + n), ClampByte(78 + wave + n),
                      ClampByte(140 + wave + n));
}

// Dark crowns of trees with lighter tops and shaded gaps between them.
inline PixelColour ForestPixel(int x, int y) {
    const int crowns = Fractal(x, y, 8, 2, kTileSize, 61) - 128;
    const int leaves = static_cast<int>(Hash(x, y, 62) % 15) - 7;
    const int v = crowns / 3 + leaves;
    const int gap = crowns < -40 ? -18 : 0;
    return MakeColour(ClampByte(34 + v / 2 + gap), ClampByte(72 + v + gap), ClampByte(30 + v / 3 + gap));
}

// A 64 x 64 24-bit tile that repeats without a seam.
inline TDibBuffer MakeTile(TileKind kind) {
    TDibBuffer tile;
    tile.Allocate(kTileSize, kTileSize, 24);
    for (int y = 0; y < kTileSize; ++y) {
        for (int x = 0; x < kTileSize; ++x) {
            PixelColour colour;
            switch (kind) {
                case TileKind::Snow: colour = SnowPixel(x, y); break;
                case TileKind::Rock: colour = RockPixel(x, y); break;
                case TileKind::Grass: colour = GrassPixel(x, y); break;
                case TileKind::Sand: colour = SandPixel(x, y); break;
                case TileKind::Water: colour = WaterPixel(x, y); break;
                case TileKind::Forest: colour = ForestPixel(x, y); break;
            }
            tile.WritePixel(y, x, colour);
        }
    }
    return tile;
}

}  // namespace orvalis::sample
