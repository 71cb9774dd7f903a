#include "raster/DibBlend.h"

#include <cstring>
#include <functional>
#include <string>

#include "files/Error.h"
#include "raster/ParallelRows.h"

namespace orvalis {

// (a * b) >> 8 divides by 256, not 255: a white lightmap darkens every
// non-zero channel by one step, and the product has always done so. Each
// byte is read before it is written, so destination may equal a or b.
void MultiplyRowBytes(std::uint8_t* destination, const std::uint8_t* a, const std::uint8_t* b,
                      std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        destination[k] = static_cast<std::uint8_t>((a[k] * b[k]) >> 8);
    }
}

namespace {

// The same product on one packed channel of N bits: (x * y) >> N.
std::uint32_t MultiplyChannel(std::uint32_t a, std::uint32_t b, const ChannelField& field) {
    const std::uint64_t x = (a & field.Mask) >> field.Shift;
    const std::uint64_t y = (b & field.Mask) >> field.Shift;
    return static_cast<std::uint32_t>(((x * y) >> field.Bits) << field.Shift);
}

void MultiplyRow16(std::uint8_t* destination, const std::uint8_t* a, const std::uint8_t* b,
                   std::int32_t width, const TDibBuffer& format) {
    for (std::int32_t c = 0; c < width; ++c) {
        std::uint16_t p, q;
        std::memcpy(&p, a + 2 * c, sizeof p);
        std::memcpy(&q, b + 2 * c, sizeof q);
        const auto product = static_cast<std::uint16_t>(MultiplyChannel(p, q, format.RedField()) |
                                                        MultiplyChannel(p, q, format.GreenField()) |
                                                        MultiplyChannel(p, q, format.BlueField()));
        std::memcpy(destination + 2 * c, &product, sizeof product);
    }
}

std::int32_t PixelBytesPerRow(const TDibBuffer& buffer) {
    return buffer.BytesPerRow() - buffer.RowGap();
}

// Every row of the destination is multiplied with the same row of each
// source, so a source must have at least its rows and row length.
void CheckSource(const TDibBuffer& destination, const TDibBuffer& source, const std::string& name) {
    const std::string prefix = "MultiplyBuffers: " + name;
    if (source.IsEmpty()) throw Error(prefix + " has no pixels");
    if (source.BitsPerPixel() != destination.BitsPerPixel()) {
        throw Error(prefix + " has " + std::to_string(source.BitsPerPixel()) +
                          " bits per pixel, the destination " +
                          std::to_string(destination.BitsPerPixel()));
    }
    if (source.RowCount() < destination.RowCount()) {
        throw Error(prefix + " has " + std::to_string(source.RowCount()) +
                          " rows, fewer than the destination's " +
                          std::to_string(destination.RowCount()));
    }
    if (PixelBytesPerRow(source) < PixelBytesPerRow(destination)) {
        throw Error(prefix + " has rows of " + std::to_string(PixelBytesPerRow(source)) +
                          " pixel bytes, shorter than the destination's " +
                          std::to_string(PixelBytesPerRow(destination)));
    }
}

}  // namespace

namespace {

// Checks the buffers and gives the product of one buffer row, or nothing
// when the depth is one the product leaves alone.
std::function<void(std::int32_t)> RowProduct(TDibBuffer& destination, const TDibBuffer& source1,
                                             const TDibBuffer& source2) {
    const int bits = destination.BitsPerPixel();
    if (destination.IsEmpty() || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) return {};
    CheckSource(destination, source1, "source 1");
    CheckSource(destination, source2, "source 2");
    const auto count = static_cast<std::size_t>(PixelBytesPerRow(destination));
    return [&destination, &source1, &source2, bits, count](std::int32_t row) {
        if (bits == 16) {
            MultiplyRow16(destination.RowTable(row), source1.RowTable(row), source2.RowTable(row),
                          destination.Width(), destination);
        } else {
            MultiplyRowBytes(destination.RowTable(row), source1.RowTable(row), source2.RowTable(row), count);
        }
    };
}

}  // namespace

void MultiplyBuffers(TDibBuffer& destination, const TDibBuffer& source1, const TDibBuffer& source2) {
    const std::function<void(std::int32_t)> product = RowProduct(destination, source1, source2);
    if (!product) return;
    for (std::int32_t row = 0; row < destination.RowCount(); ++row) product(row);
}

void MultiplyBuffers(TDibBuffer& destination, const TDibBuffer& source1, const TDibBuffer& source2,
                     const RunOptions& options) {
    const std::function<void(std::int32_t)> product = RowProduct(destination, source1, source2);
    if (!product) return;
    RunOptions quiet = options;
    quiet.Progress = nullptr;
    ParallelRows(destination.RowCount(), quiet, SynthesisStage::Blend, product);
}

}  // namespace orvalis
