#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "files/Cancellation.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// Samples of a PNG file to write: top row first, Channels interleaved
// values a pixel (1 grey, 3 red-green-blue, 4 with alpha).
struct PngPixels {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    int Channels = 3;
};

// Written through GDAL's PNG driver into memory and then onto the disk
// atomically: a failed write leaves an earlier file intact. Raises Error, or
// RunCancelled once the cancel flag is set.
void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint8_t> samples, const CancelFlag* cancel = nullptr);
void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint16_t> samples);

// The picture as it is seen, as an RGB PNG with the same pixels.
void WritePngFile(const std::string& path, const TDibBuffer& picture,
                  const CancelFlag* cancel = nullptr);

}  // namespace orvalis
