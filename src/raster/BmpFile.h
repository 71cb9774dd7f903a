#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "raster/BitmapInfo.h"

namespace orvalis {

// Limits of the BMP reader, checked before any size taken from a file is used.
inline constexpr std::uint32_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kCoreHeaderSize = 12;     // OS/2 BITMAPCOREHEADER
inline constexpr std::uint32_t kInfoHeaderSize = 40;     // BITMAPINFOHEADER
inline constexpr std::uint32_t kLargestHeaderSize = 124; // BITMAPV5HEADER

// Reads the information header (12, 40, 52, 56, 108 or 124 bytes) that
// follows the 14-byte file header in fileStart into an Info-shaped block:
// the first 40 bytes of a larger header, bit-field masks at file offset 54,
// a colour table of 256 entries from right after the whole header (missing
// entries black). Returns the pixel offset bfOffBits. Raises Error
// (without a file name; the caller adds it) for anything it cannot read.
// info.Header.biSize keeps the file's header size (12 for a core header).
std::uint32_t ParseBmpHeader(std::span<const std::uint8_t> fileStart, BitmapInfo& info);

// The headers of a BMP file, read and checked as TDibBuffer::ReadBmpFile
// does before it reads the pixels.
struct BmpFileHeader {
    BitmapInfo Info;                    // as ParseBmpHeader gives it
    std::uint32_t PixelOffset = 0;      // bfOffBits
    std::uint32_t DeclaredFileSize = 0; // bfSize, which bounds run-length data
    std::uint64_t FileSize = 0;         // the file's real size
};

// Raises Error naming the file when it cannot be opened or read, or
// when its headers cannot be used.
BmpFileHeader ReadBmpHeader(const std::string& path);

}  // namespace orvalis
