#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/VectorTypes.h"
#include "raster/DibBuffer.h"
#include "synth/NormalMap.h"
#include "synth/Progress.h"

namespace orvalis {

// Positions of the two lighting scrollbars.
struct LightSettings {
    int LightDir = 90;  // degrees, 0 .. 360
    int SunPos = 50;    // 0 .. 400: 100 x tangent of the light's elevation
};

// From the terrain toward the light: (cos t, p / 100, sin t), t in radians
// computed at extended precision.
Vector3 LightVector(const LightSettings& light);

// The integer height (r + g + b) div 3 of every pixel, by column then row.
class HeightGrid {
public:
    HeightGrid() = default;
    HeightGrid(std::int32_t columns, std::int32_t rows);
    std::uint8_t At(std::int32_t column, std::int32_t row) const {
        return cells_[static_cast<std::size_t>(column) * rows_ + row];
    }
    std::uint8_t& At(std::int32_t column, std::int32_t row) {
        return cells_[static_cast<std::size_t>(column) * rows_ + row];
    }
    std::int32_t Columns() const { return columns_; }
    std::int32_t Rows() const { return rows_; }
    std::uint8_t Highest() const;

private:
    std::int32_t columns_ = 0;
    std::int32_t rows_ = 0;
    std::vector<std::uint8_t> cells_;
};

HeightGrid BuildHeightGrid(const TDibBuffer& heightmap);

// Marches from origin along direction, one unit a step, while strictly inside
// the picture; true when the grid reaches the ray.
bool IsInShadow(const HeightGrid& grid, float heightScale, const Vector3& origin,
                const Vector3& direction);

void ShadeLightmap(const TDibBuffer& heightmap, const TNormalMap& normals,
                   const Vector3& lightVector, float heightScale, TDibBuffer& target,
                   float ambient, float diffuse, bool castShadows, const RunOptions& options = {});

// A heightmap read for lighting (rows counted up from its bottom edge, as in
// a bottom-up file) with its normal map: what every light shares.
struct TerrainLighting {
    TDibBuffer Heightmap;
    TNormalMap Normals;
};

TerrainLighting PrepareTerrainLighting(const std::string& heightmapPath,
                                       const RunOptions& options = {});

// The lightmap of a generation for this light: 24-bit grey, the heightmap's size.
TDibBuffer ShadeTerrain(const TerrainLighting& terrain, const LightSettings& light,
                        const RunOptions& options = {});

// Reads the heightmap, shades it into `lightmap` (24-bit grey, the
// heightmap's size) and writes it to lightmapPath.
void BuildLightmap(const std::string& heightmapPath, const LightSettings& light,
                   TDibBuffer& lightmap, const std::string& lightmapPath,
                   const RunOptions& options = {});

}  // namespace orvalis
