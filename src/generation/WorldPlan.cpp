#include "generation/WorldPlan.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "math/NumberText.h"
#include "lighting/GroundCells.h"

namespace orvalis {

namespace {

// A grid's ground size of a cell along each axis.
struct CellSize {
    double X = 1;
    double Y = 1;
};

// The sweeps start a line's hull on blocks of a quarter of the reach (in
// steps), so a point's horizon takes up to that much more of the line.
constexpr double kHullBlocksPerReach = 4;
// Horn's window reaches one cell, a cubic two cells either way.
constexpr std::int32_t kHornCells = 1;
constexpr std::int32_t kCubicCells = 2;
// The B-spline's coefficients of a cell take from the whole line, by weights
// that shrink by 0.268 a cell: 32 cells on, below a double's last digit.
constexpr std::int32_t kSplineCells = 32;
constexpr std::int64_t kLargestLightingCells = std::int64_t{8192} * 8192;

[[noreturn]] void Refuse(const std::string& problem) { throw RequestError(problem); }

std::int64_t CeilDivide(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

// Cells [first, end) of a grid of `to` cells that cover cells [first, end)
// of one of `from` cells over the same extent.
std::pair<std::int32_t, std::int32_t> Footprint(std::int32_t first, std::int32_t end, std::int32_t from,
                                                std::int32_t to) {
    return {static_cast<std::int32_t>(std::int64_t{first} * to / from),
            static_cast<std::int32_t>(CeilDivide(std::int64_t{end} * to, from))};
}

// [first - grow, end + grow) within [0, count).
std::pair<std::int32_t, std::int32_t> Grown(std::pair<std::int32_t, std::int32_t> span, std::int32_t grow,
                                            std::int32_t count) {
    return {std::max(0, span.first - grow), static_cast<std::int32_t>(std::min<std::int64_t>(
                                                 count, std::int64_t{span.second} + grow))};
}

// Lighting cells along each axis that a horizon of `reach` ground units,
// swept over a grid of `swept` cells, needs around a window of the lighting
// grid of `fine` cells; `extraCells` of the swept grid more.
Halo HorizonHalo(double reach, const CellSize& swept, const CellSize& fine, int extraCells,
                 const TextureShape& lighting) {
    const double steps = std::ceil(reach / std::min(swept.X, swept.Y));
    const double cells = std::ceil(steps / kHullBlocksPerReach) + kHornCells + kCubicCells + extraCells;
    const auto axis = [&](double sweptCell, double fineCell, std::int32_t side) {
        return static_cast<std::int32_t>(std::min<double>(side, std::ceil((reach + cells * sweptCell) / fineCell)));
    };
    return {axis(swept.X, fine.X, lighting.Width), axis(swept.Y, fine.Y, lighting.Rows)};
}

Halo Wider(const Halo& a, const Halo& b) { return {std::max(a.X, b.X), std::max(a.Y, b.Y)}; }

// The sky is swept on the lighting grid or, for large grids, on one of half
// its resolution (each half cell up to two fine cells, and a cubic back).
Halo SkyHalo(double radius, const CellSize& fine, const TextureShape& lighting) {
    const CellSize half{fine.X * lighting.Width / ((lighting.Width + 1) / 2),
                        fine.Y * lighting.Rows / ((lighting.Rows + 1) / 2)};
    return Wider(HorizonHalo(radius, fine, fine, 0, lighting),
                 HorizonHalo(radius, half, fine, kCubicCells + 1, lighting));
}

// Ground units of a cell of the heightmap: from its georeference where the
// options leave them to it, else as the options give them.
CellSize MapCells(const TerrainSampling& sampling, const WorldFacts& world) {
    const TerrainScale& scale = sampling.RealScale->Scale;
    if (sampling.CellsFromGeoReference && world.Geo) {
        if (const auto cells = GroundCellsOf(*world.Geo, world.Width, world.Rows)) return {cells->X, cells->Y};
    }
    return {scale.CellX, scale.CellY};
}

// Where the sun's lowest edge stands at or below the horizon, a shadow
// never ends: no halo holds it.
double ReachOfSun(const RealScaleLight& light, const HeightRange& heights) {
    const double radius = light.Sun.Diameter / 2;
    const double lowestEdge = light.Sun.Elevation - radius;
    if (!(lowestEdge > 0)) {
        Refuse("the sun at --sun-elevation " + NumberText(light.Sun.Elevation) + " is not above its own radius (" +
               "--sun-size " + NumberText(light.Sun.Diameter) + " / 2 = " + NumberText(radius) +
               " degrees), so its shadows reach without end and no tile can hold them: give an elevation above " +
               NumberText(radius) + ", a smaller --sun-size, or make the world in one run");
    }
    const double rise = (heights.High - heights.Low) * light.Scale.ZFactor;
    return rise / std::tan(lowestEdge * std::numbers::pi / 180);
}

void CheckTileable(const GenerationRequest& request, const TerrainSampling& sampling, std::int32_t tileSize) {
    if (!sampling.RealScale && sampling.Resample == Resampling::Classic) {
        Refuse("the classic generation is defined on the whole heightmap and makes no tiles: tiles need real-scale "
               "lighting (--sun-azimuth and --sun-elevation) or --resample smooth or spline");
    }
    if (!sampling.RealScale && request.Settings.UseLighting) {
        Refuse("the classic lightmap is made from the whole heightmap: tiles with --resample take real-scale "
               "lighting (--sun-azimuth and --sun-elevation) or --no-lighting");
    }
    if (tileSize < 1 || tileSize > kLargestTileSize) {
        Refuse("--tile-size wants 1 .. " + std::to_string(kLargestTileSize) + ", not " + std::to_string(tileSize));
    }
    if (request.Settings.TextureSize < 1 || request.Settings.TextureSize > kLargestWorldTextureSize) {
        Refuse("--size wants 1 .. " + std::to_string(kLargestWorldTextureSize) + " with --tile-size");
    }
}

}  // namespace

TextureShape LightingGridShape(const TextureShape& texture, std::int32_t mapWidth, std::int32_t mapRows) {
    const auto side = [](std::int32_t texture, std::int32_t map) {
        return static_cast<std::int32_t>(
            std::max<std::int64_t>(texture, std::min<std::int64_t>(2 * std::int64_t{texture}, 2 * std::int64_t{map})));
    };
    const TextureShape finer{side(texture.Width, mapWidth), side(texture.Rows, mapRows)};
    return std::int64_t{finer.Width} * finer.Rows <= kLargestLightingCells ? finer : texture;
}

WorldPlan::WorldPlan(const GenerationRequest& request, const WorldFacts& world, std::int32_t tileSize,
                     double skyRadius)
    : mapWidth_(world.Width), mapRows_(world.Rows), tileSize_(tileSize) {
    const TerrainSampling sampling = SamplingOf(request.Terrain);
    CheckTileable(request, sampling, tileSize);
    texture_ = TextureShapeFor(sampling, request.Settings.TextureSize, world.Width, world.Rows);
    columns_ = static_cast<std::int32_t>(CeilDivide(texture_.Width, tileSize));
    rows_ = static_cast<std::int32_t>(CeilDivide(texture_.Rows, tileSize));
    if (TileCount() > kMostTiles) {
        Refuse("--tile-size " + std::to_string(tileSize) + " cuts the " + std::to_string(texture_.Width) + " x " +
               std::to_string(texture_.Rows) + " texture into " + std::to_string(TileCount()) +
               " tiles, more than " + std::to_string(kMostTiles) + ": give a larger --tile-size");
    }
    sourceMargin_ = sampling.Resample == Resampling::Spline ? kSplineCells : kCubicCells;
    realScale_ = sampling.RealScale.has_value();
    lighting_ = realScale_ ? LightingGridShape(texture_, world.Width, world.Rows) : texture_;
    if (!realScale_) return;
    if (!(skyRadius > 0) || !std::isfinite(skyRadius)) Refuse("--sky-radius wants a distance above 0");
    const CellSize map = MapCells(sampling, world);
    const CellSize fine{map.X * world.Width / lighting_.Width, map.Y * world.Rows / lighting_.Rows};
    sunReach_ = ReachOfSun(*sampling.RealScale, world.Statistics.Heights);
    halo_ = HorizonHalo(*sunReach_, fine, fine, 0, lighting_);
    if (sampling.RealScale->SkyLight) {
        skyReach_ = skyRadius;
        halo_ = Wider(halo_, SkyHalo(skyRadius, fine, lighting_));
    }
}

PixelRect WorldPlan::TextureRect(std::int32_t column, std::int32_t row) const {
    const auto end = [this](std::int32_t index, std::int32_t side) {
        return static_cast<std::int32_t>(std::min<std::int64_t>(side, (std::int64_t{index} + 1) * tileSize_));
    };
    return {column * tileSize_, row * tileSize_, end(column, texture_.Width), end(row, texture_.Rows)};
}

// The lighting cells under the tile's pixels, and the halo around them.
WorldWindow WorldPlan::LightingWindow(const PixelRect& texture) const {
    const std::int32_t bottom = texture_.Rows - texture.Y1, top = texture_.Rows - texture.Y0;
    const auto x = Grown(Footprint(texture.X0, texture.X1, texture_.Width, lighting_.Width), halo_.X, lighting_.Width);
    const auto y = Grown(Footprint(bottom, top, texture_.Rows, lighting_.Rows), halo_.Y, lighting_.Rows);
    return {x.first, y.first, x.second, y.second};
}

// The heightmap's cells under the lighting window, and the resampling's around them.
WorldWindow WorldPlan::SourceWindow(const WorldWindow& lighting) const {
    const auto x = Grown(Footprint(lighting.X0, lighting.X1, lighting_.Width, mapWidth_), sourceMargin_, mapWidth_);
    const auto y = Grown(Footprint(lighting.Y0, lighting.Y1, lighting_.Rows, mapRows_), sourceMargin_, mapRows_);
    return {x.first, y.first, x.second, y.second};
}

TilePlan WorldPlan::Tile(std::int32_t column, std::int32_t row) const {
    TilePlan tile{column, row, TextureRect(column, row), {}, {}};
    tile.Lighting = LightingWindow(tile.Texture);
    tile.Source = SourceWindow(tile.Lighting);
    return tile;
}

// A tile of the full size anywhere covers at most one cell more of a
// coarser grid than its share, before the halo and the margin.
WorldPlan::Extent WorldPlan::LargestTile(std::int32_t tileSize) const {
    const auto side = [](std::int64_t cells, std::int64_t grow, std::int64_t count) {
        return std::min(count, cells + 1 + 2 * grow);
    };
    const std::int64_t tileWidth = std::min(tileSize, texture_.Width), tileRows = std::min(tileSize, texture_.Rows);
    const std::int64_t lightWidth = side(CeilDivide(tileWidth * lighting_.Width, texture_.Width), halo_.X, lighting_.Width);
    const std::int64_t lightRows = side(CeilDivide(tileRows * lighting_.Rows, texture_.Rows), halo_.Y, lighting_.Rows);
    const std::int64_t sourceWidth = side(CeilDivide(lightWidth * mapWidth_, lighting_.Width), sourceMargin_, mapWidth_);
    const std::int64_t sourceRows = side(CeilDivide(lightRows * mapRows_, lighting_.Rows), sourceMargin_, mapRows_);
    return {tileWidth * tileRows, realScale_ ? lightWidth * lightRows : 0, sourceWidth * sourceRows};
}

}  // namespace orvalis
