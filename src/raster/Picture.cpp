#include "raster/Picture.h"

#include <utility>

#include "files/Error.h"

namespace orvalis {

HeightPlane HeightsOf(const Picture& picture) {
    return picture.FineHeights ? *picture.FineHeights : HeightsOfPixels(picture.Pixels);
}

HeightPlane HeightsOf(Picture&& picture) {
    return picture.FineHeights ? std::move(*picture.FineHeights) : HeightsOfPixels(picture.Pixels);
}

Picture ReadBmpPicture(const std::string& path) {
    Picture picture;
    picture.Pixels.ReadBmpFile(path);
    return picture;
}

Picture ReadHeightmapPicture(const std::string& path, const PictureReader& readPicture) {
    Picture picture = readPicture(path);
    if (picture.Pixels.IsEmpty()) throw Error(path, "the picture is empty");
    return picture;
}

}  // namespace orvalis
