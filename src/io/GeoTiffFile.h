#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "files/Cancellation.h"
#include "raster/DibBuffer.h"
#include "raster/GeoReference.h"

namespace orvalis {

// Where an output lies: over the extent of a map of MapWidth x MapRows
// pixels placed by Geo (none: a plain TIFF), whatever the output's own size.
struct GeoPlacement {
    const GeoReference* Geo = nullptr;
    std::int32_t MapWidth = 0;
    std::int32_t MapRows = 0;
};

// The picture as a GeoTIFF file (deflate-compressed): one grey band from its
// blue channel when `grey`, else red, green and blue; with the map's
// coordinate system and a transform for the picture's own size over the
// same extent. Written atomically: a failed write leaves an earlier file
// intact. Raises Error, or RunCancelled once the cancel flag is set.
void WriteGeoTiffFile(const std::string& path, const TDibBuffer& picture, bool grey, const GeoPlacement& placement,
                      const CancelFlag* cancel = nullptr);

// Samples of a GeoTIFF to write: top row first, Channels interleaved values
// a pixel (1 grey, 3 red-green-blue, 4: a fourth band of data after them).
struct TiffPixels {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    int Channels = 3;
};

// The same from samples, as PNG files take them.
void WriteGeoTiffFile(const std::string& path, const TiffPixels& format, std::span<const std::uint8_t> samples,
                      const GeoPlacement& placement, const CancelFlag* cancel = nullptr);

// The six lines of a world file (.pgw, .tfw, .wld) for a picture of width x
// rows pixels over the map's extent: the pixel size and rotation, then the
// centre of the top-left pixel. Raises Error when the map has no transform.
std::string WorldFileText(const GeoPlacement& placement, std::int32_t width, std::int32_t rows);

}  // namespace orvalis
