#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>

#include "FormFixture.h"

namespace orvalis::test {
namespace {

class WindowTest : public FormFixture {};

TEST_F(WindowTest, StartUpLoadsDefaultSetUp) {
    WriteSampleSetUp();
    std::vector<std::string> lines = kSampleLines;
    lines.insert(lines.end(), {"10", "20", "30", "40", "50"});
    WriteLines("default.txt", lines);
    const auto form = MakeForm();
    EXPECT_TRUE(dialogs.Errors.empty());
    const AppState& state = form->State();
    EXPECT_EQ(state.TextureSize, 256);
    EXPECT_EQ(state.PreviewResolution, 128);
    EXPECT_EQ(state.ZoomFactor, 1.0f);
    EXPECT_FALSE(state.PreviewEnabled);
    EXPECT_EQ(state.HeightmapFile, "hills.bmp");
    EXPECT_EQ(state.TileFiles[4], "tile4.bmp");
    EXPECT_EQ(state.TileBitmaps[2]->Width(), 8);
    EXPECT_EQ(form->StaticText2->text(), "256^2");
    EXPECT_EQ(form->H2Start->text(), "30");
    EXPECT_EQ(form->H2End->text(), "192");
    EXPECT_EQ(form->Image4->Shown().pixel(10, 10), qRgb(40, 160, 30));
    EXPECT_EQ(form->Image1->Shown().size(), QSize(256, 256));
}

TEST_F(WindowTest, StartUpWithoutDefaultFileGoesOnWithEmptyTiles) {
    const auto form = MakeForm();
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_TRUE(dialogs.Errors[0].contains("default.txt"));
    EXPECT_EQ(form->State().TextureSize, 256);
    for (const auto& tile : form->State().TileBitmaps) {
        ASSERT_NE(tile, nullptr);
        EXPECT_TRUE(tile->IsEmpty());
    }

    WriteSampleSetUp();
    dialogs.Answers = {QString::fromStdString(Root("tile3.bmp"))};
    emit form->Image5->Clicked();
    EXPECT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_EQ(form->State().TileFiles[3], Root("tile3.bmp"));
    EXPECT_EQ(form->Image5->Shown().pixel(0, 0), qRgb(220, 200, 120));
}

TEST_F(WindowTest, UnreadableTileKeepsItsPictureButTakesThePath) {
    const auto form = MakeSampleForm();
    dialogs.Answers = {QString::fromStdString(Root("missing.bmp"))};
    emit form->Image3->Clicked();
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_TRUE(dialogs.Errors[0].contains("missing.bmp"));
    EXPECT_EQ(form->State().TileFiles[1], Root("missing.bmp"));
    EXPECT_EQ(form->State().TileBitmaps[1]->Width(), 8);
    EXPECT_EQ(form->Image3->Shown().pixel(0, 0), qRgb(120, 110, 100));
}

TEST_F(WindowTest, SizeLabelCyclesBackAfterFiveClicks) {
    const auto form = MakeSampleForm();
    const QStringList expected = {"512^2", "1024^2", "2048^2", "4096^2", "256^2"};
    for (const QString& caption : expected) {
        emit form->StaticText2->Clicked();
        EXPECT_EQ(form->StaticText2->text(), caption);
        EXPECT_EQ(QString::number(form->State().TextureSize) + "^2", caption);
    }
}

TEST_F(WindowTest, ScrollbarLabelsShowPositionsInTheUsersLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German));
    const auto form = MakeSampleForm();
    EXPECT_EQ(form->Label6->text(), "0,5");
    EXPECT_EQ(form->Label7->text(), "90°");
    const std::pair<int, const char*> sunTexts[] = {
        {0, "0,000"}, {5, "0,050"}, {50, "0,500"}, {123, "1,230"}, {400, "4,000"}};
    for (const auto& [position, text] : sunTexts) {
        form->SunPos->setValue(position);
        EXPECT_EQ(form->Label6->text(), text);
    }
    for (const int position : {0, 90, 360}) {
        form->LightDir->setValue(position);
        EXPECT_EQ(form->Label7->text(), QString::number(position));
    }
    QLocale::setDefault(previous);
}

}  // namespace
}  // namespace orvalis::test
