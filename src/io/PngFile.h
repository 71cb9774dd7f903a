#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "io/PngEncoder.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// Samples of a PNG file to write: top row first, Channels interleaved
// values a pixel (1 grey, 2 grey and alpha, 3 red-green-blue, 4 with alpha).
struct PngPixels {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    int Channels = 3;
};

// Encoded in memory (see EncodePng) and then written onto the disk
// atomically: a failed write leaves an earlier file intact. Raises Error
// naming the file, or RunCancelled once the cancel flag is set.
void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint8_t> samples, const PngWriting& writing = {});
void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint16_t> samples, const PngWriting& writing = {});

// The picture as it is seen, as an RGB PNG with the same pixels.
void WritePngFile(const std::string& path, const TDibBuffer& picture,
                  const PngWriting& writing = {});

}  // namespace orvalis
