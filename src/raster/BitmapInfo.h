#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace orvalis {

static_assert(std::endian::native == std::endian::little,
              "BMP headers are stored and written in the host's byte order");

// The 40-byte information header of the BMP format, laid out as in the file.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct RgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};
static_assert(sizeof(RgbQuad) == 4);

inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

// The header followed by 256 colour-table entries (1064 bytes). For 16- and
// 32-bit pictures entries 0, 1 and 2 hold the red, green and blue masks.
struct BitmapInfo {
    BitmapInfoHeader Header;
    RgbQuad Colours[256] = {};

    std::uint32_t Mask(int channel) const {
        std::uint32_t mask;
        std::memcpy(&mask, &Colours[channel], sizeof mask);
        return mask;
    }
    void SetMask(int channel, std::uint32_t mask) {
        std::memcpy(static_cast<void*>(&Colours[channel]), &mask, sizeof mask);
    }
};
static_assert(sizeof(BitmapInfo) == 1064);

inline constexpr int kRedMask = 0;
inline constexpr int kGreenMask = 1;
inline constexpr int kBlueMask = 2;

}  // namespace orvalis
