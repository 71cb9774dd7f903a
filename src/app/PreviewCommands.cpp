// The Preview page: the GL start, the mesh and texture, the frame loop, the
// rotation and frame-rate timers, the wheel zoom and the resolution switch.
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include "app/MainWindow.h"
#include "app/Relight.h"
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

// Frames are drawn only while they can be seen: not while the window is
// minimised or hidden, nor while the panel is covered by another page. With
// the frame cap they come at the screen's refresh rate, else back to back.
void TForm1::UpdateIdleLoop() {
    if (!DrawsFrames() || !Panel1->isExposed() || isMinimized() || !isVisible()) {
        IdleTimer->stop();
        return;
    }
    const qreal refresh = Panel1->screen()->refreshRate();
    const int interval = options_.CapFrameRate && refresh > 0 ? qRound(1000 / refresh) : 0;
    IdleTimer->setTimerType(interval > 0 ? Qt::PreciseTimer : Qt::CoarseTimer);
    IdleTimer->start(interval);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) UpdateIdleLoop();
    QWidget::changeEvent(event);
}

void TForm1::showEvent(QShowEvent* event) {
    UpdateIdleLoop();
    QWidget::showEvent(event);
}

void TForm1::hideEvent(QHideEvent* event) {
    UpdateIdleLoop();
    QWidget::hideEvent(event);
}

// The panel gives way to a plain statement on the page, and the
// hardware-limit warning, meaningless without GL, is not shown.
void TForm1::ShowPreviewUnavailable() {
    Panel1Container->hide();
    TexInfo->hide();
    PreviewUnavailable->show();
}

// An unreadable heightmap raises here and leaves the texture as it was.
void TForm1::TabSheet3Show() {
    if (!state_.PreviewEnabled) return;
    BuildPreviewMesh(state_.PreviewMesh, state_.HeightmapPath, state_.PreviewResolution, state_.PreviewRelief);
    if (!Panel1->HasGl()) return;
    // A texture relit on the Lighting page is shown in place of the file.
    const RelitTexture* relit = Relighter->Last();
    if (relit) {
        ReplacePreviewTexture(state_.PreviewMesh, relit->Texture);
    } else {
        ReloadPreviewTexture(state_.PreviewMesh, ProgramFile(state_.OutputFile));
    }
    RedrawBigPreview();
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
    RebuildMesh();
}

void TForm1::ReliefSwitchClick() {
    state_.PreviewRelief.Exaggeration = NextExaggeration(state_.PreviewRelief.Exaggeration);
    ReliefSwitch->setText(QString::fromStdString(ReliefCaption(state_.PreviewRelief.Exaggeration)));
    RebuildMesh();
}

void TForm1::RebuildMesh() {
    BuildPreviewMesh(state_.PreviewMesh, state_.HeightmapPath, state_.PreviewResolution, state_.PreviewRelief);
    RedrawBigPreview();
}

// The window's native window exists from here on, so that the wheel is
// watched whether or not the window has been shown.
void TForm1::WatchWheel() {
    create();
    windowHandle()->installEventFilter(this);
    Panel1->installEventFilter(this);
}

// Neither a widget's tooltip nor its context menu reach the GL surface by
// themselves: it shows them as the other controls do.
void TForm1::PanelEvent(QEvent* event) {
    if (event->type() == QEvent::Enter) {
        QToolTip::showText(QCursor::pos(), Panel1Container->toolTip(), Panel1Container);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) PreviewMenu->popup(press->globalPosition().toPoint());
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel1) PanelEvent(event);
    if (event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta < 0) Run([this] { FormMouseWheelDown(); });
        if (delta > 0) Run([this] { FormMouseWheelUp(); });
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace orvalis
