#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace orvalis {

// A static text that acts as a switch when clicked.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            emit Clicked();
        }
    }
};

}  // namespace orvalis
