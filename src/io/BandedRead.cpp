#include "io/BandedRead.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <future>
#include <vector>

#include "files/Error.h"
#include "io/HeightLevels.h"
#include "raster/ParallelRows.h"

namespace orvalis {

// Sides of at most 2^22 and at most 3 channels keep this and the sizes
// below under 2^52.
std::uint64_t SampleBytes(const RasterSamples& layout, std::int64_t rows) {
    const std::uint64_t perPixel = layout.Kind == SampleKind::Real
                                       ? sizeof(double)
                                       : sizeof(std::uint16_t) * static_cast<std::uint64_t>(layout.Channels);
    return perPixel * static_cast<std::uint64_t>(layout.Width) * static_cast<std::uint64_t>(rows);
}

bool ReadsAhead(const PictureReadOptions& options) { return ThreadCount(options.Threads) > 1; }

// 24-bit pixels in rows padded to 4 bytes, and for samples finer than bytes
// a height a pixel.
std::uint64_t PictureBytes(const RasterSamples& layout, std::int64_t rows) {
    const std::uint64_t width = static_cast<std::uint64_t>(layout.Width);
    const std::uint64_t rowBytes = (3 * width + 3) / 4 * 4;
    const std::uint64_t heightBytes = SinglesHoldSamples(layout) ? sizeof(float) : sizeof(double);
    const std::uint64_t heights = layout.Kind == SampleKind::Byte ? 0 : heightBytes * width;
    return (rowBytes + heights) * static_cast<std::uint64_t>(rows);
}

namespace {

// Runs `read` on each band of the source, top band first, until the run is
// cancelled.
void ForEachBand(const SampleSource& source, const CancelFlag* cancel,
                 const std::function<void(std::int32_t first, std::int32_t count)>& read) {
    const std::int32_t rows = source.Layout().Rows;
    for (std::int32_t first = 0; first < rows; first += source.BandRows()) {
        ThrowIfCancelled(cancel);
        read(first, std::min(source.BandRows(), rows - first));
    }
}

// The whole picture ready for its bands: pixels untouched until written,
// float samples unset (every band writes its rows), other heights cleared a
// band's worth at a time: a stop is seen while gigabytes are.
Picture AllocatePicture(const std::string& path, const RasterSamples& layout, const CancelFlag* cancel) {
    Picture picture;
    try {
        picture.Pixels.Allocate(layout.Width, layout.Rows, 24);
    } catch (const Error& e) {
        throw Error(path, e.what());
    }
    if (layout.Kind == SampleKind::Byte) return picture;
    HeightPlane& plane = picture.FineHeights.emplace();
    plane.Width = layout.Width;
    plane.Rows = layout.Rows;
    const auto clear = [cancel](auto& heights, std::size_t count) {
        heights.reserve(count);
        while (heights.size() < count) {
            ThrowIfCancelled(cancel);
            heights.resize(std::min(count, heights.size() + static_cast<std::size_t>(kBandPixels)));
        }
    };
    const std::size_t count = static_cast<std::size_t>(layout.Width) * layout.Rows;
    if (SinglesHoldSamples(layout)) {
        clear(plane.Samples, count);
    } else {
        clear(plane.Heights, count);
    }
    return picture;
}

// Heights are kept bottom row first: the top row `row` of a picture of
// `rows` rows starts here.
std::size_t HeightRowStart(std::int32_t rows, std::int32_t row, std::int32_t width) {
    return static_cast<std::size_t>(rows - 1 - row) * width;
}

// The picture of rows first .. first + part's rows - 1 goes into whole,
// which takes the levels' heights and the georeference every part shares.
void Place(const Picture& part, std::int32_t first, Picture& whole) {
    whole.Levels = part.Levels;
    whole.RealSamples = part.RealSamples;
    whole.Geo = part.Geo;
    const std::int32_t width = part.Pixels.Width(), rows = part.Pixels.RowCount();
    for (std::int32_t y = 0; y < rows; ++y) {
        std::memcpy(whole.Pixels.RowTable(whole.Pixels.BufferRow(first + y)),
                    part.Pixels.RowTable(part.Pixels.BufferRow(y)), static_cast<std::size_t>(width) * 3);
    }
    if (!part.FineHeights) return;
    // Bottom row first in both: the part's heights are one run of the whole's.
    const std::vector<double>& heights = part.FineHeights->Heights;
    std::copy(heights.begin(), heights.end(),
              whole.FineHeights->Heights.begin() +
                  HeightRowStart(whole.Pixels.RowCount(), first + rows - 1, width));
}

// Real samples: first every band into the plane as they are, for their
// range; then the plane scaled by it, band by band.
void FillReal(const std::string& path, const SampleSource& source, const PictureReadOptions& options, Picture& picture) {
    const RasterSamples& layout = source.Layout();
    HeightPlane& plane = *picture.FineHeights;
    RunOptions rows;
    rows.Threads = options.Threads;
    rows.Cancel = options.Cancel;
    std::optional<HeightRange> range;
    std::vector<std::optional<HeightRange>> rowRanges;
    ForEachBandReadAhead(source, options.Cancel, ReadsAhead(options), [&](std::int32_t first, const RasterSamples& band) {
        rowRanges.assign(static_cast<std::size_t>(band.Rows), std::nullopt);
        ParallelRows(band.Rows, rows, SynthesisStage::Blend, [&](std::int32_t y) {
            const double* in = band.Real.data() + static_cast<std::size_t>(y) * layout.Width;
            rowRanges[static_cast<std::size_t>(y)] = RealSampleRange(in, static_cast<std::size_t>(layout.Width));
            const std::size_t start = HeightRowStart(layout.Rows, first + y, layout.Width);
            if (plane.ScaledSamples()) {
                std::copy_n(in, layout.Width, plane.Samples.begin() + static_cast<std::ptrdiff_t>(start));
            } else {
                std::copy_n(in, layout.Width, plane.Heights.begin() + static_cast<std::ptrdiff_t>(start));
            }
        });
        for (const std::optional<HeightRange>& row : rowRanges) range = Widen(range, row);
    });
    const HeightLevels levels = HeightLevelsFor(path, SampleKind::Real, range, options.Range);
    ScaleRealHeights(levels.Scale, plane, picture.Pixels, options.RealPixelsLater, rows);
    picture.Levels = levels.Levels;
    picture.RealSamples = true;
    picture.AllNoData = !range;
    picture.Geo = layout.Geo;
}

}  // namespace

void ForEachBandReadAhead(const SampleSource& source, const CancelFlag* cancel, bool ahead,
                          const std::function<void(std::int32_t first, const RasterSamples& band)>& use) {
    const std::int32_t rows = source.Layout().Rows, step = source.BandRows();
    const auto read = [&](std::int32_t first, RasterSamples& into) {
        source.ReadRows(first, std::min(step, rows - first), into);
        ScaleToKind(into);
    };
    std::array<RasterSamples, 2> bands;
    if (rows <= 0) return;
    ThrowIfCancelled(cancel);
    read(0, bands[0]);
    for (std::int32_t first = 0, k = 0; first < rows; first += step, k ^= 1) {
        std::future<void> next;
        if (first + step < rows) {
            ThrowIfCancelled(cancel);
            next = std::async(ahead ? std::launch::async : std::launch::deferred,
                              [&read, &bands, first, step, k] { read(first + step, bands[k ^ 1]); });
        }
        use(first, bands[k]);
        if (next.valid()) next.get();
    }
}

Picture ReadPictureInBands(const std::string& path, const SampleSource& source,
                           const PictureReadOptions& options) {
    const RasterSamples& layout = source.Layout();
    source.CheckWholeRead();
    const bool oneBand = source.BandRows() >= layout.Rows;
    CheckMemoryNeed(path,
                    PictureBytes(layout, layout.Rows) + SampleBytes(layout, source.BandRows()) +
                        (oneBand ? 0 : PictureBytes(layout, source.BandRows())) + source.DecoderBytes() +
                        (!oneBand && layout.Kind == SampleKind::Real && ReadsAhead(options)
                             ? SampleBytes(layout, source.BandRows())
                             : 0),
                    options.MemoryLimit);
    if (oneBand) {
        ThrowIfCancelled(options.Cancel);
        RasterSamples samples;
        source.ReadRows(0, layout.Rows, samples);
        ScaleToKind(samples);
        return MakePicture(path, samples, options.Range, options.Threads, options.RealPixelsLater);
    }
    Picture picture = AllocatePicture(path, layout, options.Cancel);
    if (layout.Kind == SampleKind::Real) {
        FillReal(path, source, options, picture);
        return picture;
    }
    RasterSamples band;
    ForEachBand(source, options.Cancel, [&](std::int32_t first, std::int32_t count) {
        source.ReadRows(first, count, band);
        ScaleToKind(band);
        Place(MakePicture(path, band, options.Range), first, picture);
    });
    return picture;
}

PictureFacts ReadFactsInBands(const std::string& path, const SampleSource& source,
                              const PictureReadOptions& options) {
    source.CheckWholeRead();
    CheckMemoryNeed(path, SampleBytes(source.Layout(), source.BandRows()) + source.DecoderBytes(),
                    options.MemoryLimit);
    PictureFacts facts{source.Layout(), std::nullopt};
    RasterSamples band;
    ForEachBand(source, options.Cancel, [&](std::int32_t first, std::int32_t count) {
        source.ReadRows(first, count, band);
        facts.Range = Widen(facts.Range, SampleRange(band));
    });
    return facts;
}

}  // namespace orvalis
