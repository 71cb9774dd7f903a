#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "raster/DibBuffer.h"

namespace orvalis {

namespace {

// Codes that follow a zero count byte; any higher code starts an absolute run.
constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfPicture = 1;
constexpr std::uint8_t kDelta = 2;

// RLE8 packs one colour index a byte, RLE4 two (high nibble first).
enum class IndexPacking { Byte, Nibble };

std::uint8_t IndexFromByte(std::uint8_t byte, std::int64_t i, IndexPacking packing) {
    if (packing == IndexPacking::Byte) return byte;
    return (i & 1) ? byte & 0x0F : byte >> 4;
}

// Both decoders read the same codes; they differ only in how many indexes a
// byte holds. Row 0 is the first row of pixel memory. A run is cut at the
// row's end, and data that ends early (even inside a run) simply stops:
// nothing is ever read past the data's end.
void DecodeRunLength(TDibBuffer& buffer, std::span<const std::uint8_t> data, IndexPacking packing) {
    const std::int64_t width = buffer.Width();
    const std::size_t size = data.size();
    std::size_t pos = 0;
    // 64 bits: deltas and runs may push x and y far beyond the picture.
    std::int64_t x = 0;
    std::int64_t y = 0;

    const auto writeRun = [&](std::int64_t count, auto indexOf) {
        const std::int64_t end = std::min(x + count, width);
        for (std::int64_t column = x; column < end; ++column) {
            buffer.WriteIndex(static_cast<std::int32_t>(y), static_cast<std::int32_t>(column),
                              indexOf(column - x));
        }
        x += count;
    };

    while (y < buffer.RowCount() && size - pos >= 2) {
        const std::uint8_t count = data[pos];
        const std::uint8_t code = data[pos + 1];
        pos += 2;
        if (count > 0) {  // encoded run: count pixels from the indexes in one byte
            writeRun(count, [&](std::int64_t i) { return IndexFromByte(code, i, packing); });
        } else if (code == kEndOfLine) {
            ++y;
            x = 0;
        } else if (code == kEndOfPicture) {
            return;
        } else if (code == kDelta) {
            if (size - pos < 2) return;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {  // absolute run of `code` pixels, stored in an even number of bytes
            const std::size_t bytes = packing == IndexPacking::Byte ? code : (code + 1u) / 2;
            const std::size_t present = std::min(bytes, size - pos);
            const std::int64_t pixels = packing == IndexPacking::Byte
                                            ? static_cast<std::int64_t>(present)
                                            : std::min<std::int64_t>(code, 2 * present);
            const std::uint8_t* indexes = data.data() + pos;
            writeRun(pixels, [&](std::int64_t i) {
                return IndexFromByte(indexes[packing == IndexPacking::Byte ? i : i / 2], i,
                                     packing);
            });
            if (present < bytes) return;
            pos += std::min(bytes + (bytes & 1), size - pos);
        }
    }
}

}  // namespace

void TDibBuffer::DecodeRle8(std::span<const std::uint8_t> data) {
    DecodeRunLength(*this, data, IndexPacking::Byte);
}

void TDibBuffer::DecodeRle4(std::span<const std::uint8_t> data) {
    DecodeRunLength(*this, data, IndexPacking::Nibble);
}

}  // namespace orvalis
