#include "lighting/Lightmap.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "math/Geometry.h"
#include "files/Error.h"
#include "raster/ParallelRows.h"
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

// Rows count up from the picture's bottom edge, as in a bottom-up file, so
// that a light direction means the same side of the picture whichever row
// order its file uses.
TDibBuffer UprightPixels(TDibBuffer heightmap) {
    if (!heightmap.IsTopDown()) return heightmap;
    TDibBuffer upright;
    upright.Allocate(heightmap.Width(), heightmap.RowCount(), 24);
    heightmap.BlitTo(upright.DeviceContext(), 0, 0);
    return upright;
}

// The heights the lighting works from: a file with more than 8 bits a
// sample brings them at full precision (bottom row first already); any
// other gives (r + g + b) / 3 of its upright pixels.
HeightField ReadHeightField(const std::string& path, const PictureReader& readPicture) {
    Picture picture = ReadHeightmapPicture(path, readPicture);
    if (!picture.FineHeights) return HeightFieldOf(UprightPixels(std::move(picture.Pixels)));
    HeightPlane& fine = *picture.FineHeights;
    HeightField field;
    field.Width = fine.Width;
    field.Rows = fine.Rows;
    field.Heights = std::move(fine.Heights);
    return field;
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
    Lighting(const HeightField& field, const Vector3& lightVector, float heightScale, float ambient,
             float diffuse, bool castShadows, const RunOptions& options)
        : Field(field),
          Grid(castShadows ? BuildHeightGrid(field, options) : HeightGrid{}),
          Shadows(Grid, heightScale, UnitVector(lightVector), ThreadCount(options.Threads)),
          Light{{}, ambient, diffuse},
          Heights(field, heightScale, 1.0f),
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

    const HeightField& Field;
    HeightGrid Grid;
    ShadowRays Shadows;
    Shading Light;
    ScaledHeights Heights;  // where shadow rays start: height x heightScale
    std::uint8_t Shadowed;  // a pixel in shadow gets the ambient term, unchanged (no clamp)
    bool CastShadows;
};

void ShadeRow(const Lighting& l, LitValues& lit, std::int32_t row, const NormalEntry* normals,
              TDibBuffer& target) {
    // A lightmap of 24 bits (every generated one) takes its bytes straight.
    std::uint8_t* const bytes = target.BitsPerPixel() == 24 ? target.RowTable(row) : nullptr;
    const auto shade = [&](std::int32_t column, bool blocked) {
        const std::uint8_t v = blocked ? l.Shadowed : lit.Of(normals[column]);
        if (bytes != nullptr) {
            std::fill_n(bytes + 3 * static_cast<std::size_t>(column), 3, v);
        } else {
            target.WritePixel(row, column, PixelColour{v, v, v});
        }
    };
    constexpr std::int32_t lanes = ShadowRays::kLanes;
    std::int32_t column = 0;
    if (l.CastShadows && l.Shadows.LanesAvailable()) {
        for (; column + lanes <= l.Field.Width; column += lanes) {
            float heights[lanes];
            for (std::int32_t j = 0; j < lanes; ++j) heights[j] = l.Heights.At(l.Field.IndexOf(row, column + j));
            const unsigned blocked = l.Shadows.BlockedLanes(column, row, heights);
            for (std::int32_t j = 0; j < lanes; ++j) shade(column + j, blocked >> j & 1);
        }
    }
    for (; column < l.Field.Width; ++column) {
        const Vector3 point{static_cast<float>(column), l.Heights.At(l.Field.IndexOf(row, column)),
                            static_cast<float>(row)};
        shade(column, l.CastShadows && l.Shadows.Blocked(point));
    }
}

void CheckLightmapSize(const HeightField& field, const TDibBuffer& target) {
    if (target.Width() != field.Width || target.RowCount() != field.Rows) {
        throw Error("the lightmap is " + std::to_string(target.Width()) + " x " +
                          std::to_string(target.RowCount()) + ", the heightmap " +
                          std::to_string(field.Width) + " x " + std::to_string(field.Rows));
    }
}

}  // namespace

void ShadeLightmap(const HeightField& field, const TNormalMap& normals, const Vector3& lightVector,
                   float heightScale, TDibBuffer& target, float ambient, float diffuse, bool castShadows,
                   const RunOptions& options) {
    if (normals.size() != static_cast<std::size_t>(field.Width) * field.Rows) {
        throw Error("the normal map has " + std::to_string(normals.size()) +
                          " entries for a " + std::to_string(field.Width) + " x " +
                          std::to_string(field.Rows) + " heightmap");
    }
    CheckLightmapSize(field, target);
    const Lighting lighting(field, lightVector, heightScale, ambient, diffuse, castShadows, options);
    ParallelRowBands(field.Rows, options, SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         LitValues lit(lighting.Light);
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             ShadeRow(lighting, lit, row, &normals[field.IndexOf(row, 0)], target);
                             tally.RowDone();
                         }
                     });
}

void ShadeLightmap(const TDibBuffer& heightmap, const TNormalMap& normals,
                   const Vector3& lightVector, float heightScale, TDibBuffer& target,
                   float ambient, float diffuse, bool castShadows, const RunOptions& options) {
    ShadeLightmap(HeightFieldOf(heightmap), normals, lightVector, heightScale, target, ambient, diffuse,
                  castShadows, options);
}

namespace {

// Normals and shading row by row, so that no whole normal map is kept.
// Each row counts twice, as a normal-map row and as a shaded row.
void LightRows(const HeightField& field, const LightSettings& light, TDibBuffer& target,
               const RunOptions& options) {
    CheckLightmapSize(field, target);
    const Lighting lighting(field, LightVector(light), kHeightScale, kAmbient, kDiffuse, true, options);
    ParallelRowBands(field.Rows, ProgressPart(options, 2), SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         NormalRows normals(field, kHeightScale, firstRow);
                         LitValues lit(lighting.Light);
                         std::vector<NormalEntry> rowNormals(static_cast<std::size_t>(field.Width));
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             normals.Row(row, rowNormals.data());
                             ShadeRow(lighting, lit, row, rowNormals.data(), target);
                             tally.RowDone();
                         }
                     });
}

}  // namespace

TerrainLighting PrepareTerrainLighting(const std::string& heightmapPath,
                                       const RunOptions& options) {
    TerrainLighting terrain{ReadHeightField(heightmapPath, options.ReadPicture), {}};
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

TDibBuffer LightHeightmapFile(const std::string& heightmapPath, const LightSettings& light,
                              const RunOptions& options) {
    const HeightField field = ReadHeightField(heightmapPath, options.ReadPicture);
    TDibBuffer shaded;
    shaded.Allocate(field.Width, field.Rows, 24);
    LightRows(field, light, shaded, options);
    return shaded;
}

void BuildLightmap(const std::string& heightmapPath, const LightSettings& light,
                   TDibBuffer& lightmap, const std::string& lightmapPath,
                   const RunOptions& options) {
    TDibBuffer shaded = LightHeightmapFile(heightmapPath, light, options);
    shaded.WriteBmpFile(lightmapPath);
    lightmap = std::move(shaded);
}

}  // namespace orvalis
