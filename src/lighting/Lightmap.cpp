#include "lighting/Lightmap.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "math/Geometry.h"
#include "files/Error.h"
#include "raster/ParallelRows.h"
#include "raster/Picture.h"
#include "lighting/NormalRows.h"
#include "lighting/ScaledHeights.h"
#include "lighting/ShadowMarch.h"

namespace orvalis {

namespace {

// Pi beyond extended precision. Near 90 degrees the sign of the tiny cosine
// decides whether rays start on the border columns, and a double pi gives the
// opposite sign.
constexpr long double kPi = 3.14159265358979323846264338327950288L;

constexpr float kAmbient = kLightmapAmbient;
constexpr float kDiffuse = kLightmapDiffuse;
constexpr float kHeightScale = 1.0f;

// Everything the shading of one pixel needs besides the pixel itself.
struct Shading {
    Vector3 UnitLight;
    float Ambient;
    float Diffuse;
};

// 0.6 x 255 rounds to the single 153.0 before the truncation.
std::uint8_t IntensityByte(float intensity) {
    const std::int32_t v = TruncToInt(static_cast<float>(intensity * 255.0L));
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// The value of a lit pixel, a function of its normal entry alone.
std::uint8_t LitValue(const Shading& s, NormalEntry e) {
    const Vector3 normal{static_cast<float>(e.x), static_cast<float>(e.y), static_cast<float>(e.z)};
    Vector3 unitNormal;
    NormalizedCopy(normal, unitNormal);
    // d is not clamped at 0: a face turned away gets less than the ambient term.
    const long double d = DotProduct(unitNormal, s.UnitLight);
    float intensity = static_cast<float>(d * s.Diffuse + s.Ambient);
    if (intensity > 1) intensity = 1;
    if (intensity < 0) intensity = 0;
    return IntensityByte(intensity);
}

// Neighbouring pixels mostly share their normal entry; the lit value of an
// entry is kept in a small direct-mapped table instead of being worked out
// again.
class LitValues {
public:
    explicit LitValues(const Shading& shading) : shading_(shading), slots_(kSlots) {}

    std::uint8_t Of(NormalEntry e) {
        const std::uint32_t key = kFilled | static_cast<std::uint8_t>(e.x) |
                                  static_cast<std::uint32_t>(static_cast<std::uint8_t>(e.y)) << 8 |
                                  static_cast<std::uint32_t>(static_cast<std::uint8_t>(e.z)) << 16;
        Slot& slot = slots_[(key * 0x9e3779b1u) >> (32 - kSlotBits)];
        if (slot.Key != key) slot = Slot{key, LitValue(shading_, e)};
        return slot.Value;
    }

private:
    static constexpr int kSlotBits = 12;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    static constexpr std::uint32_t kFilled = 1u << 24;
    struct Slot {
        std::uint32_t Key = 0;
        std::uint8_t Value = 0;
    };
    const Shading& shading_;
    std::vector<Slot> slots_;
};

// Reports `weight` units of progress per finished row.
RunOptions ProgressPart(const RunOptions& options, int weight) {
    RunOptions part = options;
    if (options.Progress) {
        part.Progress = [progress = options.Progress, weight](SynthesisStage stage, int rowsDone,
                                                              int rowsTotal) {
            progress(stage, weight * rowsDone, weight * rowsTotal);
        };
    }
    return part;
}

}  // namespace

Vector3 LightVector(const LightSettings& light) {
    const long double t = light.LightDir * kPi / 180;
    return Vector3{static_cast<float>(std::cos(t)), static_cast<float>(light.SunPos / 100.0L),
                   static_cast<float>(std::sin(t))};
}

namespace {

// What every row of one lightmap shares.
struct Lighting {
    Lighting(const HeightPlane& plane, const Vector3& lightVector, float heightScale, float ambient,
             float diffuse, bool castShadows, const RunOptions& options)
        : Plane(plane),
          Grid(castShadows ? BuildHeightGrid(plane, options) : HeightGrid{}),
          Shadows(Grid, heightScale, UnitVector(lightVector), ThreadCount(options.Threads)),
          Light{{}, ambient, diffuse},
          Heights(plane, heightScale, 1.0f),
          Shadowed(IntensityByte(ambient)),
          CastShadows(castShadows) {
        // The shadow march and the shading each normalise the light once
        // more; that gives the same vector for every pixel.
        NormalizedCopy(UnitVector(lightVector), Light.UnitLight);
    }

    static Vector3 UnitVector(const Vector3& v) {
        Vector3 unit;
        NormalizedCopy(v, unit);
        return unit;
    }

    const HeightPlane& Plane;
    HeightGrid Grid;
    ShadowRays Shadows;
    Shading Light;
    ScaledHeights Heights;  // where shadow rays start: height x heightScale
    std::uint8_t Shadowed;  // a pixel in shadow gets the ambient term, unchanged (no clamp)
    bool CastShadows;
};

// Where the shadow rays of plane row `row` start, one height a column.
class RayHeights {
public:
    const float* Row(const Lighting& l, std::int32_t row) {
        heights_.resize(static_cast<std::size_t>(l.Plane.Width));
        if (l.CastShadows) l.Heights.Row(row, heights_.data(), uncertain_);
        return heights_.data();
    }

private:
    std::vector<float> heights_;
    std::vector<std::int32_t> uncertain_;
};

// The grey value of every pixel of plane row `row`, into grey[0 .. Width - 1];
// heights holds where the row's shadow rays start.
void ShadeRow(const Lighting& l, LitValues& lit, std::int32_t row, const float* heights, const NormalEntry* normals,
              std::uint8_t* grey) {
    const auto shade = [&](std::int32_t column, bool blocked) {
        grey[column] = blocked ? l.Shadowed : lit.Of(normals[column]);
    };
    constexpr std::int32_t lanes = ShadowRays::kLanes;
    std::int32_t column = 0;
    if (l.CastShadows && l.Shadows.LanesAvailable()) {
        for (; column + lanes <= l.Plane.Width; column += lanes) {
            const unsigned blocked = l.Shadows.BlockedLanes(row, column, heights + column);
            for (std::int32_t j = 0; j < lanes; ++j) shade(column + j, blocked >> j & 1);
        }
    }
    for (; column < l.Plane.Width; ++column) {
        const Vector3 point{static_cast<float>(column), heights[column], static_cast<float>(row)};
        shade(column, l.CastShadows && l.Shadows.Blocked(point));
    }
}

// Plane row `row` of the target gets the grey values, each as red, green and blue.
void PutGreyRow(const std::uint8_t* grey, std::int32_t row, TDibBuffer& target) {
    const std::int32_t targetRow = BufferRowOfPlaneRow(target, row);
    if (target.BitsPerPixel() == 24) {  // every generated lightmap: its bytes straight
        std::uint8_t* bytes = target.RowTable(targetRow);
        for (std::int32_t column = 0; column < target.Width(); ++column, bytes += 3) {
            bytes[0] = bytes[1] = bytes[2] = grey[column];
        }
        return;
    }
    for (std::int32_t column = 0; column < target.Width(); ++column) {
        target.WritePixel(targetRow, column, PixelColour{grey[column], grey[column], grey[column]});
    }
}

void CheckLightmapSize(const HeightPlane& plane, const TDibBuffer& target) {
    if (target.Width() != plane.Width || target.RowCount() != plane.Rows) {
        throw Error("the lightmap is " + std::to_string(target.Width()) + " x " +
                          std::to_string(target.RowCount()) + ", the heightmap " +
                          std::to_string(plane.Width) + " x " + std::to_string(plane.Rows));
    }
}

}  // namespace

void ShadeLightmap(const HeightPlane& plane, const TNormalMap& normals, const Vector3& lightVector,
                   float heightScale, TDibBuffer& target, float ambient, float diffuse, bool castShadows,
                   const RunOptions& options) {
    if (normals.size() != static_cast<std::size_t>(plane.Width) * plane.Rows) {
        throw Error("the normal map has " + std::to_string(normals.size()) +
                          " entries for a " + std::to_string(plane.Width) + " x " +
                          std::to_string(plane.Rows) + " heightmap");
    }
    CheckLightmapSize(plane, target);
    const Lighting lighting(plane, lightVector, heightScale, ambient, diffuse, castShadows, options);
    ParallelRowBands(plane.Rows, options, SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         LitValues lit(lighting.Light);
                         std::vector<std::uint8_t> grey(static_cast<std::size_t>(plane.Width));
                         RayHeights heights;
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             ShadeRow(lighting, lit, row, heights.Row(lighting, row), &normals[plane.IndexOf(row, 0)],
                                      grey.data());
                             PutGreyRow(grey.data(), row, target);
                             tally.RowDone();
                         }
                     });
}

namespace {

// Normals and shading row by row, so that no whole normal map is kept: a
// grey byte a pixel, plane row after plane row. Each row counts twice, as a
// normal-map row and as a shaded row.
std::vector<std::uint8_t> LightRows(const HeightPlane& plane, const LightSettings& light, const RunOptions& options) {
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(plane.Width) * plane.Rows);
    const Lighting lighting(plane, LightVector(light), kHeightScale, kAmbient, kDiffuse, true, options);
    ParallelRowBands(plane.Rows, ProgressPart(options, 2), SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         NormalRows normals(plane, kHeightScale, firstRow);
                         LitValues lit(lighting.Light);
                         std::vector<NormalEntry> rowNormals(static_cast<std::size_t>(plane.Width));
                         RayHeights heights;
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             normals.Row(row, rowNormals.data());
                             ShadeRow(lighting, lit, row, heights.Row(lighting, row), rowNormals.data(),
                                      &grey[plane.IndexOf(row, 0)]);
                             tally.RowDone();
                         }
                     });
    return grey;
}

}  // namespace

TerrainLighting PrepareTerrainLighting(Picture heightmap, const RunOptions& options) {
    TerrainLighting terrain{HeightsOf(std::move(heightmap), options.Threads), {}};
    BuildNormalMap(terrain.Field, terrain.Normals, kHeightScale, options);
    return terrain;
}

TDibBuffer ShadeTerrain(const TerrainLighting& terrain, const LightSettings& light,
                        const RunOptions& options) {
    TDibBuffer shaded;
    shaded.Allocate(terrain.Field.Width, terrain.Field.Rows, 24);
    ShadeLightmap(terrain.Field, terrain.Normals, LightVector(light), kHeightScale, shaded,
                  kAmbient, kDiffuse, true, options);
    return shaded;
}

std::vector<std::uint8_t> LightGreyLevels(const HeightPlane& plane, const LightSettings& light,
                                          const RunOptions& options) {
    return LightRows(plane, light, options);
}

TDibBuffer GreyLightmap(std::vector<std::uint8_t> grey, std::int32_t width, std::int32_t rows,
                        const RunOptions& options) {
    TDibBuffer shaded;
    shaded.Allocate(width, rows, 24);
    RunOptions quiet = options;
    quiet.Progress = nullptr;
    ParallelRows(rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
        PutGreyRow(&grey[static_cast<std::size_t>(row) * width], row, shaded);
    });
    return shaded;
}

// The lightmap holds one byte a pixel while the heights and the shadows'
// tables take their memory, and three only once they are gone.
TDibBuffer LightHeightmap(Picture heightmap, const LightSettings& light, const RunOptions& options) {
    std::vector<std::uint8_t> grey;
    std::int32_t width = 0, rows = 0;
    {
        const HeightPlane plane = HeightsOf(std::move(heightmap), options.Threads);
        heightmap.Pixels = TDibBuffer();  // the lighting needs only the heights
        width = plane.Width;
        rows = plane.Rows;
        grey = LightRows(plane, light, options);
    }
    return GreyLightmap(std::move(grey), width, rows, options);
}

}  // namespace orvalis
