#include "raster/DibBuffer.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "files/Error.h"

namespace orvalis {

namespace {

bool IsSupportedDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool IsPacked(int bits) { return bits == 16 || bits == 32; }

// Standard masks for channel widths: blue at bit 0, green above it, red above that.
struct ChannelMasks {
    std::uint32_t Red, Green, Blue;
};

ChannelMasks BuildChannelMasks(int redBits, int greenBits, int blueBits) {
    const auto lowBits = [](int n) -> std::uint32_t {
        return n >= 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << n) - 1;
    };
    const std::uint32_t blue = lowBits(blueBits);
    const std::uint32_t green = lowBits(blueBits + greenBits) & ~blue;
    const std::uint32_t red = lowBits(blueBits + greenBits + redBits) & ~(blue | green);
    return {red, green, blue};
}

ChannelField DescribeChannel(std::uint32_t mask) {
    if (mask == 0) return {};
    return ChannelField{mask, static_cast<std::uint8_t>(std::countr_zero(mask)),
                        static_cast<std::uint8_t>(TDibBuffer::MaskWidth(mask))};
}

void SetCompressionAndMasks(BitmapInfo& info, int bits, std::uint32_t compression,
                            std::uint32_t redMask, std::uint32_t greenMask,
                            std::uint32_t blueMask) {
    if (!IsPacked(bits)) {
        info.Header.biCompression = BI_RGB;
        return;
    }
    info.Header.biCompression = compression;
    info.SetMask(kRedMask, redMask);
    info.SetMask(kGreenMask, greenMask);
    info.SetMask(kBlueMask, blueMask);
}

std::string FormatName(std::int32_t width, std::int32_t height, int bits) {
    return std::to_string(width) + " x " + std::to_string(height) + " picture of " +
           std::to_string(bits) + " bits per pixel";
}

}  // namespace

void TDibBuffer::FreeDeleter::operator()(std::uint8_t* p) const { std::free(p); }

TDibBuffer::TDibBuffer() = default;
TDibBuffer::TDibBuffer(TDibBuffer&&) noexcept = default;
TDibBuffer& TDibBuffer::operator=(TDibBuffer&&) noexcept = default;
TDibBuffer::~TDibBuffer() = default;

void TDibBuffer::Allocate(std::int32_t width, std::int32_t height, std::uint8_t bitsPerPixel) {
    AllocateFormat(width, height, bitsPerPixel, 0, 0, 0);
}

void TDibBuffer::AllocateFormat(std::int32_t width, std::int32_t height, std::uint8_t bitsPerPixel,
                                std::uint8_t redBits, std::uint8_t greenBits,
                                std::uint8_t blueBits) {
    int bits = bitsPerPixel;
    if (bits == 0) {
        bits = kScreenBitsPerPixel;
        redBits = greenBits = blueBits = 8;
    }
    std::uint32_t compression = BI_RGB;
    if (redBits != 0 || greenBits != 0 || blueBits != 0) {
        compression = BI_BITFIELDS;
    } else if (bits == 16) {
        redBits = greenBits = blueBits = 5;
    } else if (bits == 32) {
        redBits = greenBits = blueBits = 8;
    }
    if (IsPacked(bits) && redBits + greenBits + blueBits > bits) {
        throw Error("channel widths " + std::to_string(redBits) + "-" +
                          std::to_string(greenBits) + "-" + std::to_string(blueBits) +
                          " do not fit in " + std::to_string(bits) + " bits");
    }
    const ChannelMasks masks = BuildChannelMasks(redBits, greenBits, blueBits);
    AllocateWithMasks(width, height, bits, compression, masks.Red, masks.Green, masks.Blue);
}

void TDibBuffer::AllocateFromInfo(const BitmapInfo& info) {
    const BitmapInfoHeader& header = info.Header;
    const int bits = header.biBitCount;
    // A block always describes a depth of its own; 0 would silently become the screen's.
    if (bits == 0 || bits > 255) {
        throw Error(std::to_string(bits) + " bits per pixel are not supported");
    }
    if (IsPacked(bits) && header.biCompression == BI_BITFIELDS) {
        AllocateWithMasks(header.biWidth, header.biHeight, bits, BI_BITFIELDS,
                          info.Mask(kRedMask), info.Mask(kGreenMask), info.Mask(kBlueMask));
    } else {
        Allocate(header.biWidth, header.biHeight, static_cast<std::uint8_t>(bits));
    }
    // Only after the allocation succeeded, so that a rejected block leaves the buffer as it was.
    if (bits <= 8) {
        std::memcpy(info_.Colours, info.Colours, sizeof info_.Colours);
    }
}

void TDibBuffer::AllocateWithMasks(std::int32_t width, std::int32_t height, int bits,
                                   std::uint32_t compression, std::uint32_t redMask,
                                   std::uint32_t greenMask, std::uint32_t blueMask) {
    CheckFormat(width, height, bits, compression, redMask, greenMask, blueMask);
    const ChannelField red = DescribeChannel(IsPacked(bits) ? redMask : 0);
    const ChannelField green = DescribeChannel(IsPacked(bits) ? greenMask : 0);
    const ChannelField blue = DescribeChannel(IsPacked(bits) ? blueMask : 0);
    const bool unchanged = pixels_ && width == Width() && height == Height() &&
                           bits == BitsPerPixel() && red.Mask == red_.Mask &&
                           green.Mask == green_.Mask && blue.Mask == blue_.Mask;
    if (!unchanged) {
        const PixelLayout layout = LayOutPixels(width, height, bits);
        PixelMemory pixels = AllocatePixels(layout, width, height, bits);
        // Nothing changes before this point, so a failure leaves the buffer as it was.
        info_.Header.biWidth = width;
        info_.Header.biHeight = height;
        info_.Header.biBitCount = static_cast<std::uint16_t>(bits);
        info_.Header.biSizeImage = static_cast<std::uint32_t>(layout.Total);
        red_ = red;
        green_ = green;
        blue_ = blue;
        bytesPerRow_ = layout.BytesPerRow;
        rowCount_ = layout.RowCount;
        rowGap_ = layout.RowGap;
        pixels_ = std::move(pixels.Pixels);
        rowTable_ = std::move(pixels.Rows);
    }
    SetCompressionAndMasks(info_, bits, compression, redMask, greenMask, blueMask);
}

void TDibBuffer::CheckFormat(std::int32_t width, std::int32_t height, int bits,
                             std::uint32_t compression, std::uint32_t redMask,
                             std::uint32_t greenMask, std::uint32_t blueMask) {
    if (!IsSupportedDepth(bits)) {
        throw Error(std::to_string(bits) + " bits per pixel are not supported");
    }
    if (width <= 0 || height == 0 || width > kMaxDimension || height > kMaxDimension ||
        height < -kMaxDimension) {
        throw Error("a " + FormatName(width, height, bits) + " is not supported");
    }
    // A zero mask has no width and no position, and no reader accepts it.
    if (IsPacked(bits) && compression == BI_BITFIELDS &&
        (redMask == 0 || greenMask == 0 || blueMask == 0)) {
        throw Error("a bit-field mask is zero");
    }
}

TDibBuffer::PixelLayout TDibBuffer::LayOutPixels(std::int32_t width, std::int32_t height, int bits) {
    // width and |height| are at most 2^15, so a row is at most 2^17 bytes and
    // the whole picture at most 2^32 bytes: no overflow in 64-bit size_t.
    const std::int64_t rowBits = std::int64_t{width} * bits;
    PixelLayout layout;
    layout.BytesPerRow = static_cast<std::int32_t>((rowBits + 31) / 32 * 4);
    layout.RowCount = height < 0 ? -height : height;
    layout.RowGap = static_cast<std::int32_t>(layout.BytesPerRow - (rowBits + 7) / 8);
    layout.Total = static_cast<std::size_t>(layout.BytesPerRow) * layout.RowCount;
    return layout;
}

TDibBuffer::PixelMemory TDibBuffer::AllocatePixels(const PixelLayout& layout, std::int32_t width,
                                                   std::int32_t height, int bits) {
    // calloc hands out zeroed pages lazily, so a fresh picture costs nothing
    // until it is written.
    PixelMemory memory{std::unique_ptr<std::uint8_t[], FreeDeleter>(
                           static_cast<std::uint8_t*>(std::calloc(layout.Total, 1))),
                       {}};
    if (!memory.Pixels) {
        throw Error("out of memory for a " + FormatName(width, height, bits));
    }
    memory.Rows.resize(static_cast<std::size_t>(layout.RowCount));
    for (std::int32_t i = 0; i < layout.RowCount; ++i) {
        memory.Rows[i] = memory.Pixels.get() + static_cast<std::size_t>(i) * layout.BytesPerRow;
    }
    return memory;
}

std::uint8_t TDibBuffer::ReadIndex(std::int32_t row, std::int32_t column) const {
    const std::uint8_t* line = rowTable_[row];
    switch (BitsPerPixel()) {
        case 1: return (line[column >> 3] >> (7 - (column & 7))) & 1;
        case 4: return (column & 1) ? (line[column >> 1] & 0x0F) : (line[column >> 1] >> 4);
        case 8: return line[column];
        default: return 0;
    }
}

void TDibBuffer::WriteIndex(std::int32_t row, std::int32_t column, std::uint8_t index) {
    std::uint8_t* line = rowTable_[row];
    switch (BitsPerPixel()) {
        case 1: {
            const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (column & 7));
            line[column >> 3] = (index & 1) ? (line[column >> 3] | bit) : (line[column >> 3] & ~bit);
            break;
        }
        case 4: {
            std::uint8_t& byte = line[column >> 1];
            byte = (column & 1) ? static_cast<std::uint8_t>((byte & 0xF0) | (index & 0x0F))
                                : static_cast<std::uint8_t>((byte & 0x0F) | (index << 4));
            break;
        }
        case 8: line[column] = index; break;
        default: break;
    }
}

PixelColour TDibBuffer::UnpackPixel(std::uint32_t packed) const {
    const auto channel = [packed](const ChannelField& field) -> std::uint8_t {
        const std::uint32_t v = (packed & field.Mask) >> field.Shift;
        if (field.Bits < 8) return ExpandChannel(v, field.Bits);
        return static_cast<std::uint8_t>(v >> (field.Bits - 8));  // keep the top 8 bits
    };
    return PixelColour{channel(blue_), channel(green_), channel(red_)};
}

std::uint32_t TDibBuffer::PackPixel(PixelColour colour) const {
    const auto channel = [](const ChannelField& field, std::uint8_t value) -> std::uint32_t {
        const std::uint32_t v = field.Bits < 8 ? std::uint32_t{value} >> (8 - field.Bits)
                                               : std::uint32_t{value} << (field.Bits - 8);
        return (v << field.Shift) & field.Mask;
    };
    return channel(red_, colour.Red) | channel(green_, colour.Green) | channel(blue_, colour.Blue);
}

void TDibBuffer::SetColour(std::uint8_t index, RgbQuad colour) {
    // Above 8 bits the first entries hold the channel masks.
    if (BitsPerPixel() > 8) throw std::invalid_argument("a picture of more than 8 bits has no colour table");
    info_.Colours[index] = colour;
}

PixelColour TDibBuffer::ReadPixel(std::int32_t row, std::int32_t column) const {
    const std::uint8_t* line = rowTable_[row];
    switch (BitsPerPixel()) {
        case 24: {
            const std::uint8_t* p = line + 3 * static_cast<std::ptrdiff_t>(column);
            return PixelColour{p[0], p[1], p[2]};
        }
        case 1:
        case 4:
        case 8: {
            const RgbQuad& entry = info_.Colours[ReadIndex(row, column)];
            return PixelColour{entry.rgbBlue, entry.rgbGreen, entry.rgbRed};
        }
        case 16: {
            std::uint16_t word;
            std::memcpy(&word, line + 2 * static_cast<std::ptrdiff_t>(column), sizeof word);
            return UnpackPixel(word);
        }
        case 32: {
            const std::uint8_t* p = line + 4 * static_cast<std::ptrdiff_t>(column);
            if (info_.Header.biCompression == BI_RGB) return PixelColour{p[0], p[1], p[2]};
            std::uint32_t word;
            std::memcpy(&word, p, sizeof word);
            return UnpackPixel(word);
        }
        default: return PixelColour{};
    }
}

void TDibBuffer::WritePixel(std::int32_t row, std::int32_t column, PixelColour colour) {
    std::uint8_t* line = rowTable_[row];
    switch (BitsPerPixel()) {
        case 24: {
            std::uint8_t* p = line + 3 * static_cast<std::ptrdiff_t>(column);
            p[0] = colour.Blue;
            p[1] = colour.Green;
            p[2] = colour.Red;
            break;
        }
        case 1:
        case 4:
        case 8: {
            const int lastIndex = (1 << BitsPerPixel()) - 1;
            WriteIndex(row, column, NearestIndex(info_.Colours, lastIndex, colour));
            break;
        }
        case 16: {
            const auto word = static_cast<std::uint16_t>(PackPixel(colour));
            std::memcpy(line + 2 * static_cast<std::ptrdiff_t>(column), &word, sizeof word);
            break;
        }
        case 32: {
            std::uint8_t* p = line + 4 * static_cast<std::ptrdiff_t>(column);
            if (info_.Header.biCompression == BI_RGB) {
                p[0] = colour.Blue;  // byte 3 keeps its value
                p[1] = colour.Green;
                p[2] = colour.Red;
            } else {
                const std::uint32_t word = PackPixel(colour);
                std::memcpy(p, &word, sizeof word);
            }
            break;
        }
        default: break;
    }
}

std::uint8_t TDibBuffer::NearestIndex(const RgbQuad* table, int lastIndex, PixelColour colour) {
    int best = 765;
    std::uint8_t answer = 0;
    for (int i = 0; i <= lastIndex; ++i) {
        const int distance = std::abs(colour.Blue - table[i].rgbBlue) +
                             std::abs(colour.Green - table[i].rgbGreen) +
                             std::abs(colour.Red - table[i].rgbRed);
        if (distance < best) {  // strictly smaller: the lowest index wins a tie
            best = distance;
            answer = static_cast<std::uint8_t>(i);
        }
    }
    return answer;
}

std::uint8_t TDibBuffer::ExpandChannel(std::uint32_t v, int bits) {
    std::uint32_t wide;
    switch (bits) {
        case 1: wide = (v & 0xFF) ? 255 : 0; break;
        case 2: wide = v | (v << 2) | (v << 4) | (v << 6); break;
        case 3: wide = (v << 5) | (v << 2) | (v >> 1); break;
        case 4: wide = v | (v << 4); break;
        case 5: wide = (v << 3) | (v >> 2); break;
        case 6: wide = (v << 2) | (v >> 4); break;
        case 7: wide = (v << 1) | (v >> 6); break;
        default: wide = v; break;
    }
    return static_cast<std::uint8_t>(wide);
}

int TDibBuffer::MaskWidth(std::uint32_t mask) {
    return (31 - std::countl_zero(mask)) - std::countr_zero(mask) + 1;
}

}  // namespace orvalis
