#pragma once

#include <QString>
#include <QStringList>

namespace orvalis {

// What tells Qt which window system to open the window on.
struct WindowSystemHints {
    QString Display;         // $DISPLAY
    QString WaylandDisplay;  // $WAYLAND_DISPLAY
    QString Platform;        // $QT_QPA_PLATFORM
    QStringList Arguments;   // the command line, which may say -platform
};

WindowSystemHints CurrentWindowSystemHints(int argc, char** argv);

// False when nothing names a window system: Qt would abort (exit code 134)
// trying the default one, so the program says what to do instead.
bool NamesAWindowSystem(const WindowSystemHints& hints);

// What the window says when it has no display, "orvalis: " first.
extern const char* const kNoDisplayMessage;

// While it lives, Qt's fatal "no platform plugin could be initialized" (a
// display that is named but does not answer) ends the program with exit
// code 1 and kNoDisplayMessage instead of an abort.
class NoDisplayExit {
public:
    NoDisplayExit();
    ~NoDisplayExit();
    NoDisplayExit(const NoDisplayExit&) = delete;
    NoDisplayExit& operator=(const NoDisplayExit&) = delete;
};

}  // namespace orvalis
