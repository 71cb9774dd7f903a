#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "files/Cancellation.h"

namespace orvalis {

// How hard a PNG file is compressed. Fast: zlib's level 1 looking for runs
// of a byte only, every row filtered by the row above. Default: level 6, and
// Best: level 9, each row by the best of the five filters, as most PNG
// writers do.
enum class PngCompression { Fast, Default, Best };

// How a PNG file is written.
struct PngWriting {
    PngCompression Compression = PngCompression::Fast;
    int Threads = 0;  // compressing bands of rows; 0: one per core
    const CancelFlag* Cancel = nullptr;
};

// The pixels of a PNG file as it stores them.
struct PngLayout {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    int Channels = 3;     // 1 grey, 2 grey and alpha, 3 red-green-blue, 4 with alpha
    int SampleBytes = 1;  // 1, or 2 for 16-bit samples

    std::size_t RowBytes() const {
        return static_cast<std::size_t>(Width) * static_cast<std::size_t>(Channels * SampleBytes);
    }
};

// Gives row y (0 the top) as the file stores it, 16-bit samples high byte
// first: either a pointer into the caller's pixels, or `scratch` (RowBytes
// long) filled with the row. Called from the worker threads at once.
using PngRowSource = std::function<const std::uint8_t*(std::int32_t y, std::uint8_t* scratch)>;

// The rows of each band the encoder deflates on its own: about a MiB of
// filtered bytes, at least one row. It depends on the row length alone.
std::int32_t PngBandRows(const PngLayout& layout);

// The longest row EncodePng takes: a band of one row, deflated, stays well
// inside a chunk's length limit of 2^31 - 1 bytes.
inline constexpr std::size_t kLargestPngRowBytes = std::size_t{1} << 30;

// The bytes of a standard PNG file of the rows: signature, header, one IDAT
// chunk for each band of rows, and the end. The bands have a fixed size and
// are filtered and deflated on the worker threads, so the bytes are the same
// for every thread count. The layout must be valid (sizes above zero,
// 1 .. 4 channels) with rows of at most kLargestPngRowBytes bytes. Raises
// RunCancelled once the cancel flag is set.
std::vector<std::uint8_t> EncodePng(const PngLayout& layout, const PngRowSource& rows,
                                    const PngWriting& writing);

}  // namespace orvalis
