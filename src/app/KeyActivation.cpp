#include "app/KeyActivation.h"

#include <utility>

#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

namespace orvalis {

namespace {

bool IsActivationKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::NoModifier &&
           (key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter);
}

}  // namespace

KeyActivation::KeyActivation(QWidget* control, std::function<void()> click)
    : QObject(control), control_(control), click_(std::move(click)) {}

void KeyActivation::Install(QWidget* control, std::function<void()> click) {
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(new KeyActivation(control, std::move(click)));
}

bool KeyActivation::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_) return false;
    if (click_ && event->type() == QEvent::KeyPress &&
        IsActivationKey(*static_cast<QKeyEvent*>(event))) {
        click_();
        return true;
    }
    // The control paints itself first; the focus frame goes on top.
    if (event->type() == QEvent::Paint && control_->hasFocus()) {
        static_cast<QObject*>(control_)->event(event);
        // Pictures hide the style's faint focus frame, so it is drawn plainly.
        QPainter painter(control_);
        painter.setPen(QPen(control_->palette().color(QPalette::Highlight), 2));
        painter.drawRect(control_->rect().adjusted(1, 1, -1, -1));
        return true;
    }
    return false;
}

}  // namespace orvalis
