#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include "FormFixture.h"
#include "generation/GenerateTexture.h"

namespace orvalis::test {
namespace {

class GenerateButtonTest : public FormFixture {
protected:
    QStringList ProgramFolderFiles() const {
        return QDir(ProgramFolder()).entryList(QDir::Files);
    }
};

TEST_F(GenerateButtonTest, MissingHeightmapIsReportedAndChangesNothing) {
    const auto form = MakeSampleForm();
    form->State().PreviewEnabled = true;
    form->State().SetHeightmapFile("nothere.bmp");
    Generate(*form);
    form->State().SetHeightmapFile("");
    Generate(*form);
    EXPECT_EQ(dialogs.Errors,
              std::vector<QString>({"Heightmap nothere.bmp doesn't exist!",
                                    "No heightmap chosen: click the big picture to choose one"}));
    EXPECT_EQ(form->StaticText1->text(), "No texture generated...");
    EXPECT_TRUE(form->State().PreviewEnabled);
    EXPECT_EQ(form->State().OutputFile, "");
    EXPECT_TRUE(ProgramFolderFiles().isEmpty());
}

TEST_F(GenerateButtonTest, WritesTheFirstFreeNameAndReportsIt) {
    const auto form = MakeSampleForm();
    for (const char* name : {"terrain_tex.bmp", "terrain_tex0.bmp", "terrain_tex2.bmp"}) {
        WriteOneColour(ProgramFile(name), 1, 1, MakeColour(1, 1, 1));
    }
    const std::string untouched = ReadBytes(ProgramFile("terrain_tex2.bmp"));
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();

    EXPECT_EQ(form->State().OutputFile, "terrain_tex1.bmp");
    EXPECT_TRUE(FileExists(ProgramFile("terrain_tex1.bmp")));
    EXPECT_TRUE(FileExists(ProgramFile("lm.bmp")));
    EXPECT_EQ(ReadBytes(ProgramFile("terrain_tex2.bmp")), untouched);
    EXPECT_TRUE(QRegularExpression("^terrain_tex1\\.bmp saved \\(\\d+ms\\)$")
                    .match(form->StaticText1->text())
                    .hasMatch())
        << form->StaticText1->text().toStdString();
    EXPECT_EQ(form->ProgressBar1->maximum(), 65536);
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_EQ(QDir::current(), QDir(QString::fromStdString(Root(""))));
}

TEST_F(GenerateButtonTest, HardwareLimitDecidesWhetherThePreviewMayShowIt) {
    const auto form = MakeSampleForm();
    form->UseLighting->setChecked(false);
    form->State().MaxTextureSize = 128;
    Generate(*form);
    EXPECT_EQ(form->TexInfo->text(), "Textur größer als Hardwarelimit! Keine Vorschau!");
    EXPECT_FALSE(form->State().PreviewEnabled);

    form->State().MaxTextureSize = 256;
    Generate(*form);
    EXPECT_EQ(form->TexInfo->text(), "");
    EXPECT_TRUE(form->State().PreviewEnabled);
    EXPECT_FALSE(FileExists(ProgramFile("lm.bmp")));
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(GenerateButtonTest, WritesTheSameFilesAsTheCoreGeneration) {
    const auto form = MakeSampleForm();
    emit form->StaticText2->Clicked();
    form->SunPos->setValue(120);
    form->LightDir->setValue(30);
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();

    std::array<TDibBuffer, kTileCount> tiles;
    GenerateSettings settings;
    settings.HeightmapFile = Root("hills.bmp");
    for (int i = 0; i < kTileCount; ++i) {
        tiles[i].ReadBmpFile(Root("tile" + std::to_string(i) + ".bmp"));
        settings.Tiles[i] = &tiles[i];
    }
    settings.TextureSize = 512;
    settings.Light = LightSettings{30, 120};
    settings.Run.Threads = 1;
    TDibBuffer lightmap;
    GenerateTexture(settings, Root("expected_tex.bmp"), Root("expected_lm.bmp"), lightmap);

    EXPECT_TRUE(ReadBytes(ProgramFile("terrain_tex.bmp")) == ReadBytes(Root("expected_tex.bmp")));
    EXPECT_TRUE(ReadBytes(ProgramFile("lm.bmp")) == ReadBytes(Root("expected_lm.bmp")));
    EXPECT_EQ(form->Image1->Shown().size(), QSize(256, 256));
}

TEST_F(GenerateButtonTest, TileWithoutPictureIsNamedAndNothingIsWritten) {
    WriteSampleSetUp();
    const auto form = MakeForm();  // no "default.txt": empty tile pictures
    dialogs.Answers = {QString::fromStdString(Root("hills.bmp"))};
    emit form->Image1->Clicked();
    Generate(*form);
    ASSERT_EQ(dialogs.Errors.size(), 2u);
    EXPECT_TRUE(dialogs.Errors[1].contains("tile", Qt::CaseInsensitive))
        << dialogs.Errors[1].toStdString();
    EXPECT_TRUE(ProgramFolderFiles().isEmpty());
    EXPECT_EQ(form->StaticText1->text(), "No texture generated...");
}

TEST_F(GenerateButtonTest, ProgramFolderThatCannotBeWrittenIsNamed) {
    WriteSampleSetUp();
    WriteLines("default.txt", kSampleLines);
    const std::string missingFolder = Root("no/such/folder");
    const auto form = MakeForm(QString::fromStdString(missingFolder));
    Generate(*form);
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_TRUE(dialogs.Errors[0].contains(QString::fromStdString(missingFolder)));
    EXPECT_FALSE(FileExists(Root("terrain_tex.bmp")));
    EXPECT_EQ(form->StaticText1->text(), "No texture generated...");
}

// The heightmap named relative in "default.txt" stays the one read at
// start-up when the current folder changes; Save still writes the text.
TEST_F(GenerateButtonTest, RelativePathsStayAsResolvedWhenTheCurrentFolderChanges) {
    const auto form = MakeSampleForm();
    form->UseLighting->setChecked(false);
    ASSERT_TRUE(QDir::setCurrent(ProgramFolder()));
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    EXPECT_TRUE(FileExists(ProgramFile("terrain_tex.bmp")));
    dialogs.Answers = {QString::fromStdString(Root("saved.txt"))};
    form->Button2->click();
    EXPECT_NE(ReadBytes(Root("saved.txt")).find("\r\nhills.bmp\r\n"), std::string::npos);
}

// A run shows its phase in the status line from the click on, never the
// message of the run before, and its bar only moves forward.
TEST_F(GenerateButtonTest, ARunShowsItsPhaseAndOneBarThatOnlyMovesForward) {
    const auto form = MakeSampleForm();
    emit form->StaticText2->Clicked();
    Generate(*form);
    const QString previous = form->StaticText1->text();
    ASSERT_TRUE(previous.startsWith("terrain_tex.bmp saved"));

    std::vector<int> values;
    QObject::connect(form->ProgressBar1, &QProgressBar::valueChanged, form.get(), [&](int value) {
        if (form->IsGenerating()) values.push_back(value);
    });
    const QStringList phases = {"Reading...", "Blending...", "Lighting...", "Writing..."};
    QStringList seen;
    form->Button3->click();
    EXPECT_EQ(form->StaticText1->text(), "Reading...");
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (form->IsGenerating() && seen.value(seen.size() - 1) != form->StaticText1->text()) {
                seen.append(form->StaticText1->text());
            }
            return !form->IsGenerating();
        },
        60000));
    for (const QString& text : seen) EXPECT_TRUE(phases.contains(text)) << text.toStdString();
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    ASSERT_FALSE(values.empty());
    EXPECT_LT(values.back(), form->ProgressBar1->maximum());
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_TRUE(form->StaticText1->text().startsWith("terrain_tex0.bmp saved"));
}

// A run that fails gives the status line back as it was.
TEST_F(GenerateButtonTest, AFailedRunLeavesTheStatusAsItWas) {
    const auto form = MakeSampleForm();
    test::WriteBytes(Root("hills.bmp"), "BM but no picture");
    form->Button3->click();
    WaitForGeneration(*form);
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_EQ(form->StaticText1->text(), "No texture generated...");
}

// While a run works, only the Cancel button and Esc reach the window; either
// stops it, and the run leaves nothing behind.
TEST_F(GenerateButtonTest, CancelStopsTheRunAndLeavesNothing) {
    auto form = MakeSampleForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    WriteOneColour(ProgramFile("lm.bmp"), 1, 1, MakeColour(1, 2, 3));
    const std::string earlierLightmap = ReadBytes(ProgramFile("lm.bmp"));
    const QImage heightmapShown = form->Image1->Shown();
    for (int i = 0; i < 4; ++i) emit form->StaticText2->Clicked();  // 4096
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "Esc" : "Cancel button");
        form->Button3->click();
        ASSERT_TRUE(form->IsGenerating());
        EXPECT_EQ(form->Button3->text(), "Cancel");
        dialogs.Answers = {QString::fromStdString(Root("other.txt"))};
        QTest::mouseClick(form->Button1, Qt::LeftButton);  // "Load" is blocked
        EXPECT_EQ(dialogs.Answers.size(), 1u);
        const auto tiles = form->State().TileFiles;  // and so is a tile dropped on its box
        Drop(form->Image2, {QUrl::fromLocalFile(QString::fromStdString(Root("tile4.bmp")))});
        EXPECT_EQ(form->State().TileFiles, tiles);
        if (byEscape) {
            QTest::keyClick(form.get(), Qt::Key_Escape);
        } else {
            QTest::mouseClick(form->Button3, Qt::LeftButton);
        }
        WaitForGeneration(*form);
        EXPECT_TRUE(dialogs.Errors.empty());
        EXPECT_EQ(form->StaticText1->text(), "Generation cancelled, nothing saved");
        EXPECT_EQ(form->Button3->text(), "&Generate");
        EXPECT_EQ(form->ProgressBar1->value(), 0);
        EXPECT_EQ(form->Image1->Shown(), heightmapShown);
        EXPECT_EQ(form->State().OutputFile, "");
        EXPECT_EQ(ProgramFolderFiles(), QStringList{"lm.bmp"});
        EXPECT_EQ(ReadBytes(ProgramFile("lm.bmp")), earlierLightmap);
    }
    // Closing the window stops a run as well.
    form->Button3->click();
    form.reset();
    EXPECT_EQ(ProgramFolderFiles(), QStringList{"lm.bmp"});
}

}  // namespace
}  // namespace orvalis::test
