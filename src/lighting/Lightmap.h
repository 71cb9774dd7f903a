#pragma once

#include <cstdint>
#include <string>

#include "math/VectorTypes.h"
#include "raster/DibBuffer.h"
#include "raster/HeightField.h"
#include "lighting/NormalMap.h"
#include "lighting/ShadowMarch.h"
#include "raster/Progress.h"

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
// between its normal and the light, cut to 0 .. 1, times 255, as grey.
void ShadeLightmap(const HeightField& field, const TNormalMap& normals, const Vector3& lightVector,
                   float heightScale, TDibBuffer& target, float ambient, float diffuse, bool castShadows,
                   const RunOptions& options = {});
// The same for the heights (r + g + b) / 3 of a picture.
void ShadeLightmap(const TDibBuffer& heightmap, const TNormalMap& normals,
                   const Vector3& lightVector, float heightScale, TDibBuffer& target,
                   float ambient, float diffuse, bool castShadows, const RunOptions& options = {});

// A heightmap's heights read for lighting (rows counted up from its bottom
// edge, as in a bottom-up file) with its normal map: what every light shares.
struct TerrainLighting {
    HeightField Field;
    TNormalMap Normals;
};

TerrainLighting PrepareTerrainLighting(const std::string& heightmapPath,
                                       const RunOptions& options = {});

// The lightmap of a generation for this light: 24-bit grey, the heightmap's size.
TDibBuffer ShadeTerrain(const TerrainLighting& terrain, const LightSettings& light,
                        const RunOptions& options = {});

// Reads the heightmap and lights it: 24-bit grey, the heightmap's size.
TDibBuffer LightHeightmapFile(const std::string& heightmapPath, const LightSettings& light,
                              const RunOptions& options = {});

// Reads the heightmap, shades it into `lightmap` (24-bit grey, the
// heightmap's size) and writes it to lightmapPath.
void BuildLightmap(const std::string& heightmapPath, const LightSettings& light,
                   TDibBuffer& lightmap, const std::string& lightmapPath,
                   const RunOptions& options = {});

}  // namespace orvalis
