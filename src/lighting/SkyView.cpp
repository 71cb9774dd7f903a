#include "lighting/SkyView.h"

#include <cmath>

namespace orvalis {

namespace {

// The sine of the horizon's elevation, or 0 for a horizon below level.
float RaisedSine(double tangent) {
    return tangent > 0 ? static_cast<float>(tangent / std::sqrt(1 + tangent * tangent)) : 0.0f;
}

}  // namespace

std::vector<float> SkyViewFactor(HorizonSweeps& sweeps, const RunOptions& options,
                                 const std::function<void(int directionsDone)>& directionDone) {
    std::vector<float> hidden;
    for (int direction = 0; direction < kSkyDirections; ++direction) {
        sweeps.Add(
            360.0 * direction / kSkyDirections, [](double tangent) { return RaisedSine(tangent); }, hidden, options);
        if (directionDone) directionDone(direction + 1);
    }
    for (float& share : hidden) share = 1 - share / kSkyDirections;
    return hidden;
}

}  // namespace orvalis
