#pragma once

namespace orvalis {

// The camera of the preview's own window: turned about the vertical axis,
// tilted down onto the mesh and standing 50 * Zoom units away.
struct PreviewOrbit {
    float Turn = 0.0f;   // degrees, 0 .. 360
    float Tilt = 30.0f;  // degrees, kLowestTilt .. kHighestTilt
    float Zoom = 1.0f;   // as the preview page's wheel zoom
};

inline constexpr float kLowestTilt = 5.0f;
inline constexpr float kHighestTilt = 90.0f;
// A drag across the whole of a 720-pixel-wide window turns the mesh once.
inline constexpr float kDegreesPerPixel = 0.5f;

// A drag by (dx, dy) pixels: right turns the mesh, down tilts the camera
// higher above it.
PreviewOrbit Dragged(PreviewOrbit orbit, int dx, int dy);

// Wheel or key steps: positive come closer, negative move away, each as one
// step of the preview page's zoom.
PreviewOrbit Zoomed(PreviewOrbit orbit, int steps);

}  // namespace orvalis
