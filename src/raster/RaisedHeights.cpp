#include "raster/RaisedHeights.h"

#include <vector>

namespace orvalis {

void RaiseTo(double level, double* heights, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) heights[i] = heights[i] < level ? level : heights[i];
}

HeightPlane RaisedTo(const HeightPlane& heights, double level) {
    HeightPlane raised{heights.Width, heights.Rows, std::vector<double>(heights.Width * static_cast<std::size_t>(heights.Rows)), {}};
    for (std::size_t i = 0; i < raised.Heights.size(); ++i) raised.Heights[i] = heights.Height(i);
    RaiseTo(level, raised.Heights.data(), raised.Heights.size());
    return raised;
}

}  // namespace orvalis
