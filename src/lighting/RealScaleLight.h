#pragma once

#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"
#include "raster/Progress.h"
#include "lighting/GroundGrid.h"
#include "lighting/SunDirection.h"

namespace orvalis {

// The share of the light that comes from the sky rather than the sun.
inline constexpr double kDefaultAmbient = 0.3;

// Lighting of a terrain at its real scale: heights and cells in one linear
// unit, the sun where it stands in the sky.
struct RealScaleLight {
    TerrainScale Scale;
    SunPosition Sun;
    double Ambient = kDefaultAmbient;  // 0 .. 1
    bool SkyLight = false;             // the ambient part scaled by the sky-view factor
                                       // (taken at half the resolution above 2048 x 2048 cells)
};

// Raises Error naming the setting that is out of its range.
void CheckRealScaleLight(const RealScaleLight& light);

// Per cell, bottom row first, each 0 .. 1:
//   Shade = Ambient x sky view + (1 - Ambient) x max(0, n . l) x SunVisibility
// with n the cell's normal by Horn's method, l the direction toward the sun,
// the sky view 1 unless SkyLight, and SunVisibility the share of the sun's
// disc seen over the terrain. Shade never passes 1, and a face turned away
// from the sun is lit exactly as a shadow is.
struct LitTerrain {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::vector<float> Shade;
    std::vector<float> SunVisibility;
};

LitTerrain LightAtRealScale(const HeightPlane& heights, const RealScaleLight& light,
                            const RunOptions& options = {});

// A plane of values 0 .. 1 (bottom row first) as a 24-bit grey picture of
// the same size, each value x 255 rounded to the nearest byte.
TDibBuffer GreyPicture(std::int32_t width, std::int32_t rows, const std::vector<float>& values);

}  // namespace orvalis
