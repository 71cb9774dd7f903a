#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

#include "FormFixture.h"

namespace orvalis::test {
namespace {

class SaveLoadTest : public FormFixture {
protected:
    static QStringList BandTexts(const TForm1& form) {
        return {form.H4Start->text(), form.H3Start->text(), form.H2Start->text(),
                form.H1Start->text(), form.H0start->text()};
    }
};

TEST_F(SaveLoadTest, SaveRightAfterStartUpWritesElevenLinesThatLoadRestores) {
    const auto form = MakeSampleForm();
    dialogs.Answers = {QString::fromStdString(Root("saved.txt"))};
    form->Button2->click();
    EXPECT_EQ(ReadBytes(Root("saved.txt")),
              "tile0.bmp\r\ntile1.bmp\r\ntile2.bmp\r\ntile3.bmp\r\ntile4.bmp\r\nhills.bmp\r\n"
              "256\r\n192\r\n128\r\n64\r\n0\r\n");

    WriteOneColour(Root("other.bmp"), 4, 4, MakeColour(1, 2, 3));
    WriteLines("other.txt", {"other.bmp", "other.bmp", "other.bmp", "other.bmp", "other.bmp",
                             "other.bmp", "a", "b", "c", "d", "e"});
    Load(*form, "other.txt");
    EXPECT_EQ(BandTexts(*form), QStringList({"a", "b", "c", "d", "e"}));

    Load(*form, "saved.txt");
    EXPECT_TRUE(dialogs.Errors.empty());
    EXPECT_EQ(form->State().TileFiles[0], "tile0.bmp");
    EXPECT_EQ(form->State().HeightmapFile, "hills.bmp");
    EXPECT_EQ(BandTexts(*form), QStringList({"256", "192", "128", "64", "0"}));
    EXPECT_EQ(form->Image2->Shown().pixel(0, 0), qRgb(250, 250, 250));
}

TEST_F(SaveLoadTest, BandLinesAreOptionalAndMissingOnesReadEmpty) {
    const auto form = MakeSampleForm();
    WriteLines("bands.txt", {"tile0.bmp", "tile1.bmp", "tile2.bmp", "tile3.bmp", "tile4.bmp",
                             "hills.bmp", "1", "2", "3", "4", "5"});
    Load(*form, "bands.txt");
    WriteLines("six.txt", kSampleLines);
    Load(*form, "six.txt");
    EXPECT_EQ(BandTexts(*form), QStringList({"1", "2", "3", "4", "5"}));

    std::vector<std::string> seven = kSampleLines;
    seven.push_back("");
    WriteLines("seven.txt", seven);
    Load(*form, "seven.txt");
    EXPECT_EQ(BandTexts(*form), QStringList({"", "", "", "", ""}));
    EXPECT_EQ(form->H4End->text(), "256");
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(SaveLoadTest, MissingHeightmapFallsBackToTerrainBmp) {
    const auto form = MakeSampleForm();
    std::vector<std::string> lines = kSampleLines;
    lines[5] = "nothere.bmp";
    WriteLines("lost.txt", lines);
    Load(*form, "lost.txt");  // and no "terrain.bmp" either: nothing changes
    EXPECT_EQ(form->State().HeightmapFile, "hills.bmp");
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_TRUE(dialogs.Errors[0].contains("terrain.bmp"));
    EXPECT_TRUE(dialogs.Errors[0].contains("lost.txt: line 6: neither nothere.bmp"))
        << dialogs.Errors[0].toStdString();

    WriteGreyRamp(Root("terrain.bmp"), 4, 4);
    Load(*form, "lost.txt");
    EXPECT_EQ(dialogs.Errors.size(), 1u);
    // Shown top row first: the ramp's last buffer row is the picture's top.
    EXPECT_EQ(form->Image1->Shown().pixel(255, 0), qRgb(60, 60, 60));
    EXPECT_EQ(form->Image1->Shown().pixel(0, 255), qRgb(0, 0, 0));
    dialogs.Answers = {QString::fromStdString(Root("resaved.txt"))};
    form->Button2->click();
    EXPECT_NE(ReadBytes(Root("resaved.txt")).find("\r\nterrain.bmp\r\n256\r\n"), std::string::npos);
}

// A heightmap that exists but is no file to read (a FIFO, a device, a
// folder, a loop of links) is named in the error, not replaced by the fallback; the set-up
// is not taken.
TEST_F(SaveLoadTest, AHeightmapThatIsNoRegularFileIsNamedNotReplaced) {
    const auto form = MakeSampleForm();
    const std::string heightmapBefore = form->State().HeightmapFile;
    ASSERT_EQ(::mkfifo(Root("pipe.bmp").c_str(), 0600), 0);
    std::filesystem::create_directory(Root("folder.bmp"));
    std::filesystem::create_symlink("loop.bmp", Root("loop.bmp"));
    const std::pair<std::string, std::string> cases[] = {
        {"loop.bmp", "loop.bmp: cannot be opened: it is a loop of symbolic links"},
        {"pipe.bmp", "pipe.bmp: is not a regular file (a FIFO)"},
        {"/dev/null", "/dev/null: is not a regular file (a character device)"},
        {"folder.bmp", "folder.bmp: is a folder, not a file"},
    };
    for (const auto& [heightmap, message] : cases) {
        SCOPED_TRACE(heightmap);
        std::vector<std::string> lines = kSampleLines;
        lines[5] = heightmap;
        WriteLines("odd.txt", lines);
        dialogs.Errors.clear();
        Load(*form, "odd.txt");
        EXPECT_EQ(form->State().HeightmapFile, heightmapBefore);
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        EXPECT_TRUE(dialogs.Errors[0].contains(QString::fromStdString(message)))
            << dialogs.Errors[0].toStdString();
        EXPECT_FALSE(dialogs.Errors[0].contains("terrain.bmp")) << dialogs.Errors[0].toStdString();
    }
}

// A set-up with anything that cannot be read changes nothing, so that a Save
// afterwards writes the earlier set-up whole; the message names the file,
// the line and the path as the file has it.
TEST_F(SaveLoadTest, AFaultySetUpChangesNothing) {
    WriteOneColour(Root("red.bmp"), 2, 2, MakeColour(255, 0, 0));
    test::WriteBytes(Root("broken.png"), "not a picture");
    std::vector<std::string> lostHeightmap(6, "red.bmp");
    lostHeightmap[5] = "nothere.bmp";
    struct Case {
        const char* Name;
        std::vector<std::string> Lines;
        std::vector<const char*> MessageParts;
    };
    const Case cases[] = {
        {"missing tile",
         {"red.bmp", "red.bmp", "missing.bmp", "red.bmp", "red.bmp", "red.bmp", "x", "x", "x", "x", "x"},
         // The framework's German text stays in the window (the command line words it in English).
         {"line 3: ", "missing.bmp: Datei nicht gefunden"}},
        {"unreadable tile", {"red.bmp", "broken.png", "red.bmp", "red.bmp", "red.bmp", "red.bmp"},
         {"line 2: ", "broken.png"}},
        {"missing heightmap", lostHeightmap, {"line 6: neither nothere.bmp nor terrain.bmp exists"}},
        {"cut short", {"red.bmp", "red.bmp", "red.bmp"},
         {"line 4 is empty", "line 5 is empty", "line 6 is empty"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto form = MakeSampleForm();
        const QImage shown = form->Image1->Shown();
        WriteLines("broken.txt", c.Lines);
        Load(*form, "broken.txt");
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        EXPECT_TRUE(dialogs.Errors[0].startsWith(QString::fromStdString(Root("broken.txt") + ": line ")))
            << dialogs.Errors[0].toStdString();
        for (const char* part : c.MessageParts) {
            EXPECT_TRUE(dialogs.Errors[0].contains(part)) << dialogs.Errors[0].toStdString();
        }
        dialogs.Errors.clear();

        const AppState& state = form->State();
        for (int i = 0; i < kTileCount; ++i) {
            EXPECT_EQ(state.TileFiles[i], "tile" + std::to_string(i) + ".bmp");
            EXPECT_EQ(state.TileBitmaps[i]->Width(), 8);
        }
        EXPECT_EQ(state.HeightmapFile, "hills.bmp");
        EXPECT_EQ(BandTexts(*form), QStringList({"256", "192", "128", "64", "0"}));
        EXPECT_EQ(form->Image1->Shown(), shown);
        EXPECT_EQ(form->Image2->Shown().pixel(0, 0), qRgb(250, 250, 250));
        dialogs.Answers = {QString::fromStdString(Root("saved.txt"))};
        form->Button2->click();
        EXPECT_EQ(ReadBytes(Root("saved.txt")),
                  "tile0.bmp\r\ntile1.bmp\r\ntile2.bmp\r\ntile3.bmp\r\ntile4.bmp\r\nhills.bmp\r\n"
                  "256\r\n192\r\n128\r\n64\r\n0\r\n");
    }
}

// A picture that cannot be read leaves the choice as it was, so Save writes
// what the screen shows; a heightmap taken anew puts the status of the last
// texture away.
TEST_F(SaveLoadTest, ChoicesAreTakenOnlyWhenReadAndPutTheLastStatusAway) {
    std::ofstream(Root("broken.png")) << "not a picture";
    struct Case {
        const char* Name;
        std::function<void(TForm1&)> Choose;
        bool Taken;
    };
    const Case cases[] = {
        {"broken tile", [&](TForm1& form) { Drop(form.Image3, {QUrl::fromLocalFile(QString::fromStdString(Root("broken.png")))}); }, false},
        {"broken heightmap", [&](TForm1& form) { dialogs.Answers = {QString::fromStdString(Root("broken.png"))}; emit form.Image1->Clicked(); }, false},
        {"heightmap", [&](TForm1& form) { dialogs.Answers = {QString::fromStdString(Root("tile1.bmp"))}; emit form.Image1->Clicked(); }, true},
        {"set-up", [&](TForm1& form) { Load(form, "default.txt"); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto form = MakeSampleForm();
        form->UseLighting->setChecked(false);
        Generate(*form);
        const QString saved = form->StaticText1->text();
        c.Choose(*form);
        ASSERT_EQ(dialogs.Errors.size(), c.Taken ? 0u : 1u);
        if (!c.Taken) EXPECT_TRUE(dialogs.Errors[0].contains("broken.png"));
        dialogs.Errors.clear();
        EXPECT_EQ(form->StaticText1->text(), c.Taken ? QString(TForm1::kNothingGenerated) : saved);
        dialogs.Answers = {QString::fromStdString(Root("saved.txt"))};
        form->Button2->click();
        if (!c.Taken) EXPECT_EQ(ReadBytes(Root("saved.txt")), ReadBytes(Root("default.txt")) + "256\r\n192\r\n128\r\n64\r\n0\r\n");
    }
}

// A picture given where a set-up belongs is called a picture.
TEST_F(SaveLoadTest, APictureLoadedAsASetUpIsNamedAsOne) {
    const auto form = MakeSampleForm();
    Load(*form, "hills.bmp");
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_EQ(dialogs.Errors[0], QString::fromStdString(Root("hills.bmp")) +
                                     ": is a BMP picture, not a set-up file");
    EXPECT_EQ(form->State().TileFiles[0], "tile0.bmp");
}

// Relative paths the current folder does not have are found beside the
// set-up file; Save then writes where they were found.
TEST_F(SaveLoadTest, PathsAreFoundBesideTheSetUpFile) {
    const auto form = MakeSampleForm();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Root("sets"))));
    WriteOneColour(Root("sets/blue.bmp"), 2, 2, MakeColour(0, 0, 255));
    WriteLines("sets/mine.txt", {"blue.bmp", "tile1.bmp", "tile2.bmp", "tile3.bmp", "tile4.bmp",
                                 "hills.bmp"});
    Load(*form, "sets/mine.txt");
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    EXPECT_EQ(form->State().TileFiles[0], Root("sets/blue.bmp"));
    EXPECT_EQ(form->State().TileFiles[1], "tile1.bmp");  // the current folder comes first
    EXPECT_EQ(form->Image2->Shown().pixel(0, 0), qRgb(0, 0, 255));
}

}  // namespace
}  // namespace orvalis::test
