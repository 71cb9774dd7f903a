#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "raster/PixelColour.h"

namespace orvalis::test {

// The pixel at column x of row y, rows counted from the bottom as they lie in the file.
using PixelAt = std::function<PixelColour(int x, int y)>;

// A 24-bit bottom-up BMP file as bytes: 14-byte and 40-byte headers, then
// rows padded to whole 32-bit words. Tests patch single fields to break it.
std::vector<std::uint8_t> MakeBmp24(int width, int height, const PixelAt& pixelAt);

void PutU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);
void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

// Offsets of the header fields the tests change.
inline constexpr std::size_t kPixelOffsetAt = 10;
inline constexpr std::size_t kHeaderSizeAt = 14;
inline constexpr std::size_t kWidthAt = 18;
inline constexpr std::size_t kHeightAt = 22;
inline constexpr std::size_t kBitCountAt = 28;
inline constexpr std::size_t kCompressionAt = 30;

// A folder removed with everything in it when the test ends.
class TestFolder {
public:
    std::string Path(const std::string& name) const;
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    QTemporaryDir folder_;
};

}  // namespace orvalis::test
