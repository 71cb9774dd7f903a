#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvalis {

// The rotation timer's step: a quarter degree, back to 0 once past 360, so
// 360 itself is shown for one tick and a turn takes 1441 ticks.
float NextRotationAngle(float angle);

// Wheel down moves the camera away, up to a factor just past 2.
float ZoomedOut(float zoomFactor);
// Wheel up brings the camera closer, down to a factor just under 0.1.
float ZoomedIn(float zoomFactor);

// 32, 64, ..., 256, then 32 again.
std::int32_t NextPreviewResolution(std::int32_t resolution);

// The status line under the preview: "64516 Vertices / 60 fps".
std::string PreviewStatusCaption(std::size_t vertexCount, float framesPerSecond);

// The resolution switch's caption: "Resolution : 128".
std::string ResolutionCaption(std::int32_t resolution);

// The relief's exaggeration: 1, 2, 5, 10, then 1 again.
float NextExaggeration(float exaggeration);
// The relief switch's caption: "Relief : x2".
std::string ReliefCaption(float exaggeration);

}  // namespace orvalis
