#pragma once

#include <optional>

#include "raster/DibBuffer.h"
#include "raster/GeoReference.h"
#include "raster/HeightPlane.h"
#include "raster/LevelScale.h"

namespace orvalis {

// A picture file as read: the pixels to show and blend, and, for data finer
// than 8 bits, the heights at full precision. An 8-bit picture's heights are
// those of its pixels, made on demand.
struct Picture {
    TDibBuffer Pixels;
    std::optional<HeightPlane> FineHeights;
    // How its grey levels stand for heights in the data's own units. The
    // levels of signed and floating-point samples (RealSamples) are made from
    // their heights; those of all others are the samples themselves, whose
    // heights a height range names when one is given.
    LevelScale Levels;
    bool RealSamples = false;
    // Where the picture lies on the earth, when its file says.
    std::optional<GeoReference> Geo;
    // Real samples none of which has data (all NaN, infinite or the file's
    // no-data value): their heights are all Levels.Low, which means nothing.
    bool AllNoData = false;
};

// The picture's heights: the fine ones when the file had them, else the
// byte sums of its pixels. From a picture no longer needed, the fine ones
// are taken over rather than copied, and byte sums made on `threads` threads.
HeightPlane HeightsOf(const Picture& picture);
HeightPlane HeightsOf(Picture&& picture, int threads = 1);

// The picture's heights in the data's own units (Levels applied to its
// heights): what real-scale lighting and band heights work from.
HeightPlane HeightsInDataUnits(const Picture& picture);

}  // namespace orvalis
