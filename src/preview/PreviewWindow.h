#pragma once

#include <functional>
#include <optional>

#include <QPoint>
#include <QWindow>

#include "preview/GlContext.h"
#include "preview/PreviewMesh.h"
#include "preview/PreviewOrbit.h"

namespace orvalis {

// The preview in a window of its own: resizable, full screen on F11, the
// mesh and texture of the preview page drawn through that page's context
// (TPreviewSurface::DrawOn). A drag with the left button orbits the camera,
// the wheel zooms; the arrow keys orbit and + and - zoom as well; Esc leaves
// full screen, else closes the window. Frames are drawn when something
// changed, not continuously. The window must go before the panel and mesh.
class TPreviewWindow : public QWindow {
public:
    static constexpr int kInitialWidth = 960;
    static constexpr int kInitialHeight = 720;

    TPreviewWindow(TPreviewSurface& panel, const THeightMap& mesh);

    const PreviewOrbit& Orbit() const { return orbit_; }
    // Asks for a frame, once the window can show one.
    void Redraw();
    void ToggleFullScreen();
    int FramesDrawn() const { return framesDrawn_; }

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Draw();
    void Move(const PreviewOrbit& orbit);

    TPreviewSurface& panel_;
    const THeightMap& mesh_;
    PreviewOrbit orbit_;
    std::optional<QPoint> dragFrom_;  // while the left button is down
    int wheelRest_ = 0;  // eighths of a degree not yet a whole wheel step
    int framesDrawn_ = 0;
};

}  // namespace orvalis
