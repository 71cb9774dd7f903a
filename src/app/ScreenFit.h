#pragma once

#include <QRect>

class QScreen;

namespace orvalis {

// The part of a screen a top-level window's contents may take: the free
// area less an allowance for the window manager's frame and title bar, which
// are not known before the window is shown.
QRect RoomFor(const QScreen& screen);

// `wanted` made no larger than `room` and moved as little as needed to lie
// within it.
QRect FitWithin(const QRect& wanted, const QRect& room);

}  // namespace orvalis
