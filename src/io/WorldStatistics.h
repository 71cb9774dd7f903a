#pragma once

#include <optional>
#include <string>

#include "io/PictureFile.h"
#include "io/SampleSource.h"

namespace orvalis {

// What a whole read of a world finds, from one pass over its cells.
struct WorldStatistics {
    // The lowest and highest real (signed or floating-point) sample with
    // data, as ReadPictureFacts ranges them, from which their levels follow
    // (HeightLevelsFor); none for bytes and words, or when no cell has data.
    std::optional<HeightRange> Samples;
    // The lowest and highest height in the data's units of all cells, as a
    // whole read's HeightsInDataUnits gives them (cells without data lie at
    // level 0, where the reading puts them): its lowest is what
    // LowestHeightWithData finds there.
    HeightRange Heights;
};

// The statistics of the source's cells, read a band of rows at a time (the
// next band decoded while the run's threads work on the last), so that one
// or two bands and the decoder are all it holds; that is checked against
// the options' memory limit first. Heights follow the levels of the
// options' height range. Raises Error naming the file, or RunCancelled.
WorldStatistics ReadWorldStatistics(const std::string& path, const SampleSource& source,
                                    const PictureReadOptions& options);

}  // namespace orvalis
