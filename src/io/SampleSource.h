#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "files/Cancellation.h"
#include "io/RasterSamples.h"

namespace orvalis {

// Cells of a file: columns Column .. Column + Width - 1 of rows Row .. Row +
// Rows - 1, counted from its top-left corner.
struct SampleWindow {
    std::int32_t Column = 0;
    std::int32_t Row = 0;
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
};

// A picture file that is not a BMP file, opened and checked, read in bands
// of whole rows (or in windows) so that what reading it holds is known
// before it begins.
class SampleSource {
public:
    virtual ~SampleSource() = default;

    // The picture's format, size and samples, without the samples.
    virtual const RasterSamples& Layout() const = 0;
    // The rows a band holds (the last one may hold fewer).
    virtual std::int32_t BandRows() const = 0;
    // What the decoder holds besides the band while it reads.
    virtual std::uint64_t DecoderBytes() const = 0;
    // Raises Error naming the file when a read of all its cells, band by
    // band, is not justified: a picture larger than one can hold, or a size
    // the file cannot hold. A window's read is bounded by the window.
    virtual void CheckWholeRead() const {}
    // The window's samples, top row first, into band, whose layout becomes
    // that of the picture with the window's size. The window lies within
    // the picture. Raises Error naming the file, or RunCancelled once the
    // run's cancel flag is set.
    virtual void ReadWindow(const SampleWindow& window, RasterSamples& band) const = 0;
    // Whole rows first .. first + count - 1.
    void ReadRows(std::int32_t first, std::int32_t count, RasterSamples& band) const {
        ReadWindow({0, first, Layout().Width, count}, band);
    }
};

// ".r16" and ".raw" are headerless 16-bit heightmaps, whatever their first
// bytes; everything else is read through GDAL.
std::unique_ptr<SampleSource> OpenSampleSource(const std::string& path, const CancelFlag* cancel);

// The rows of a band: a picture of up to kOneBandPixels is read in one
// piece, as fast as ever; a larger one in bands of about kBandPixels, whose
// buffers the allocator then reuses, so that the memory beside the picture
// stays small and a stop comes quickly.
inline constexpr std::int64_t kOneBandPixels = std::int64_t{1} << 24;
inline constexpr std::int64_t kBandPixels = std::int64_t{1} << 20;

inline std::int32_t RowsPerBand(std::int32_t width, std::int32_t rows) {
    if (std::int64_t{width} * rows <= kOneBandPixels) return rows;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(kBandPixels / width, 1, rows));
}

}  // namespace orvalis
