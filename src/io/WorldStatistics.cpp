#include "io/WorldStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "io/BandedRead.h"
#include "io/HeightLevels.h"
#include "raster/ParallelRows.h"

namespace orvalis {

namespace {

// The ends of some rows' cells.
struct CellExtremes {
    std::optional<HeightRange> Samples;  // real samples with data
    bool CellsWithoutData = false;       // of real samples
    int LowestSum = std::numeric_limits<int>::max();  // red + green + blue of bytes and words
    int HighestSum = -1;
};

CellExtremes RowExtremes(const RasterSamples& band, std::int32_t y) {
    CellExtremes row;
    const auto width = static_cast<std::size_t>(band.Width);
    if (band.Kind == SampleKind::Real) {
        const double* in = band.Real.data() + y * width;
        row.Samples = RealSampleRange(in, width);
        row.CellsWithoutData = std::any_of(in, in + width, [](double v) { return !std::isfinite(v); });
        return row;
    }
    const std::uint16_t* in = band.Whole.data() + y * width * band.Channels;
    for (std::size_t x = 0; x < width; ++x, in += band.Channels) {
        const int sum = band.Channels == 3 ? in[0] + in[1] + in[2] : 3 * in[0];
        row.LowestSum = std::min(row.LowestSum, sum);
        row.HighestSum = std::max(row.HighestSum, sum);
    }
    return row;
}

void Widen(CellExtremes& cells, const CellExtremes& more) {
    cells.Samples = Widen(cells.Samples, more.Samples);
    cells.CellsWithoutData = cells.CellsWithoutData || more.CellsWithoutData;
    cells.LowestSum = std::min(cells.LowestSum, more.LowestSum);
    cells.HighestSum = std::max(cells.HighestSum, more.HighestSum);
}

// A cell's level grows with its sample (or sum), and its height with its
// level, each by roundings that keep the order: the lowest and highest
// heights are those of the cells at the ends.
HeightRange HeightsOf(SampleKind kind, const CellExtremes& cells, const HeightLevels& levels) {
    double low = 0, high = 0;
    if (kind == SampleKind::Real) {
        if (cells.Samples) {
            low = levels.Scale.Height(cells.Samples->Low);
            high = levels.Scale.Height(cells.Samples->High);
        }
        if (cells.CellsWithoutData) low = 0;
    } else {
        // As HeightPlane takes the sums of bytes, and MakePicture those of words.
        const double thirds = kind == SampleKind::Byte ? 3.0 : 3 * 257.0;
        low = cells.LowestSum / thirds;
        high = cells.HighestSum / thirds;
    }
    return {levels.Levels.HeightOf(low), levels.Levels.HeightOf(high)};
}

}  // namespace

WorldStatistics ReadWorldStatistics(const std::string& path, const SampleSource& source,
                                    const PictureReadOptions& options) {
    const RasterSamples& layout = source.Layout();
    const bool ahead = ReadsAhead(options);
    CheckMemoryNeed(path, SampleBytes(layout, source.BandRows()) * (ahead ? 2 : 1) + source.DecoderBytes(),
                    options.MemoryLimit);
    RunOptions threads;
    threads.Threads = options.Threads;
    threads.Cancel = options.Cancel;
    CellExtremes world;
    std::vector<CellExtremes> rows;
    // Rows widen the world's ends in order, so that of equal samples (0 and
    // -0) the first counts, as in a whole read.
    ForEachBandReadAhead(source, options.Cancel, ahead, [&](std::int32_t, const RasterSamples& band) {
        rows.assign(static_cast<std::size_t>(band.Rows), {});
        ParallelRows(band.Rows, threads, SynthesisStage::Blend,
                     [&](std::int32_t y) { rows[static_cast<std::size_t>(y)] = RowExtremes(band, y); });
        for (const CellExtremes& row : rows) Widen(world, row);
    });
    const HeightLevels levels = HeightLevelsFor(path, layout.Kind, world.Samples, options.Range);
    return {layout.Kind == SampleKind::Real ? world.Samples : std::nullopt, HeightsOf(layout.Kind, world, levels)};
}

}  // namespace orvalis
