#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QPushButton>
#include <QSettings>

#include "FormFixture.h"
#include "app/ExportFile.h"
#include "app/RememberedExport.h"
#include "files/Error.h"

namespace orvalis::test {
namespace {

TEST(ExportSettingsTest, SettingsThatDoNotGoTogetherAreNamed) {
    struct Case {
        const char* Expected;
        std::function<void(ExportSettings&)> Change;
    };
    const Case cases[] = {
        {"The splat map needs a file name", [](ExportSettings& s) { s.SplatMap = {true, ""}; }},
        {"The normal map 'maps/' has a folder part", [](ExportSettings& s) { s.NormalMap = {true, "maps/"}; }},
        {"A world file goes with PNG outputs (Format: PNG)", [](ExportSettings& s) { s.WorldFile = true; }},
        {"A world file goes with PNG outputs",
         [](ExportSettings& s) { s.Format = ExportFormat::GeoTiff, s.WorldFile = true; }},
        {"The shadow map goes with real-scale lighting", [](ExportSettings& s) { s.ShadowMap.On = true; }},
        {"The sun's elevation must lie from 0 to 90, not 91",
         [](ExportSettings& s) { s.RealScale = true, s.SunElevation = 91; }},
        {"The ambient light must lie from 0 to 1", [](ExportSettings& s) { s.RealScale = true, s.Ambient = -0.5; }},
        {"The z-factor must lie from 1e-09 to 1e+09, not 0", [](ExportSettings& s) { s.RealScale = true, s.ZFactor = 0; }},
        {"The z-factor must lie from 1e-09 to 1e+09, not 2e+12",
         [](ExportSettings& s) { s.RealScale = true, s.ZFactor = 2e12; }},
        {"The height range's low end must lie below", [](ExportSettings& s) { s.Range = HeightRange{3, 3}; }},
        {"The second file of the splat map and the normal map collide: both are 'a_1.png'",
         [](ExportSettings& s) { s.SplatMap = {true, "a.png"}, s.NormalMap = {true, "a_1.png"}; }},
        {"The splat map and the world file of the lightmap collide: both are 'lm.pgw'",
         [](ExportSettings& s) { s.Format = ExportFormat::Png, s.SplatMap = {true, "lm.pgw"}; }},
        {"The normal map 'n.bmp' ends as a BMP file, but it is written as PNG",
         [](ExportSettings& s) { s.NormalMap = {true, "n.bmp"}; }},
        {"The splat map '../x.png' has a folder part: give a file name alone, as the maps go into the program folder",
         [](ExportSettings& s) { s.SplatMap = {true, "../x.png"}; }},
        {"The shadow map '/tmp/s.png' is an absolute path", [](ExportSettings& s) { s.ShadowMap.File = "/tmp/s.png"; }},
    };
    for (const Case& c : cases) {
        ExportSettings settings;
        c.Change(settings);
        EXPECT_PRED2(Mentions, MessageOf<Error>([&] { CheckExportSettings(settings); }), c.Expected);
    }
}

class ExportFileTest : public FormFixture {};

TEST_F(ExportFileTest, SettingsComeBackFromTheFileAndTheRememberedSettings) {
    for (const ExportSettings& settings : {ExportSettings(), NonDefaultExport(), PngWithMaps()}) {
        WriteExportFile(Root("set.export"), settings);
        EXPECT_EQ(ReadExportFile(Root("set.export")), settings);
        QSettings store;
        RememberExportSettings(store, settings);
        EXPECT_EQ(RecallExportSettings(store), settings);
    }
    // A byte-order mark, comments, blank lines, spaces and CR LF are fine;
    // what is not named keeps its default.
    WriteLines("short.export", {"\xEF\xBB\xBF  format =  png  ", "# mine", "", "normal-map=on"});
    ExportSettings expected;
    expected.Format = ExportFormat::Png;
    expected.NormalMap.On = true;
    EXPECT_EQ(ReadExportFile(Root("short.export")), expected);
}

TEST_F(ExportFileTest, AFaultyFileIsNamedWithItsLine) {
    struct Case {
        std::vector<std::string> Lines;
        const char* Expected;
    };
    const Case cases[] = {
        {{"normal-map = on", "format = gif"}, "bad.export: line 2: format wants one of bmp, png, tif, not 'gif'"},
        {{"# x", "colour = red"}, "bad.export: line 2: unknown setting 'colour'"},
        {{"sun-azimuth = east"}, "bad.export: line 1: sun-azimuth wants a number, not 'east'"},
        {{"splat-map = yes"}, "bad.export: line 1: splat-map wants on or off, not 'yes'"},
        {{"format = png", "format = bmp"}, "bad.export: line 2: sets 'format' a second time"},
        {{"just words"}, "bad.export: line 1: wants 'name = value'"},
        {{"height-range = 5:1"}, "bad.export: line 1: height-range:"},
        {{"bands = 1,2,3,4,5"}, "bad.export: line 1: bands wants each height below the one before it (H256 > H192"},
        {{"bands = 5,4,3,2"}, "bad.export: line 1: bands wants five heights separated by commas"},
        {{"world-file = on"}, "bad.export: A world file goes with PNG outputs"},
        {{"format = png", "splat-map-file = ../x.png"}, "bad.export: line 2: splat-map-file '../x.png' has a folder part"},
        {{"normal-map-file = .."}, "bad.export: line 1: normal-map-file '..' names a folder"},
    };
    for (const Case& c : cases) {
        WriteLines("bad.export", c.Lines);
        EXPECT_PRED2(Mentions, MessageOf<Error>([&] { ReadExportFile(Root("bad.export")); }), c.Expected) << c.Lines[0];
    }
    WriteBytes(Root("bad.export"), std::string("format = png\n\x01\n"));
    EXPECT_PRED2(Mentions, MessageOf<Error>([&] { ReadExportFile(Root("bad.export")); }), "line 2: contains a control character");
    EXPECT_EQ(ReadExportFileIfAny(Root("none.export")), std::nullopt);
    std::filesystem::create_symlink("loop.export", Root("loop.export"));
    EXPECT_PRED2(Mentions, MessageOf<Error>([&] { ReadExportFileIfAny(Root("loop.export")); }), "loop.export: cannot be opened: it is a loop of symbolic links");
}

// The window: the dialog through Ctrl+E, remembered for the next start, and
// saved and loaded beside the set-up.
TEST_F(ExportFileTest, TheWindowTakesRemembersSavesAndLoadsItsSettings) {
    {
        const auto form = MakeSampleForm();
        EXPECT_EQ(form->Export(), ExportSettings());
        dialogs.ExportAnswers = {PngWithMaps()};
        form->ExportAction->trigger();
        ASSERT_EQ(dialogs.ExportShown.size(), 1u);
        EXPECT_EQ(dialogs.ExportShown[0], ExportSettings());
        EXPECT_EQ(form->Export(), PngWithMaps());
        EXPECT_EQ(form->ExportSummary->text(),
                  "Generate writes: terrain_tex*.png, splat.png, splat_1.png, normals.png, lm.png");
        // Cancel keeps them.
        form->ExportButton->click();
        EXPECT_EQ(form->Export(), PngWithMaps());
        dialogs.Answers = {QString::fromStdString(Root("mine.txt"))};
        form->Button2->click();
    }
    EXPECT_EQ(ReadExportFile(Root("mine.export")), PngWithMaps());
    EXPECT_EQ(ReadBytes(Root("mine.txt")), ReadBytes(Root("default.txt")) + "256\r\n192\r\n128\r\n64\r\n0\r\n");

    const auto form = MakeForm();
    EXPECT_EQ(form->Export(), PngWithMaps());
    form->TakeExportSettings(ExportSettings());
    Load(*form, "mine.txt");
    EXPECT_EQ(form->Export(), PngWithMaps());
    EXPECT_TRUE(dialogs.Errors.empty());
}

// The line under Export names the files of the request Generate would make,
// or why it would refuse it, before Generate is pressed; real-scale light
// leaves the scrollbars nothing to do.
TEST_F(ExportFileTest, TheSummaryNamesTheFilesOfTheNextRun) {
    struct Case {
        std::function<void(ExportSettings&)> Change;
        bool Lit;
        std::string Expected;
    };
    const Case cases[] = {
        {[](ExportSettings&) {}, true, "Generate writes: terrain_tex*.bmp, lm.bmp"},
        {[](ExportSettings& s) { s.Format = ExportFormat::GeoTiff, s.SplatMap.On = true; }, true,
         "Generate writes: terrain_tex*.tif, splat.tif, splat_1.tif, lm.tif"},
        {[](ExportSettings& s) { s = PngWithMaps(); }, false,
         "Generate writes: terrain_tex*.png, splat0.png, splat0_1.png, normals0.png"},
        {[](ExportSettings& s) { s.RealScale = true; }, false,
         "Generate would refuse: Real-scale lighting (Export) lights the terrain: turn Use Lighting on"},
    };
    const auto form = MakeSampleForm();
    WriteBytes(ProgramFile("splat.png"), "an earlier run's");
    for (const Case& c : cases) {
        ExportSettings settings;
        c.Change(settings);
        form->UseLighting->setChecked(c.Lit);
        form->TakeExportSettings(settings);
        EXPECT_TRUE(form->ExportSummary->text().startsWith(QString::fromStdString(c.Expected)))
            << form->ExportSummary->text().toStdString();
        EXPECT_EQ(form->SunPos->isEnabled(), !settings.RealScale);
        EXPECT_EQ(form->LightDir->toolTip().contains("real-scale lighting (Export)"), settings.RealScale);
    }
}

// Nothing of a set-up whose export file is faulty is taken.
TEST_F(ExportFileTest, LoadingAFaultyExportFileChangesNothing) {
    const auto form = MakeSampleForm();
    WriteOneColour(Root("other.bmp"), 4, 4, MakeColour(1, 2, 3));
    WriteLines("other.txt", std::vector<std::string>(6, "other.bmp"));
    WriteLines("other.export", {"format = png", "resample = sideways"});
    const AppState& state = form->State();
    Load(*form, "other.txt");
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_PRED2(Mentions, dialogs.Errors[0].toStdString(), "other.export: line 2: resample wants one of auto, classic, smooth");
    EXPECT_EQ(state.TileFiles[0], "tile0.bmp");
    EXPECT_EQ(state.HeightmapFile, "hills.bmp");
    EXPECT_EQ(form->Export(), ExportSettings());
}

// At start-up the export file beside the set-up counts over the remembered
// settings; a faulty one is named, and the set-up is still taken.
TEST_F(ExportFileTest, StartUpTakesTheExportFileBesideTheSetUp) {
    WriteSampleSetUp();
    WriteLines("default.txt", kSampleLines);
    WriteExportFile(Root("default.export"), PngWithMaps());
    EXPECT_EQ(MakeForm()->Export(), PngWithMaps());
    EXPECT_TRUE(dialogs.Errors.empty());

    WriteLines("default.export", {"normal-map = maybe"});
    const auto form = MakeForm();
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_PRED2(Mentions, dialogs.Errors[0].toStdString(), "default.export: line 1: normal-map wants on or off");
    EXPECT_EQ(form->Export(), PngWithMaps());  // remembered from the start before
    EXPECT_EQ(form->State().HeightmapFile, "hills.bmp");

    // A set-up saved under the export file's own name would lose one of them.
    dialogs.Errors.clear();
    dialogs.Answers = {QString::fromStdString(Root("x.export"))};
    form->Button2->click();
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_PRED2(Mentions, dialogs.Errors[0].toStdString(), "choose a set-up name ending in .txt");
    EXPECT_FALSE(FileExists(Root("x.export")));
}

}  // namespace
}  // namespace orvalis::test
