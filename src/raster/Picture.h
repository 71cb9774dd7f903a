#pragma once

#include <optional>

#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"

namespace orvalis {

// A picture file as read: the pixels to show and blend, and, for data finer
// than 8 bits, the heights at full precision. An 8-bit picture's heights are
// those of its pixels, made on demand.
struct Picture {
    TDibBuffer Pixels;
    std::optional<HeightPlane> FineHeights;
};

// The picture's heights: the fine ones when the file had them, else the
// byte sums of its pixels. From a picture no longer needed, the fine ones
// are taken over rather than copied.
HeightPlane HeightsOf(const Picture& picture);
HeightPlane HeightsOf(Picture&& picture);

}  // namespace orvalis
