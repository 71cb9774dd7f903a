#include "raster/Picture.h"

#include <utility>

namespace orvalis {

HeightPlane HeightsOf(const Picture& picture) {
    return picture.FineHeights ? *picture.FineHeights : HeightsOfPixels(picture.Pixels);
}

HeightPlane HeightsOf(Picture&& picture) {
    return picture.FineHeights ? std::move(*picture.FineHeights) : HeightsOfPixels(picture.Pixels);
}

}  // namespace orvalis
