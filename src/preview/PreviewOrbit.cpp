#include "preview/PreviewOrbit.h"

#include <algorithm>
#include <cmath>

#include "preview/PreviewControls.h"

namespace orvalis {

PreviewOrbit Dragged(PreviewOrbit orbit, int dx, int dy) {
    const float turn = std::fmod(orbit.Turn + static_cast<float>(dx) * kDegreesPerPixel, 360.0f);
    orbit.Turn = turn < 0 ? turn + 360.0f : turn;
    orbit.Tilt = std::clamp(orbit.Tilt + static_cast<float>(dy) * kDegreesPerPixel, kLowestTilt, kHighestTilt);
    return orbit;
}

PreviewOrbit Zoomed(PreviewOrbit orbit, int steps) {
    for (; steps > 0; --steps) orbit.Zoom = ZoomedIn(orbit.Zoom);
    for (; steps < 0; ++steps) orbit.Zoom = ZoomedOut(orbit.Zoom);
    return orbit;
}

}  // namespace orvalis
