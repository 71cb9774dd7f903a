#pragma once

#include <cstdint>

#include "preview/PreviewMesh.h"

namespace orvalis {

// What one frame looks at: the panel's size in pixels and the camera.
struct PreviewView {
    std::int32_t PanelWidth = 0;
    std::int32_t PanelHeight = 0;
    float ZoomFactor = 1.0f;     // the camera stands 50 * ZoomFactor units away
    float RotationAngle = 0.0f;  // degrees about the vertical axis
    float Tilt = 30.0f;          // degrees the camera looks down on the mesh
};

// Draws one frame into the back buffer of the current context: clears it to
// black, looks at the mesh from 50 * ZoomFactor units down at Tilt (the
// preview page's 30 degrees unless changed), turns it by RotationAngle and draws its quads with texture
// mesh.TextureId. The GL arrays must point at this mesh (BuildPreviewMesh
// does that); an empty mesh draws nothing. The caller shows the frame with
// TPreviewSurface::SwapBuffers, also when nothing was drawn.
void DrawPreviewFrame(const THeightMap& mesh, const PreviewView& view);

}  // namespace orvalis
