#include "app/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvalis {

PictureBox::PictureBox(Fit fit, QWidget* parent) : QWidget(parent), fit_(fit) {}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    Rescale();
    update();
}

// Scaled once per picture rather than per paint: a generated texture may be
// 4096 pixels a side.
void PictureBox::Rescale() {
    if (picture_.isNull() || size().isEmpty()) {
        shown_ = QImage();
        return;
    }
    const Qt::AspectRatioMode mode =
        fit_ == Fit::Stretch ? Qt::IgnoreAspectRatio : Qt::KeepAspectRatio;
    shown_ = picture_.scaled(size(), mode, Qt::FastTransformation);
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (shown_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, shown_);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
    }
}

void PictureBox::resizeEvent(QResizeEvent*) { Rescale(); }

}  // namespace orvalis
