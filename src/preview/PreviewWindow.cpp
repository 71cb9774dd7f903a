#include "preview/PreviewWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "preview/PreviewFrame.h"

namespace orvalis {

namespace {

// One notch of a common mouse wheel, in eighths of a degree.
constexpr int kWheelStep = 120;
constexpr int kKeyTurnPixels = 10;

}  // namespace

TPreviewWindow::TPreviewWindow(TPreviewSurface& panel, const THeightMap& mesh) : panel_(panel), mesh_(mesh) {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(panel.requestedFormat());
    setTitle(QStringLiteral("Orvalis preview"));
    resize(kInitialWidth, kInitialHeight);
    setMinimumSize(QSize(160, 120));
}

void TPreviewWindow::Redraw() {
    if (isExposed()) requestUpdate();
}

void TPreviewWindow::ToggleFullScreen() {
    setWindowStates(windowStates() ^ Qt::WindowFullScreen);
    Redraw();
}

bool TPreviewWindow::event(QEvent* event) {
    if (event->type() == QEvent::UpdateRequest) {
        Draw();
        return true;
    }
    return QWindow::event(event);
}

void TPreviewWindow::exposeEvent(QExposeEvent*) {
    if (isExposed()) Draw();
}

void TPreviewWindow::resizeEvent(QResizeEvent*) { Redraw(); }

void TPreviewWindow::Draw() {
    const qreal scale = devicePixelRatio();
    const PreviewView view{qRound(width() * scale), qRound(height() * scale), orbit_.Zoom, orbit_.Turn,
                           orbit_.Tilt};
    panel_.DrawOn(*this, [&] { DrawPreviewFrame(mesh_, view); });
    ++framesDrawn_;
}

void TPreviewWindow::Move(const PreviewOrbit& orbit) {
    orbit_ = orbit;
    Redraw();
}

void TPreviewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_ = event->position().toPoint();
}

void TPreviewWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    const QPoint moved = at - *dragFrom_;
    dragFrom_ = at;
    Move(Dragged(orbit_, moved.x(), moved.y()));
}

void TPreviewWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_.reset();
}

// A fine-grained wheel or touchpad adds up to whole steps.
void TPreviewWindow::wheelEvent(QWheelEvent* event) {
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / kWheelStep;
    wheelRest_ -= steps * kWheelStep;
    if (steps != 0) Move(Zoomed(orbit_, steps));
}

void TPreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_F11: ToggleFullScreen(); break;
        case Qt::Key_Escape:
            if (windowStates() & Qt::WindowFullScreen) ToggleFullScreen();
            else close();
            break;
        case Qt::Key_Left: Move(Dragged(orbit_, -kKeyTurnPixels, 0)); break;
        case Qt::Key_Right: Move(Dragged(orbit_, kKeyTurnPixels, 0)); break;
        case Qt::Key_Up: Move(Dragged(orbit_, 0, -kKeyTurnPixels)); break;
        case Qt::Key_Down: Move(Dragged(orbit_, 0, kKeyTurnPixels)); break;
        case Qt::Key_Plus:
        case Qt::Key_Equal: Move(Zoomed(orbit_, 1)); break;
        case Qt::Key_Minus: Move(Zoomed(orbit_, -1)); break;
        default: QWindow::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace orvalis
