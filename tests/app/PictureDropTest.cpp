#include <fstream>
#include <utility>
#include <vector>

#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include "FormFixture.h"
#include "app/Relight.h"
#include "io/PngFile.h"

namespace orvalis::test {
namespace {

using PictureDropTest = FormFixture;

// A file dropped on a picture box does what choosing it in the box's
// dialog does: the path, the picture shown, the tile read, the errors.
TEST_F(PictureDropTest, DroppingAFileIsChoosingItInTheDialog) {
    TDibBuffer tile;
    tile.Allocate(3, 2, 24);
    for (int column = 0; column < 3; ++column) {
        tile.WritePixel(0, column, MakeColour(10, 20, 30));
        tile.WritePixel(1, column, MakeColour(200, 100, 50));
    }
    WritePngFile(Root("tile.png"), tile);
    WritePngFile(Root("hills16.png"), {2, 2, 1}, std::vector<std::uint16_t>{0, 257, 514, 65535});
    std::ofstream(Root("broken.png")) << "not a picture";

    struct Case {
        const char* Name;
        PictureBox* TForm1::*Box;
        std::string File;
    };
    const Case cases[] = {{"heightmap", &TForm1::Image1, "hills16.png"},
                          {"tile 2", &TForm1::Image4, "tile.png"},
                          {"broken tile", &TForm1::Image6, "broken.png"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto chosen = MakeSampleForm();
        dialogs.Answers = {QString::fromStdString(Root(c.File))};
        emit ((*chosen).*c.Box)->Clicked();
        const std::vector<QString> chosenErrors = std::exchange(dialogs.Errors, {});

        const auto dropped = MakeSampleForm();
        Drop((*dropped).*c.Box, {QUrl::fromLocalFile(QString::fromStdString(Root(c.File)))});
        EXPECT_EQ(dialogs.Errors, chosenErrors);
        EXPECT_EQ(dropped->State().HeightmapFile, chosen->State().HeightmapFile);
        EXPECT_EQ(dropped->State().TileFiles, chosen->State().TileFiles);
        EXPECT_EQ(((*dropped).*c.Box)->Shown(), ((*chosen).*c.Box)->Shown());
        dialogs.Errors.clear();
    }
}

// The window's generation reads a heightmap of any format.
TEST_F(PictureDropTest, GenerateReadsTheDroppedSixteenBitHeightmap) {
    WritePngFile(Root("hills16.png"), {2, 2, 1}, std::vector<std::uint16_t>{0, 257, 514, 65535});
    const auto form = MakeSampleForm();
    Drop(form->Image1, {QUrl::fromLocalFile(QString::fromStdString(Root("hills16.png")))});
    Generate(*form);
    EXPECT_TRUE(dialogs.Errors.empty());
    EXPECT_EQ(form->State().OutputFile, "terrain_tex.bmp");
    // and so does the relight when the light moves
    form->LightDir->setValue(200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->Relighter->IsBusy(); }, 20000));
    ASSERT_NE(form->Relighter->Last(), nullptr);
    EXPECT_EQ(form->Relighter->Last()->Light.LightDir, 200);
}

TEST_F(PictureDropTest, SeveralFilesOrOtherDataAreIgnored) {
    const auto form = MakeSampleForm();
    const std::string heightmap = form->State().HeightmapFile;
    const auto tiles = form->State().TileFiles;
    const QUrl file = QUrl::fromLocalFile(QString::fromStdString(Root("tile0.bmp")));
    Drop(form->Image1, {file, file});
    Drop(form->Image2, {QUrl("https://example.com/tile.png")});
    EXPECT_EQ(form->State().HeightmapFile, heightmap);
    EXPECT_EQ(form->State().TileFiles, tiles);
    EXPECT_TRUE(dialogs.Errors.empty());
}

}  // namespace
}  // namespace orvalis::test
