#pragma once

#include <cstdint>
#include <optional>

#include "generation/GenerationRequest.h"
#include "generation/TerrainSampling.h"
#include "io/HeightWorld.h"
#include "io/WorldStatistics.h"
#include "raster/GeoReference.h"

namespace orvalis {

// The limits of a world made in tiles: a tile's edge in texture pixels, and
// the world texture's longer side (--size with --tile-size).
inline constexpr std::int32_t kLargestTileSize = 16384;
inline constexpr std::int32_t kLargestWorldTextureSize = std::int32_t{1} << 20;
// What one plan may cut a world into, so that its list of jobs stays a file
// a scheduler reads in a moment.
inline constexpr std::int64_t kMostTiles = 100000;
// How far the sky light looks for the terrain that hides the sky, in the
// cells' ground unit (--sky-radius): it bounds the sky light's horizons in
// every run, whole or tiled.
inline constexpr double kDefaultSkyRadius = 10000;

// A heightmap world as a plan takes it: its cells and where they lie, and
// what one pass over them found (HeightWorld::Facts and Statistics).
struct WorldFacts {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::optional<GeoReference> Geo;
    WorldStatistics Statistics;
};

// Texture pixels [X0, X1) x [Y0, Y1), rows counted from the top (north), as
// tiles are named.
struct PixelRect {
    std::int32_t X0 = 0;
    std::int32_t Y0 = 0;
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;

    std::int32_t Width() const { return X1 - X0; }
    std::int32_t Rows() const { return Y1 - Y0; }
};

// Cells of the lighting grid a tile adds on each side of its own, so that
// every horizon, every cubic and Horn's window of its pixels sees what a
// whole run sees there.
struct Halo {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

// One tile and the windows it works on; the windows count rows from the
// bottom, as HeightPlane and HeightWorld do, and are clipped to the world.
struct TilePlan {
    std::int32_t Column = 0;  // from the west, 0 first
    std::int32_t Row = 0;     // from the north, 0 first
    PixelRect Texture;        // the pixels the tile makes
    WorldWindow Lighting;     // the lighting grid's cells it lights, halo included
    WorldWindow Source;       // the heightmap's cells it reads
};

// A world texture cut into tiles of TileSize x TileSize pixels (the last
// column and row as wide as what is left), with the windows each tile must
// hold to make exactly the pixels a whole run makes there. Grids are the
// world's: the texture keeps the heightmap's aspect at real scale (--size
// its longer side); the lighting grid is the whole run's (LightingGridShape).
//
// The halo is what a pixel's light can depend on, in lighting cells:
//   the sun's reach  R = (highest - lowest) x z-factor / tan(elevation - sun radius),
//   with --sky-light the sky's reach, the sky radius,
// each in ground units, plus a quarter of the reach in sweep steps (the
// blocks the horizon hulls start on), Horn's cell and the cubic's two across
// a sweep line; the sky's counted on the grid it is swept on, the lighting
// grid or the one of half its resolution, whichever needs more. A source
// window adds the resampling's cells around the lighting window's footprint.
class WorldPlan {
public:
    // Raises RequestError, naming the options, for a request that cannot be
    // made in tiles: the classic generation (no real-scale light and no
    // smooth or spline resampling), the classic light, a tile size or world
    // size out of range, more than kMostTiles tiles, or a sun at or below its
    // own radius, whose shadows reach without end.
    WorldPlan(const GenerationRequest& request, const WorldFacts& world, std::int32_t tileSize,
              double skyRadius = kDefaultSkyRadius);

    const TextureShape& Texture() const { return texture_; }
    const TextureShape& Lighting() const { return lighting_; }
    std::int32_t TileSize() const { return tileSize_; }
    std::int32_t Columns() const { return columns_; }
    std::int32_t Rows() const { return rows_; }
    std::int64_t TileCount() const { return std::int64_t{columns_} * rows_; }
    const Halo& HaloCells() const { return halo_; }
    // The reaches in ground units; none where the run has no such light.
    const std::optional<double>& SunReach() const { return sunReach_; }
    const std::optional<double>& SkyReach() const { return skyReach_; }

    // Tile (column, row), each counted from 0.
    TilePlan Tile(std::int32_t column, std::int32_t row) const;
    // The most any tile of the plan's grids and halo holds when tiles are
    // tileSize pixels: its pixels, its lighting window (none for a run
    // without real-scale light) and its source window.
    struct Extent {
        std::int64_t TexturePixels = 0;
        std::int64_t LightingCells = 0;
        std::int64_t SourceCells = 0;
    };
    Extent LargestTile(std::int32_t tileSize) const;

private:
    PixelRect TextureRect(std::int32_t column, std::int32_t row) const;
    WorldWindow LightingWindow(const PixelRect& texture) const;
    WorldWindow SourceWindow(const WorldWindow& lighting) const;

    TextureShape texture_;
    TextureShape lighting_;
    std::int32_t mapWidth_ = 0;
    std::int32_t mapRows_ = 0;
    std::int32_t tileSize_ = 0;
    std::int32_t columns_ = 0;
    std::int32_t rows_ = 0;
    bool realScale_ = false;
    std::int32_t sourceMargin_ = 0;
    Halo halo_;
    std::optional<double> sunReach_;
    std::optional<double> skyReach_;
};

// The grid the real-scale light of a texture works on: at least twice the
// heightmap's resolution, but not beyond twice the texture's, nor beyond
// 8192 x 8192 cells (then the texture's own), so that its shadows are those of
// the same smooth surface whatever the texture's size.
TextureShape LightingGridShape(const TextureShape& texture, std::int32_t mapWidth, std::int32_t mapRows);

}  // namespace orvalis
