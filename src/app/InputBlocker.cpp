#include "app/InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QCursor>
#include <QGuiApplication>

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
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

}  // namespace

InputBlocker::InputBlocker() {
    QCoreApplication::instance()->installEventFilter(this);
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

InputBlocker::~InputBlocker() {
    // Reads and swallows the input that arrived while the command ran.
    QCoreApplication::processEvents();
    QGuiApplication::restoreOverrideCursor();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject*, QEvent* event) { return IsUserInput(event->type()); }

}  // namespace orvalis
