#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"
#include "raster/SampleScale.h"
#include "raster/UnsetValues.h"

namespace orvalis {

inline constexpr int kLargestByteSum = 3 * 255;

// The height of every pixel of a heightmap on the grey scale 0 .. 255, bottom
// row first (the memory order of the bottom-up pictures the program makes):
// the one plane the lighting reads, whatever the row order of the file.
// Every lookup takes (row, column); pixel (row, column) lies at
// row * Width + column, row 0 at the picture's bottom edge.
struct HeightPlane {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    // Real-valued heights: data finer than 8 bits.
    std::vector<double> Heights;
    // Instead of Heights for 8-bit pixels: each one's red + green + blue (two
    // bytes a pixel, not eight). The lighting works from the sum itself,
    // exactly and through tables of its 766 values.
    std::vector<std::uint16_t> ByteSums;
    // Instead of Heights for samples that a float holds exactly (32-bit
    // floating point, integers of up to 16 bits): the samples as the file
    // has them and the scale that makes them heights. Half the memory of
    // Heights, and every height the very same double. Sized without being
    // cleared: whoever sizes it writes every sample.
    UnsetValues<float> Samples{};
    SampleScale Scale{};

    bool ThirdsOfByteSums() const { return !ByteSums.empty(); }
    bool ScaledSamples() const { return !Samples.empty(); }

    std::size_t IndexOf(std::int32_t row, std::int32_t column) const {
        return static_cast<std::size_t>(row) * Width + column;
    }
    // r + g + b of an 8-bit height.
    int ByteSum(std::size_t index) const { return ByteSums[index]; }
    // The whole level (r + g + b) div 3 of an 8-bit height, as the blend and
    // the splat map take a pixel's height.
    int WholeLevel(std::size_t index) const { return ByteSums[index] / 3; }
    // The height: for 8-bit pixels the double nearest (r + g + b) / 3.
    double Height(std::size_t index) const {
        if (ThirdsOfByteSums()) return ByteSums[index] / 3.0;
        return ScaledSamples() ? Scale.Height(Samples[index]) : Heights[index];
    }
    double At(std::int32_t row, std::int32_t column) const { return Height(IndexOf(row, column)); }
    // out[0 .. Width - 1] = the heights of plane row `row`, as Height gives
    // them, a row at a time in vector code.
    void RowHeights(std::int32_t row, double* out) const;
    // The height as the lighting formulas take it: for 8-bit pixels the
    // quotient (r + g + b) / 3 at extended precision, else the height itself.
    long double ExtendedHeight(std::size_t index) const {
        return ThirdsOfByteSums() ? ByteSum(index) / 3.0L : static_cast<long double>(Height(index));
    }
};

// The plane row of row y counted from a picture's top edge, and the other
// way round: the one place where rows turn upright.
constexpr std::int32_t PlaneRowOfDeviceRow(std::int32_t rows, std::int32_t y) { return rows - 1 - y; }

// The buffer row of a picture (of either row order) that holds plane row `row`.
inline std::int32_t BufferRowOfPlaneRow(const TDibBuffer& picture, std::int32_t row) {
    return picture.BufferRow(PlaneRowOfDeviceRow(picture.RowCount(), row));
}

// The byte sums of a picture's pixels, bottom row first whichever row order
// it has; rows in parallel on `threads` threads (0: one per core).
HeightPlane HeightsOfPixels(const TDibBuffer& pixels, int threads = 1);

}  // namespace orvalis
