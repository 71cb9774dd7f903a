#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "raster/Progress.h"
#include "raster/ResampleHeights.h"

namespace orvalis {

// A plane of values (bottom row first) given a band of rows at a time and
// kept as the area means over a target of another size, the values
// ResampleHeights gives the whole plane; where the sizes agree, the values
// as they are. The values must all be finite (MeansOf takes any).
class MeansOnTarget {
public:
    MeansOnTarget(std::int32_t fromWidth, std::int32_t fromRows, std::int32_t width, std::int32_t rows,
                  const RunOptions& options);

    // The next `count` rows, fromWidth values each.
    void Push(const float* values, std::int32_t count);
    // Once every row is in: the target's values, bottom row first.
    std::vector<float> Take() { return std::move(means_); }

private:
    std::int32_t fromWidth_;
    std::int32_t width_;
    std::int32_t nextRow_ = 0;
    std::vector<float> means_;
    std::vector<double> band_;
    std::unique_ptr<StreamedResample> stream_;
};

// The whole plane's means over width x rows cells, values that are not
// finite taken as the lowest finite value, as ResampleHeights takes cells
// without data; where the sizes agree, the values as they are.
std::vector<float> MeansOf(const std::vector<float>& values, std::int32_t fromWidth, std::int32_t fromRows,
                           std::int32_t width, std::int32_t rows, const RunOptions& options);

}  // namespace orvalis
