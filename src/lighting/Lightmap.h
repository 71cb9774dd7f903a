#pragma once

#include <cstdint>
#include <vector>

#include "math/VectorTypes.h"
#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"
#include "raster/Picture.h"
#include "raster/Progress.h"
#include "lighting/NormalMap.h"

namespace orvalis {

// Positions of the two lighting scrollbars.
struct LightSettings {
    int LightDir = 90;  // degrees, 0 .. 360
    int SunPos = 50;    // 0 .. 400: 100 x tangent of the light's elevation
};

// The shading constants of a generated lightmap.
inline constexpr float kLightmapAmbient = 0.6f;
inline constexpr float kLightmapDiffuse = 0.5f;

// From the terrain toward the light: (cos t, p / 100, sin t), t in radians
// computed at extended precision.
Vector3 LightVector(const LightSettings& light);

// Lights every pixel: ambient in shadow, else ambient + diffuse x the cosine
// between its normal and the light, cut to 0 .. 1, times 255, as grey. Plane
// row r goes to the target's r-th row from the bottom, whatever its row order.
void ShadeLightmap(const HeightPlane& plane, const TNormalMap& normals, const Vector3& lightVector,
                   float heightScale, TDibBuffer& target, float ambient, float diffuse, bool castShadows,
                   const RunOptions& options = {});

// A heightmap's heights read for lighting with its normal map: what every
// light shares.
struct TerrainLighting {
    HeightPlane Field;
    TNormalMap Normals;
};

// Takes the heightmap over: its heights become the terrain's.
TerrainLighting PrepareTerrainLighting(Picture heightmap, const RunOptions& options = {});

// The lightmap of a generation for this light: 24-bit grey, the heightmap's size.
TDibBuffer ShadeTerrain(const TerrainLighting& terrain, const LightSettings& light,
                        const RunOptions& options = {});

// What LightHeightmap makes, a grey byte a pixel, plane row after plane row.
std::vector<std::uint8_t> LightGreyLevels(const HeightPlane& plane, const LightSettings& light,
                                          const RunOptions& options = {});
// The 24-bit lightmap of such grey bytes, which it frees.
TDibBuffer GreyLightmap(std::vector<std::uint8_t> grey, std::int32_t width, std::int32_t rows,
                        const RunOptions& options = {});

// Lights the heightmap row by row, without a whole normal map: 24-bit grey,
// its size. Takes the picture over, so that only its heights are kept while
// the rows are shaded.
TDibBuffer LightHeightmap(Picture heightmap, const LightSettings& light,
                          const RunOptions& options = {});

}  // namespace orvalis
