#include "app/PictureBox.h"

#include <optional>

#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QPainter>

namespace orvalis {

namespace {

// The one local file a drag carries; none for several files or other data.
std::optional<QString> DroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile()) return std::nullopt;
    return url.toLocalFile();
}

}  // namespace

PictureBox::PictureBox(Fit fit, QWidget* parent) : QWidget(parent), fit_(fit) {
    setAcceptDrops(true);
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    Rescale();
    update();
    emit PictureChanged();
}

void PictureBox::SetPlaceholder(const QString& text) {
    placeholder_ = text;
    update();
}

// Scaled once per picture rather than per paint: a generated texture may be
// 4096 pixels a side. A picture made smaller is averaged, as picking every
// n-th pixel draws a moiré over fine detail; one made larger keeps its
// pixels sharp.
void PictureBox::Rescale() {
    if (picture_.isNull() || size().isEmpty()) {
        shown_ = QImage();
        return;
    }
    const Qt::AspectRatioMode mode =
        fit_ == Fit::Stretch ? Qt::IgnoreAspectRatio : Qt::KeepAspectRatio;
    const bool shrinks = picture_.width() > width() || picture_.height() > height();
    shown_ = picture_.scaled(size(), mode,
                             shrinks ? Qt::SmoothTransformation : Qt::FastTransformation);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (shown_.isNull()) {
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, placeholder_);
        return;
    }
    painter.drawImage(0, 0, shown_);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
    }
}

void PictureBox::resizeEvent(QResizeEvent*) { Rescale(); }

void PictureBox::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void PictureBox::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = DroppedFile(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    emit FileDropped(*path);
}

}  // namespace orvalis
