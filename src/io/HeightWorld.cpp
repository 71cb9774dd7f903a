#include "io/HeightWorld.h"

#include <algorithm>
#include <array>

#include "files/Error.h"
#include "io/BandedRead.h"
#include "io/BmpSamples.h"

namespace orvalis {

namespace {

// The georeference of a window: the world's, its corner moved to the window's.
void MoveToCorner(std::optional<GeoReference>& geo, const SampleWindow& cells) {
    if (!geo || !geo->Transform) return;
    std::array<double, 6>& t = *geo->Transform;
    t[0] = t[0] + cells.Column * t[1] + cells.Row * t[2];
    t[3] = t[3] + cells.Column * t[4] + cells.Row * t[5];
}

}  // namespace

HeightWorld::HeightWorld(const std::string& path, const PictureReadOptions& options)
    : path_(path), options_(options) {
    if (IsBmpFile(path)) {
        source_ = std::make_unique<BmpSamples>(ReadPictureFile(path, options).Pixels);
    } else {
        source_ = OpenSampleSource(path, options.Cancel);
    }
}

HeightWorld::~HeightWorld() = default;

WorldStatistics HeightWorld::Statistics() const { return ReadWorldStatistics(path_, *source_, options_); }

HeightLevels HeightWorld::Levels(const WorldStatistics& statistics) const {
    return HeightLevelsFor(path_, Facts().Kind, statistics.Samples, options_.Range);
}

Picture HeightWorld::ReadWindow(const WorldWindow& window, const HeightLevels& levels) const {
    const RasterSamples& world = Facts();
    const std::int32_t x0 = std::clamp(window.X0, 0, world.Width), x1 = std::clamp(window.X1, x0, world.Width);
    const std::int32_t y0 = std::clamp(window.Y0, 0, world.Rows), y1 = std::clamp(window.Y1, y0, world.Rows);
    Picture picture;
    picture.Levels = levels.Levels;
    if (x0 == x1 || y0 == y1) return picture;
    if (x1 - x0 > TDibBuffer::kMaxDimension || y1 - y0 > TDibBuffer::kMaxDimension) {
        throw Error(path_, "a window of " + std::to_string(x1 - x0) + " x " + std::to_string(y1 - y0) +
                               " cells is larger than one picture holds (each side at most " +
                               std::to_string(TDibBuffer::kMaxDimension) + ")");
    }
    // The file's rows run from the top.
    const SampleWindow cells{x0, world.Rows - y1, x1 - x0, y1 - y0};
    RasterSamples layout = world;
    layout.Width = cells.Width;
    CheckMemoryNeed(path_, SampleBytes(layout, cells.Rows) + PictureBytes(layout, cells.Rows) + source_->DecoderBytes(),
                    options_.MemoryLimit);
    RasterSamples samples;
    source_->ReadWindow(cells, samples);
    ScaleToKind(samples);
    picture = MakePicture(samples, levels, options_.Threads, options_.RealPixelsLater);
    MoveToCorner(picture.Geo, cells);
    return picture;
}

HeightPlane HeightWorld::ReadWindowHeights(const WorldWindow& window, const HeightLevels& levels) const {
    return HeightsInDataUnits(ReadWindow(window, levels));
}

}  // namespace orvalis
