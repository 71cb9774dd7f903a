// The Preview page: the GL start, the mesh and texture, the frame loop, the
// rotation and frame-rate timers, the wheel zoom and the resolution switch.
#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include "app/MainWindow.h"
#include "preview/PreviewControls.h"
#include "preview/PreviewFrame.h"
#include "preview/PreviewTexture.h"

namespace orvalis {

// The limit is read as soon as the context exists, so that an unreadable
// "default.txt" cannot keep the preview off for the whole run.
void TForm1::StartPreview() {
    Panel1->StartGl();
    state_.MaxTextureSize = QueryMaxTextureSize();
}

void TForm1::PreviewPageChanged(int index) {
    if (index == kPreviewPage) Run([this] { TabSheet3Show(); });
    UpdateIdleLoop();
}

bool TForm1::DrawsFrames() const {
    return state_.PreviewEnabled && PageControl->currentIndex() == kPreviewPage && Panel1->HasGl();
}

void TForm1::UpdateIdleLoop() {
    if (DrawsFrames()) {
        IdleTimer->start();
    } else {
        IdleTimer->stop();
    }
}

// An unreadable heightmap raises here and leaves the texture as it was.
void TForm1::TabSheet3Show() {
    if (!state_.PreviewEnabled) return;
    BuildPreviewMesh(state_.PreviewMesh, state_.HeightmapPath, state_.PreviewResolution);
    if (Panel1->HasGl()) ReloadPreviewTexture(state_.PreviewMesh, ProgramFile(state_.OutputFile));
}

void TForm1::ApplicationEvents1Idle() {
    if (!DrawsFrames()) return;
    const qreal scale = Panel1->devicePixelRatio();
    DrawPreviewFrame(state_.PreviewMesh,
                     {qRound(Panel1->width() * scale), qRound(Panel1->height() * scale),
                      state_.ZoomFactor, state_.RotationAngle});
    Panel1->SwapBuffers();
    StaticText3->setText(QString::fromStdString(
        PreviewStatusCaption(state_.PreviewMesh.Vertices.size(), state_.FramesPerSecond)));
    ++state_.FrameCounter;
}

void TForm1::Timer1Timer() { state_.RotationAngle = NextRotationAngle(state_.RotationAngle); }

void TForm1::FPSTimerTimer() {
    state_.FramesPerSecond = static_cast<float>(state_.FrameCounter);
    state_.FrameCounter = 0;
}

void TForm1::FormMouseWheelDown() { state_.ZoomFactor = ZoomedOut(state_.ZoomFactor); }

void TForm1::FormMouseWheelUp() { state_.ZoomFactor = ZoomedIn(state_.ZoomFactor); }

// The mesh follows the switch even while no texture may be shown; the
// texture stays as it is.
void TForm1::StaticText4Click() {
    state_.PreviewResolution = NextPreviewResolution(state_.PreviewResolution);
    StaticText4->setText(QString::fromStdString(ResolutionCaption(state_.PreviewResolution)));
    BuildPreviewMesh(state_.PreviewMesh, state_.HeightmapPath, state_.PreviewResolution);
}

// The window's native window exists from here on, so that the wheel is
// watched whether or not the window has been shown.
void TForm1::WatchWheel() {
    create();
    windowHandle()->installEventFilter(this);
    Panel1->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta < 0) Run([this] { FormMouseWheelDown(); });
        if (delta > 0) Run([this] { FormMouseWheelUp(); });
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orvalis
