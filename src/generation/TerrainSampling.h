#pragma once

#include <cstdint>
#include <optional>

#include "raster/ResampleHeights.h"
#include "blending/BandHeights.h"
#include "lighting/RealScaleLight.h"

namespace orvalis {

// How the heights reach the texture: the classic stretch (the nearest pixel
// when enlarging, the AND of the merged pixels when shrinking) or resampling
// (ResampleHeights) that enlarges by cubic convolution (Smooth) or by the
// cubic B-spline through the cells (Spline).
enum class Resampling { Classic, Smooth, Spline };

// What a generation does beyond the classic synthesis: every field left at
// its default keeps the classic texture and lightmap, byte for byte.
struct TerrainSampling {
    Resampling Resample = Resampling::Classic;
    // Band centres in the data's units; none: those of the classic blend.
    std::optional<BandHeights> Bands;
    // Set: the terrain is lit at its real scale instead of by the classic
    // light. Its cells are the heightmap's.
    std::optional<RealScaleLight> RealScale;
    // The cells' ground size comes from the heightmap's georeference where
    // it has one, instead of RealScale's.
    bool CellsFromGeoReference = true;
    // Open water in the data's units: the ground below it is all water in
    // the blend and lies under the water's flat surface for the light.
    std::optional<double> WaterLevel;

    bool IsClassic() const { return Resample == Resampling::Classic && !Bands && !RealScale && !WaterLevel; }
    // How smooth resampling enlarges.
    Interpolation Enlarging() const {
        return Resample == Resampling::Spline ? Interpolation::Spline : Interpolation::Cubic;
    }
};

// The texture's size: textureSize square, except that a real-scale terrain
// keeps the heightmap's aspect with textureSize its longer side (403 x 344
// into 4096 gives 4096 x 3496).
struct TextureShape {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
};
TextureShape TextureShapeFor(const TerrainSampling& sampling, std::int32_t textureSize, std::int32_t mapWidth,
                             std::int32_t mapRows);

}  // namespace orvalis
