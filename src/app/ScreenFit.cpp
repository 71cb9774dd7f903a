#include "app/ScreenFit.h"

#include <algorithm>

#include <QScreen>

namespace orvalis {

namespace {

// Room for a title bar and the frame around it, in the screen's own
// (scaled) pixels.
constexpr int kFrameAllowance = 8;
constexpr int kTitleAllowance = 32;

// The first coordinate of a span of `size` nearest `preferred` within [first, first + room).
int Within(int preferred, int first, int size, int room) {
    return std::max(first, std::min(preferred, first + room - size));
}

}  // namespace

QRect RoomFor(const QScreen& screen) {
    return screen.availableGeometry().adjusted(kFrameAllowance, kTitleAllowance, -kFrameAllowance,
                                               -kFrameAllowance);
}

QRect FitWithin(const QRect& wanted, const QRect& room) {
    const QSize size = wanted.size().boundedTo(room.size());
    return {QPoint(Within(wanted.left(), room.left(), size.width(), room.width()),
                   Within(wanted.top(), room.top(), size.height(), room.height())),
            size};
}

}  // namespace orvalis
