#include "raster/Picture.h"

#include <utility>

namespace orvalis {

HeightPlane HeightsOf(const Picture& picture) {
    return picture.FineHeights ? *picture.FineHeights : HeightsOfPixels(picture.Pixels);
}

HeightPlane HeightsOf(Picture&& picture, int threads) {
    return picture.FineHeights ? std::move(*picture.FineHeights) : HeightsOfPixels(picture.Pixels, threads);
}

HeightPlane HeightsInDataUnits(const Picture& picture) {
    HeightPlane levels = HeightsOf(picture);
    HeightPlane heights{levels.Width, levels.Rows, std::vector<double>(static_cast<std::size_t>(levels.Width) * levels.Rows), {}};
    for (std::size_t i = 0; i < heights.Heights.size(); ++i) heights.Heights[i] = picture.Levels.HeightOf(levels.Height(i));
    return heights;
}

}  // namespace orvalis
