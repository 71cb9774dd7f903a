#include "synth/Lightmap.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "math/Geometry.h"
#include "raster/RasterError.h"
#include "synth/ParallelRows.h"

namespace orvalis {

namespace {

// Pi beyond extended precision. Near 90 degrees the sign of the tiny cosine
// decides whether rays start on the border columns, and a double pi gives the
// opposite sign.
constexpr long double kPi = 3.14159265358979323846264338327950288L;

// The shading constants of a generated lightmap.
constexpr float kAmbient = 0.6f;
constexpr float kDiffuse = 0.5f;
constexpr float kHeightScale = 1.0f;

// A cell's height times the single height scale needs at most 8 + 24 bits,
// so it is exact in double and compares with a single exactly as at extended
// precision.
double CellHeight(std::uint8_t cell, float heightScale) {
    return static_cast<double>(cell) * heightScale;
}

// No cell of the grid lies higher than this (and it is never below 0).
double ShadowCeiling(const HeightGrid& grid, float heightScale) {
    return std::max(0.0, CellHeight(grid.Highest(), heightScale));
}

// Steps from origin along the unit vector dir while strictly inside the
// picture; true at the first step whose cell reaches up to the ray. The
// starting pixel itself is not tested.
bool MarchIntoTerrain(const HeightGrid& grid, float heightScale, double ceiling,
                      const Vector3& origin, const Vector3& dir) {
    const auto lastColumn = static_cast<float>(grid.Columns() - 1);
    const auto lastRow = static_cast<float>(grid.Rows() - 1);
    Vector3 pos;
    AddVectors(origin, dir, pos);
    while (pos.x > 0 && pos.x < lastColumn && pos.z > 0 && pos.z < lastRow) {
        // Above the highest cell a ray that does not descend meets nothing more.
        if (dir.y >= 0 && pos.y > ceiling) return false;
        if (CellHeight(grid.At(TruncToInt(pos.x), TruncToInt(pos.z)), heightScale) >= pos.y) {
            return true;
        }
        AddVectors(pos, dir, pos);
    }
    return false;
}

// Everything the shading of one pixel needs besides the pixel itself.
struct Shading {
    const TDibBuffer& Heightmap;
    const TNormalMap& Normals;
    const HeightGrid& Grid;
    Vector3 UnitLight;
    float HeightScale;
    double Ceiling;
    float Ambient;
    float Diffuse;
    bool CastShadows;
};

std::uint8_t ShadePixel(const Shading& s, std::int32_t row, std::int32_t column) {
    const PixelColour p = s.Heightmap.ReadPixel(row, column);
    const long double height = static_cast<long double>(p.Red + p.Green + p.Blue) / 3 * s.HeightScale;
    const Vector3 point{static_cast<float>(column), static_cast<float>(height), static_cast<float>(row)};
    float intensity;
    if (s.CastShadows && MarchIntoTerrain(s.Grid, s.HeightScale, s.Ceiling, point, s.UnitLight)) {
        intensity = s.Ambient;
    } else {
        const NormalEntry& e = s.Normals[static_cast<std::size_t>(row) * s.Heightmap.Width() + column];
        const Vector3 normal{static_cast<float>(e.x), static_cast<float>(e.y), static_cast<float>(e.z)};
        Vector3 unitNormal;
        NormalizedCopy(normal, unitNormal);
        // d is not clamped at 0: a face turned away gets less than the ambient term.
        const long double d = DotProduct(unitNormal, s.UnitLight);
        intensity = static_cast<float>(d * s.Diffuse + s.Ambient);
        if (intensity > 1) intensity = 1;
        if (intensity < 0) intensity = 0;
    }
    // 0.6 x 255 rounds to the single 153.0 before the truncation.
    const std::int32_t v = TruncToInt(static_cast<float>(intensity * 255.0L));
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// A lightmap reports its normal-map rows and then its shaded rows as one run.
RunOptions ProgressPart(const RunOptions& options, int rowsBefore, int rowsTotal) {
    RunOptions part = options;
    part.Progress = {};
    if (options.Progress) {
        part.Progress = [progress = options.Progress, rowsBefore, rowsTotal](
                            SynthesisStage stage, int rowsDone, int) {
            progress(stage, rowsBefore + rowsDone, rowsTotal);
        };
    }
    return part;
}

// Rows count up from the picture's bottom edge, as in a bottom-up file, so
// that a light direction means the same side of the picture whichever row
// order its file uses.
TDibBuffer ReadUprightHeightmap(const std::string& path, const PictureReader& readPicture) {
    TDibBuffer heightmap = readPicture(path).Pixels;
    if (heightmap.IsEmpty()) throw RasterError(path, "the picture is empty");
    if (!heightmap.IsTopDown()) return heightmap;
    TDibBuffer upright;
    upright.Allocate(heightmap.Width(), heightmap.RowCount(), 24);
    heightmap.BlitTo(upright.DeviceContext(), 0, 0);
    return upright;
}

}  // namespace

Vector3 LightVector(const LightSettings& light) {
    const long double t = light.LightDir * kPi / 180;
    return Vector3{static_cast<float>(std::cos(t)), static_cast<float>(light.SunPos / 100.0L),
                   static_cast<float>(std::sin(t))};
}

HeightGrid::HeightGrid(std::int32_t columns, std::int32_t rows)
    : columns_(columns), rows_(rows) {
    if (columns < 0 || rows < 0) throw std::invalid_argument("a height grid cannot have a negative size");
    cells_.resize(static_cast<std::size_t>(columns) * rows);
}

std::uint8_t HeightGrid::Highest() const {
    return cells_.empty() ? 0 : *std::max_element(cells_.begin(), cells_.end());
}

HeightGrid BuildHeightGrid(const TDibBuffer& heightmap) {
    HeightGrid grid(heightmap.Width(), heightmap.RowCount());
    for (std::int32_t row = 0; row < grid.Rows(); ++row) {
        for (std::int32_t column = 0; column < grid.Columns(); ++column) {
            const PixelColour p = heightmap.ReadPixel(row, column);
            // (r + g + b) / 3.0 rounded to single and truncated is exactly the integer division.
            grid.At(column, row) = static_cast<std::uint8_t>((p.Red + p.Green + p.Blue) / 3);
        }
    }
    return grid;
}

bool IsInShadow(const HeightGrid& grid, float heightScale, const Vector3& origin,
                const Vector3& direction) {
    Vector3 dir;
    NormalizedCopy(direction, dir);
    return MarchIntoTerrain(grid, heightScale, ShadowCeiling(grid, heightScale), origin, dir);
}

void ShadeLightmap(const TDibBuffer& heightmap, const TNormalMap& normals,
                   const Vector3& lightVector, float heightScale, TDibBuffer& target,
                   float ambient, float diffuse, bool castShadows, const RunOptions& options) {
    const std::int32_t width = heightmap.Width(), rows = heightmap.RowCount();
    if (normals.size() != static_cast<std::size_t>(width) * rows) {
        throw RasterError("the normal map has " + std::to_string(normals.size()) +
                          " entries for a " + std::to_string(width) + " x " +
                          std::to_string(rows) + " heightmap");
    }
    if (target.Width() != width || target.RowCount() != rows) {
        throw RasterError("the lightmap is " + std::to_string(target.Width()) + " x " +
                          std::to_string(target.RowCount()) + ", the heightmap " +
                          std::to_string(width) + " x " + std::to_string(rows));
    }
    const HeightGrid grid = castShadows ? BuildHeightGrid(heightmap) : HeightGrid{};
    Vector3 light;
    NormalizedCopy(lightVector, light);
    // The shadow march and the shading each normalise the light once more;
    // that gives the same vector for every pixel.
    Shading shading{heightmap, normals, grid, {}, heightScale, ShadowCeiling(grid, heightScale),
                    ambient, diffuse, castShadows};
    NormalizedCopy(light, shading.UnitLight);

    ParallelRows(rows, options, SynthesisStage::Lightmap, [&](std::int32_t row) {
        for (std::int32_t column = 0; column < width; ++column) {
            const std::uint8_t v = ShadePixel(shading, row, column);
            target.WritePixel(row, column, PixelColour{v, v, v});
        }
    });
}

TerrainLighting PrepareTerrainLighting(const std::string& heightmapPath,
                                       const RunOptions& options) {
    TerrainLighting terrain{ReadUprightHeightmap(heightmapPath, options.ReadPicture), {}};
    BuildNormalMap(terrain.Heightmap, terrain.Normals, kHeightScale, options);
    return terrain;
}

TDibBuffer ShadeTerrain(const TerrainLighting& terrain, const LightSettings& light,
                        const RunOptions& options) {
    TDibBuffer shaded;
    shaded.Allocate(terrain.Heightmap.Width(), terrain.Heightmap.Height(), 24);
    ShadeLightmap(terrain.Heightmap, terrain.Normals, LightVector(light), kHeightScale, shaded,
                  kAmbient, kDiffuse, true, options);
    return shaded;
}

// The normal map's rows and then the shaded rows report as one run.
void BuildLightmap(const std::string& heightmapPath, const LightSettings& light,
                   TDibBuffer& lightmap, const std::string& lightmapPath,
                   const RunOptions& options) {
    RunOptions normalsPart = options;
    normalsPart.Progress = {};
    if (options.Progress) {
        normalsPart.Progress = [progress = options.Progress](SynthesisStage stage, int rowsDone,
                                                             int rowsTotal) {
            progress(stage, rowsDone, 2 * rowsTotal);
        };
    }
    const TerrainLighting terrain = PrepareTerrainLighting(heightmapPath, normalsPart);
    const int rows = terrain.Heightmap.RowCount();
    TDibBuffer shaded = ShadeTerrain(terrain, light, ProgressPart(options, rows, 2 * rows));
    shaded.WriteBmpFile(lightmapPath);
    lightmap = std::move(shaded);
}

}  // namespace orvalis
