#include "app/InputBlocker.h"

#include <utility>

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <QWidget>

namespace orvalis {

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

bool IsMouseButton(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
}

}  // namespace

InputBlocker::InputBlocker(QWidget* stillUsable, std::function<void()> onEscape,
                           QList<QKeySequence> stillWorking)
    : stillUsable_(stillUsable),
      onEscape_(std::move(onEscape)),
      stillWorking_(std::move(stillWorking)) {
    QCoreApplication::instance()->installEventFilter(this);
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
}

InputBlocker::~InputBlocker() {
    QGuiApplication::restoreOverrideCursor();
    QCoreApplication::instance()->removeEventFilter(this);
}

// A click reaches the window before the widget under it, so the place
// decides, whichever object receives the event.
bool InputBlocker::IsOnStillUsable(QEvent* event) const {
    if (!IsMouseButton(event->type()) || !stillUsable_->isVisible()) return false;
    const QPointF global = static_cast<QMouseEvent*>(event)->globalPosition();
    return stillUsable_->rect().contains(stillUsable_->mapFromGlobal(global.toPoint()));
}

// Every step of a key press that stays usable goes through: the shortcut
// override, the shortcut itself, the press and the release.
bool InputBlocker::IsStillWorkingKey(QEvent* event) const {
    QKeySequence keys;
    if (event->type() == QEvent::Shortcut) {
        keys = static_cast<QShortcutEvent*>(event)->key();
    } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
               event->type() == QEvent::ShortcutOverride) {
        keys = QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination());
    }
    return !keys.isEmpty() && stillWorking_.contains(keys);
}

bool InputBlocker::eventFilter(QObject*, QEvent* event) {
    if (!IsUserInput(event->type()) || IsStillWorkingKey(event)) return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        onEscape_();
        return true;
    }
    return !IsOnStillUsable(event);
}

}  // namespace orvalis
