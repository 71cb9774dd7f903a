#include "preview/PreviewControls.h"

#include "math/Geometry.h"

namespace orvalis {

namespace {

constexpr float kRotationStep = 0.25f;  // exact in a float, so the turn ends on 360 itself
constexpr float kZoomStep = 0.05f;
constexpr std::int32_t kResolutionStep = 32;
constexpr std::int32_t kLargestResolution = 256;

}  // namespace

float NextRotationAngle(float angle) {
    const float next = angle + kRotationStep;
    return next > 360 ? 0.0f : next;
}

// 0.05 is inexact in a float: from 1.0 the factor runs past the bounds to
// about 2.05 and 0.0999998, and these single-precision sums are what it shows.
float ZoomedOut(float zoomFactor) { return zoomFactor < 2.0f ? zoomFactor + kZoomStep : zoomFactor; }

float ZoomedIn(float zoomFactor) { return zoomFactor > 0.1 ? zoomFactor - kZoomStep : zoomFactor; }

std::int32_t NextPreviewResolution(std::int32_t resolution) {
    const std::int32_t next = resolution + kResolutionStep;
    return next > kLargestResolution ? kResolutionStep : next;
}

// The frame rate is a whole count of frames, so it prints without decimals.
std::string PreviewStatusCaption(std::size_t vertexCount, float framesPerSecond) {
    return std::to_string(vertexCount) + " Vertices / " + std::to_string(TruncToInt(framesPerSecond)) +
           " fps";
}

std::string ResolutionCaption(std::int32_t resolution) {
    return "Resolution : " + std::to_string(resolution);
}

float NextExaggeration(float exaggeration) {
    for (const float step : {1.0f, 2.0f, 5.0f, 10.0f}) {
        if (step > exaggeration) return step;
    }
    return 1.0f;
}

std::string ReliefCaption(float exaggeration) { return "Relief : x" + std::to_string(TruncToInt(exaggeration)); }

}  // namespace orvalis
