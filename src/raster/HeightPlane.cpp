#include "raster/HeightPlane.h"

#include <algorithm>
#include <cmath>

#include "raster/ParallelRows.h"

namespace orvalis {

namespace {

void PutByteSums(const TDibBuffer& pixels, std::int32_t row, HeightPlane& plane) {
    const std::int32_t bufferRow = BufferRowOfPlaneRow(pixels, row);
    std::uint16_t* sums = &plane.ByteSums[plane.IndexOf(row, 0)];
    if (pixels.BitsPerPixel() == 24) {  // most heightmaps: the bytes as they lie
        const std::uint8_t* bytes = pixels.RowTable(bufferRow);
        for (std::int32_t column = 0; column < plane.Width; ++column, bytes += 3) {
            sums[column] = static_cast<std::uint16_t>(bytes[0] + bytes[1] + bytes[2]);
        }
    } else {
        for (std::int32_t column = 0; column < plane.Width; ++column) {
            const PixelColour p = pixels.ReadPixel(bufferRow, column);
            sums[column] = static_cast<std::uint16_t>(p.Red + p.Green + p.Blue);
        }
    }
}

}  // namespace

void HeightPlane::RowHeights(std::int32_t row, double* out) const {
    const std::size_t start = IndexOf(row, 0);
    if (ThirdsOfByteSums()) {
        for (std::int32_t x = 0; x < Width; ++x) out[x] = ByteSums[start + x] / 3.0;
    } else if (!ScaledSamples()) {
        std::copy_n(Heights.begin() + static_cast<std::ptrdiff_t>(start), Width, out);
    } else if (!(Scale.Span > 0)) {
        std::fill_n(out, Width, 0.0);
    } else {
        // SampleScale::Height without branches, which the compiler turns
        // into vector code: the same operations in the same order.
        const float* in = &Samples[start];
        const double low = Scale.Low, span = Scale.Span;
        for (std::int32_t x = 0; x < Width; ++x) {
            const double v = in[x];
            const double height = std::clamp((v - low) * 255 / span, 0.0, 255.0);
            out[x] = std::isfinite(v) ? height : 0.0;
        }
    }
}

HeightPlane HeightsOfPixels(const TDibBuffer& pixels, int threads) {
    HeightPlane plane{pixels.Width(), pixels.RowCount(), {}, {}};
    plane.ByteSums.resize(static_cast<std::size_t>(plane.Width) * plane.Rows);
    RunOptions rows;
    rows.Threads = threads;
    ParallelRows(plane.Rows, rows, SynthesisStage::Lightmap, [&](std::int32_t row) { PutByteSums(pixels, row, plane); });
    return plane;
}

}  // namespace orvalis
