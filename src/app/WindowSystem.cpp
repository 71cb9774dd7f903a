#include "app/WindowSystem.h"

#include <cstdio>
#include <cstdlib>

#include <QtGlobal>

namespace orvalis {

const char* const kNoDisplayMessage =
    "orvalis: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY names one).\n"
    "Run it under a virtual display:  xvfb-run -a orvalis\n"
    "or make textures without a window:  orvalis-cli generate  (see orvalis-cli --help)\n";

WindowSystemHints CurrentWindowSystemHints(int argc, char** argv) {
    WindowSystemHints hints{qEnvironmentVariable("DISPLAY"),
                            qEnvironmentVariable("WAYLAND_DISPLAY"),
                            qEnvironmentVariable("QT_QPA_PLATFORM"), {}};
    for (int i = 0; i < argc; ++i) hints.Arguments.append(QString::fromLocal8Bit(argv[i]));
    return hints;
}

bool NamesAWindowSystem(const WindowSystemHints& hints) {
    return !hints.Display.isEmpty() || !hints.WaylandDisplay.isEmpty() ||
           !hints.Platform.isEmpty() || hints.Arguments.contains(QStringLiteral("-platform"));
}

namespace {

QtMessageHandler g_previousHandler = nullptr;

void ExitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        g_previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "orvalis: %s\n%s", qPrintable(message), kNoDisplayMessage);
    std::_Exit(1);
}

}  // namespace

NoDisplayExit::NoDisplayExit() { g_previousHandler = qInstallMessageHandler(ExitOnFatal); }

NoDisplayExit::~NoDisplayExit() { qInstallMessageHandler(g_previousHandler); }

}  // namespace orvalis
