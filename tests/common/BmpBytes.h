#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "raster/PixelColour.h"

namespace orvalis::test {

// The pixel at column x of row y, rows counted from the bottom as they lie in the file.
using PixelAt = std::function<PixelColour(int x, int y)>;

// Offsets of the header fields the tests change.
inline constexpr std::size_t kPixelOffsetAt = 10;
inline constexpr std::size_t kHeaderSizeAt = 14;
inline constexpr std::size_t kWidthAt = 18;
inline constexpr std::size_t kHeightAt = 22;
inline constexpr std::size_t kBitCountAt = 28;
inline constexpr std::size_t kCompressionAt = 30;

inline void PutU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

inline void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// A 24-bit bottom-up BMP file as bytes: 14-byte and 40-byte headers, then
// rows padded to whole 32-bit words. Tests patch single fields to break it.
inline std::vector<std::uint8_t> MakeBmp24(int width, int height, const PixelAt& pixelAt) {
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t pixelBytes = rowBytes * height;
    std::vector<std::uint8_t> bytes(54 + pixelBytes);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutU32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    PutU32(bytes, kPixelOffsetAt, 54);
    PutU32(bytes, kHeaderSizeAt, 40);
    PutU32(bytes, kWidthAt, static_cast<std::uint32_t>(width));
    PutU32(bytes, kHeightAt, static_cast<std::uint32_t>(height));
    PutU16(bytes, 26, 1);
    PutU16(bytes, kBitCountAt, 24);
    PutU32(bytes, 34, static_cast<std::uint32_t>(pixelBytes));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const PixelColour colour = pixelAt(x, y);
            std::memcpy(bytes.data() + 54 + y * rowBytes + 3 * x, &colour, 3);
        }
    }
    return bytes;
}

}  // namespace orvalis::test
