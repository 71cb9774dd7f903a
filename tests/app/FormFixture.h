#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QDir>
#include <QList>
#include <QUrl>

#include "app/MainWindow.h"
#include "app/UserDialogs.h"
#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/ScratchFolder.h"
#include "raster/PixelColour.h"

// Test failures show a QString as its text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace orvalis {
// Test failures show export settings as their named values.
inline void PrintTo(const ExportSettings& settings, std::ostream* out) {
    for (const auto& [name, value] : ExportSettingsValues(settings)) *out << name << '=' << value << ' ';
}
}  // namespace orvalis

namespace orvalis::test {

// Answers the window's file dialogs from a queue (empty: cancel) and keeps
// the error messages and the captioned messages it was shown.
class FakeDialogs final : public UserDialogs {
public:
    std::deque<QString> Answers;
    std::vector<QString> Errors;
    std::vector<std::pair<QString, QString>> Messages;
    // What the Export dialog answers (empty: cancel) and the settings it showed.
    std::deque<ExportSettings> ExportAnswers;
    std::vector<ExportSettings> ExportShown;

    std::optional<QString> OpenPicture(QWidget*) override { return Next(); }
    std::optional<QString> OpenTextureInfo(QWidget*) override { return Next(); }
    std::optional<QString> SaveTextureInfo(QWidget*) override { return Next(); }
    void ShowError(QWidget*, const QString& message) override { Errors.push_back(message); }
    void ShowMessage(QWidget*, const QString& caption, const QString& message) override {
        Messages.emplace_back(caption, message);
    }
    std::optional<ExportSettings> EditExportSettings(QWidget*, const ExportSettings& current) override;

private:
    std::optional<QString> Next();
};

// The six lines of the sample set-up: five 8 x 8 one-colour tiles tile0.bmp
// .. tile4.bmp and a 24 x 20 grey ramp hills.bmp.
extern const std::vector<std::string> kSampleLines;

// Each test works in a fresh folder that is the current folder; the program's
// folder is its subfolder "bin".
class FormFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Root(const std::string& name) const;
    QString ProgramFolder() const;
    std::string ProgramFile(const std::string& name) const;
    void WriteSampleSetUp() const;
    // Writes the lines as given, each followed by CR LF.
    void WriteLines(const std::string& name, const std::vector<std::string>& lines) const;
    // A window started here. Where the platform gives no GL, the start-up
    // message saying so is checked and taken out of the errors.
    std::unique_ptr<TForm1> MakeForm();
    std::unique_ptr<TForm1> MakeForm(const QString& programFolder, WindowOptions options = {});
    // The sample set-up as "default.txt", loaded without an error.
    std::unique_ptr<TForm1> MakeSampleForm();
    // Load with the given texture-info file chosen.
    void Load(TForm1& form, const std::string& name);
    // Clicks Generate and runs the event loop until the run has ended.
    static void Generate(TForm1& form);
    static void WaitForGeneration(TForm1& form);
    // As the window system delivers a drop: the box sees the drag enter and
    // gets the drop only when it accepted the drag.
    static void Drop(QWidget* box, const QList<QUrl>& urls);

    FakeDialogs dialogs;

private:
    std::optional<ScratchFolder> folder_;
    QString previousFolder_;
};

// Export settings with every value away from its default, and ones that
// write a PNG texture with splat and normal maps.
ExportSettings NonDefaultExport();
ExportSettings PngWithMaps();
bool Mentions(const std::string& text, const std::string& part);

void WriteOneColour(const std::string& path, int width, int height, PixelColour colour);
void WriteGreyRamp(const std::string& path, int width, int height);
bool FileExists(const std::string& path);

}  // namespace orvalis::test
