#include "app/InputBlocker.h"

#include <algorithm>
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

bool IsModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr || key == Qt::Key_CapsLock || key == Qt::Key_unknown;
}

}  // namespace

InputBlocker::InputBlocker(QList<QWidget*> stillUsable, QList<QKeySequence> stillWorking, Handlers handlers)
    : stillUsable_(std::move(stillUsable)), stillWorking_(std::move(stillWorking)), handlers_(std::move(handlers)) {
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
    if (!IsMouseButton(event->type())) return false;
    const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    return std::any_of(stillUsable_.begin(), stillUsable_.end(), [&](const QWidget* widget) {
        return widget->isVisible() && widget->rect().contains(widget->mapFromGlobal(global));
    });
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

// A key that has a shortcut comes as the shortcut's event and never as a
// press. A press of a modifier alone, or a key held down, is no key of its own.
void InputBlocker::Blocked(QEvent* event) const {
    if (event->type() == QEvent::Shortcut) {
        handlers_.OnBlockedKey(static_cast<QShortcutEvent*>(event)->key());
        return;
    }
    if (event->type() != QEvent::KeyPress) return;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat() || IsModifier(key->key())) return;
    handlers_.OnBlockedKey(QKeySequence(key->keyCombination()));
}

bool InputBlocker::eventFilter(QObject*, QEvent* event) {
    if (!IsUserInput(event->type()) || IsStillWorkingKey(event)) return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        handlers_.OnEscape();
        return true;
    }
    if (IsOnStillUsable(event)) return false;
    Blocked(event);
    return true;
}

}  // namespace orvalis
