#pragma once

#include <optional>
#include <string>

#include "io/RasterSamples.h"
#include "raster/LevelScale.h"
#include "raster/SampleScale.h"

namespace orvalis {

// How the samples of a picture become its grey levels 0 .. 255, and how
// those levels stand for heights in the data's own units. Made in this one
// place for a whole read and for every window of a world, so that both give
// each cell the same height.
struct HeightLevels {
    SampleScale Scale;  // real samples onto the levels (bytes and words are their own levels)
    LevelScale Levels;  // what the picture's Levels become
};

// The levels of samples of `kind`. Real samples (signed, floating point)
// map heightRange onto 0 .. 255 when it is given, else `samples`, the
// lowest and highest sample with data (none: every level 0), and their
// levels stand for those heights. The levels of bytes and words are the
// samples themselves (`samples` plays no part), standing for the heights of
// heightRange when it is given, else 0 .. 255. Raises Error naming the file
// when the range is wider than a double can hold.
HeightLevels HeightLevelsFor(const std::string& path, SampleKind kind, const std::optional<HeightRange>& samples,
                             const std::optional<HeightRange>& heightRange);

}  // namespace orvalis
