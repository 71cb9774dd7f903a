// A window that starts a generation at once, for the tests that stop it with
// signals. Its only argument is the program folder; the current folder holds
// default.txt. It stops as the window's main does, and says on stderr when
// it has cancelled the run, which the window's end does first: a test that
// holds the run in its writes (SyncHold.h) releases it only then.
#include <cstdio>

#include <QApplication>
#include <QStandardPaths>
#include <QPushButton>

#include "app/MainWindow.h"
#include "app/QuitOnStopSignals.h"
#include "app/UserDialogs.h"
#include "files/StopSignals.h"

namespace {

// Errors go to stderr; every file dialog is cancelled.
class PrintedDialogs final : public orvalis::UserDialogs {
public:
    std::optional<QString> OpenPicture(QWidget*) override { return std::nullopt; }
    std::optional<QString> OpenTextureInfo(QWidget*) override { return std::nullopt; }
    std::optional<QString> SaveTextureInfo(QWidget*) override { return std::nullopt; }
    void ShowError(QWidget*, const QString& message) override {
        std::fprintf(stderr, "error: %s\n", message.toLocal8Bit().constData());
    }
    void ShowMessage(QWidget*, const QString&, const QString& message) override {
        std::fprintf(stderr, "message: %s\n", message.toLocal8Bit().constData());
    }
    std::optional<orvalis::ExportSettings> EditExportSettings(QWidget*, const orvalis::ExportSettings&) override {
        return std::nullopt;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The user's remembered settings stay out of it.
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    orvalis::IgnoreFileSizeSignal();
    const orvalis::QuitOnStopSignals stopSignals;
    PrintedDialogs dialogs;
    orvalis::TForm1 form(dialogs, QString::fromLocal8Bit(argv[1]));
    form.State().TextureSize = 4096;
    form.Button3->click();
    const int exitCode = stopSignals.RunEventLoop();
    if (form.IsGenerating()) form.Button3->click();
    std::fprintf(stderr, "run cancelled\n");
    return exitCode;
}
