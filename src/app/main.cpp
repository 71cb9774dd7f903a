#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "app/MainWindow.h"
#include "app/ProgramFolder.h"
#include "app/QtUserDialogs.h"
#include "app/QuitOnStopSignals.h"
#include "app/WindowOptions.h"
#include "app/WindowSystem.h"
#include "files/StopSignals.h"
#include "math/KernelChoice.h"

namespace {

void DescribeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Makes a terrain's colour texture from its heightmap and five tiles."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("cap-fps"),
                      QStringLiteral("Draw the preview at most once per screen refresh.")});
    parser.addPositionalArgument(QStringLiteral("set-up"),
                                 QStringLiteral("Texture-info file to load instead of default.txt."),
                                 QStringLiteral("[set-up]"));
}

// Qt's own options, which QApplication takes off the line once it starts:
// known here too, so that the line can be checked before there is a display.
void AcceptQtOptions(QCommandLineParser& parser) {
    const QStringList withValue = {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                                   "geometry", "style", "stylesheet", "session", "qwindowgeometry",
                                   "qwindowicon", "qwindowtitle", "qmljsdebugger"};
    const QStringList flags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const QString& name : withValue) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString& name : flags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// The whole line is read before the window system starts: --help and
// --version answer, and a bad option is refused with status 2, with or
// without a display. None: the program ends with that status.
std::optional<orvalis::WindowOptions> ReadOptions(int argc, char** argv, int& status) {
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    DescribeOptions(parser);
    AcceptQtOptions(parser);
    status = 2;
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "orvalis: %s (try --help)\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    parser.process(core);  // --help, --help-all and --version end here
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "orvalis: give at most one set-up file (try --help)\n");
        return std::nullopt;
    }
    orvalis::WindowOptions options;
    options.CapFrameRate = parser.isSet(QStringLiteral("cap-fps"));
    if (!parser.positionalArguments().isEmpty()) {
        // Named from where the user started the program, which may change later.
        options.SetUpFile = QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath().toStdString();
    }
    return options;
}

// The installed sample terrain, found from the executable's folder.
QString InstalledData() {
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral(ORVALIS_DATA_FROM_BIN)));
}

// A display that is named but does not answer ends the start with a clear
// message rather than Qt's abort.
std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
    const orvalis::NoDisplayExit noDisplayExit;
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("orvalis"));
    QCoreApplication::setOrganizationName(QStringLiteral("orvalis"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVALIS_VERSION));
    int status = 0;
    const std::optional<orvalis::WindowOptions> options = ReadOptions(argc, argv, status);
    if (!options) return status;
    try {
        // A bad ORVALIS_KERNEL ends the start before the window opens.
        orvalis::ChosenKernel();
    } catch (const orvalis::KernelChoiceError& error) {
        std::fprintf(stderr, "orvalis: %s\n", error.what());
        return 2;
    }
    if (!orvalis::NamesAWindowSystem(orvalis::CurrentWindowSystemHints(argc, argv))) {
        std::fputs(orvalis::kNoDisplayMessage, stderr);
        return 1;
    }

    const std::unique_ptr<QApplication> application = StartApplication(argc, argv);
    orvalis::IgnoreFileSizeSignal();
    const orvalis::QuitOnStopSignals stopSignals;
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.orvalis"));
    QString programFolder = QCoreApplication::applicationDirPath();
    try {
        const orvalis::ProgramFolder folder = orvalis::ChooseProgramFolder(
            programFolder, InstalledData(), orvalis::UserDataFolder());
        programFolder = folder.Path;
        // An installed program reads "default.txt" and the sample it names
        // from the user's folder.
        if (folder.PerUser) QDir::setCurrent(folder.Path);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvalis: %s\n", error.what());
    }

    orvalis::QtUserDialogs dialogs;
    orvalis::TForm1 form(dialogs, programFolder, *options);
    form.show();
    return stopSignals.RunEventLoop();
}
