#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "io/HeightLevels.h"
#include "io/PictureFile.h"
#include "io/SampleSource.h"
#include "io/WorldStatistics.h"
#include "raster/HeightPlane.h"
#include "raster/Picture.h"

namespace orvalis {

// Cells of a world: columns X0 .. X1 - 1 of rows Y0 .. Y1 - 1, rows counted
// from its bottom edge as HeightPlane counts them.
struct WorldWindow {
    std::int32_t X0 = 0;
    std::int32_t Y0 = 0;
    std::int32_t X1 = 0;
    std::int32_t Y1 = 0;
};

// A heightmap opened once as a world, so that a run can read any window of
// it with memory bounded by the window, never by the file: every format
// ReadPictureFile reads, a mosaic (GdalMosaic) and files larger than one
// picture (up to kLargestWorldSide a side). Each window is the very part of
// the picture a whole read makes (ReadHeightmapPicture), given the levels a
// whole read takes (Levels of the world's Statistics). One thread at a time
// reads from it, as from the file GDAL holds open for it.
class HeightWorld {
public:
    // Opens and checks the file and reads none of its cells; a BMP file,
    // which is never larger than one picture, is read whole. The options'
    // memory limit, threads, cancel flag, height range and RealPixelsLater
    // hold for every read of it. Raises Error naming the file.
    explicit HeightWorld(const std::string& path, const PictureReadOptions& options = {});
    HeightWorld(const HeightWorld&) = delete;
    HeightWorld& operator=(const HeightWorld&) = delete;
    ~HeightWorld();

    // Format, size, channels, sample type and kind, and where it lies on the
    // earth (with its no-data value); no samples.
    const RasterSamples& Facts() const { return source_->Layout(); }
    // A mosaic of other files.
    bool IsMosaic() const { return Facts().Format == "VRT"; }
    // Not larger than one picture, so that a whole read may hold it.
    bool FitsOnePicture() const { return orvalis::FitsOnePicture(Facts()); }

    // What a whole read finds, read a band of rows at a time (see
    // ReadWorldStatistics).
    WorldStatistics Statistics() const;
    // The levels a whole read gives: HeightLevelsFor of the world's samples
    // and statistics, with the options' height range.
    HeightLevels Levels(const WorldStatistics& statistics) const;

    // The part of a whole read's picture that covers the window (clipped to
    // the world; an empty window gives an empty picture), read through
    // GDAL's windows: the same pixels and fine heights, cell for cell, and
    // the same Levels. Its georeference is the world's, moved to the
    // window's corner. Raises Error naming the file when a side is larger
    // than one picture or the read needs more than the memory limit.
    Picture ReadWindow(const WorldWindow& window, const HeightLevels& levels) const;
    // The window's heights in the data's units (HeightsInDataUnits of
    // ReadWindow), as the real-scale light takes them.
    HeightPlane ReadWindowHeights(const WorldWindow& window, const HeightLevels& levels) const;

private:
    std::string path_;
    PictureReadOptions options_;
    std::unique_ptr<SampleSource> source_;
};

}  // namespace orvalis
