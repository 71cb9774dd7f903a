#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"
#include "raster/ParallelRows.h"
#include "raster/Progress.h"
#include "lighting/GroundGrid.h"
#include "lighting/SunDirection.h"

namespace orvalis {

// The share of the light that comes from the sky rather than the sun: what
// level open ground in shadow receives (before the light is scaled to 1).
inline constexpr double kDefaultAmbient = 0.3;

// Lighting of a terrain at its real scale: heights and cells in one linear
// unit, the sun where it stands in the sky.
struct RealScaleLight {
    TerrainScale Scale;
    SunPosition Sun;
    double Ambient = kDefaultAmbient;  // 0 .. 1
    bool SkyLight = false;             // the sky the terrain hides is taken away (horizons
                                       // at half the resolution above 2048 x 2048 cells)
    // Open water: the ground below this height (in the heights' units,
    // before the z-factor) lies under its flat surface, which the light sees
    // instead: level, unshadowed by the sea floor, open to the sky as level
    // ground is where the land leaves it open.
    std::optional<double> WaterLevel;
};

// Raises Error naming the setting that is out of its range.
void CheckRealScaleLight(const RealScaleLight& light);

// Per cell, bottom row first, each 0 .. 1:
//   Shade = LightWithinOne(Ambient x sky + (1 - Ambient) x max(0, n . l) x SunVisibility, most)
// with n the cell's normal by Horn's method, l the direction toward the sun,
// sky the clear sky's light on the cell's face relative to level open ground
// (ClearSky: the open sky, or with SkyLight the sky above the terrain's
// horizons), SunVisibility the share of the sun's disc seen over the terrain,
// and `most` the most any open face receives (ClearSky::MostLight, at least
// 1). So Shade never passes 1 and nothing is cut, shaded ground keeps its
// relief, and a face turned away from the sun is lit exactly as a shadow on a
// face of its tilt is, never darker.
struct LitTerrain {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::vector<float> Shade;
    std::vector<float> SunVisibility;
};

// Light of 0 .. `most` brought within 0 .. 1 without cutting it: unchanged
// up to the knee 2 - most, then rolling off along a parabola that meets the
// line there with its slope and reaches 1, level, at `most`. A `most` of 1
// changes nothing.
double LightWithinOne(double light, double most);

LitTerrain LightAtRealScale(const HeightPlane& heights, const RealScaleLight& light,
                            const RunOptions& options = {});
// The same from the grids made for it (LightingGrids.h).
struct LightingGrids;
LitTerrain LightAtRealScale(const LightingGrids& grids, const RealScaleLight& light, const RunOptions& options = {});
// The same given as the area means over width x rows cells (ResampleHeights),
// made a band of rows at a time without the whole shade of the grid.
LitTerrain LightAtRealScale(const LightingGrids& grids, const RealScaleLight& light, std::int32_t width,
                            std::int32_t rows, const RunOptions& options = {});

// A plane of values 0 .. 1 (bottom row first) as a 24-bit grey picture of
// the same size, each value x 255 rounded to the nearest byte; rows in
// parallel as options ask.
TDibBuffer GreyPicture(std::int32_t width, std::int32_t rows, const std::vector<float>& values,
                       const RunOptions& options = OneThread());

}  // namespace orvalis
