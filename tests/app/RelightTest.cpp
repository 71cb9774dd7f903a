#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "FormFixture.h"
#include "app/Relight.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"

namespace orvalis::test {
namespace {

class RelightTest : public FormFixture {
protected:
    static void WaitForRelight(TForm1& form) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Relighter->IsBusy(); }, 20000));
    }

    static std::string PixelBytes(const TDibBuffer& picture) {
        return {reinterpret_cast<const char*>(picture.PixelData()), picture.PixelBytes()};
    }
};

// Moving the scrollbars away and back gives the bytes Generate saved for that
// light, on screen and for the preview, and no file is written meanwhile.
TEST_F(RelightTest, ScrollbarsRelightTheLastTextureInMemoryOnly) {
    const auto form = MakeSampleForm();
    emit form->StaticText2->Clicked();
    form->SunPos->setValue(120);
    form->LightDir->setValue(30);
    EXPECT_EQ(form->Relighter->Last(), nullptr);
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    const QStringList filesAfterGenerate = QDir(ProgramFolder()).entryList(QDir::Files);
    TDibBuffer saved;
    saved.ReadBmpFile(ProgramFile(form->State().OutputFile));
    form->PageControl->setCurrentIndex(1);  // gets the terrain ready, shows nothing yet
    WaitForRelight(*form);
    EXPECT_EQ(form->Relighter->Last(), nullptr);

    form->LightDir->setValue(200);  // several moves while one is worked on
    form->SunPos->setValue(300);
    form->SunPos->setValue(10);
    WaitForRelight(*form);
    ASSERT_NE(form->Relighter->Last(), nullptr);
    EXPECT_EQ(form->Relighter->Last()->Light.SunPos, 10);
    EXPECT_NE(PixelBytes(form->Relighter->Last()->Texture), PixelBytes(saved));

    form->LightDir->setValue(30);
    form->SunPos->setValue(120);
    WaitForRelight(*form);
    const RelitTexture& relit = *form->Relighter->Last();
    EXPECT_EQ(relit.Light.LightDir, 30);
    EXPECT_EQ(PixelBytes(relit.Texture), PixelBytes(saved));
    EXPECT_EQ(form->Image1->Shown(), relit.Picture.scaled(256, 256));
    EXPECT_EQ(QDir(ProgramFolder()).entryList(QDir::Files), filesAfterGenerate);
}

// The relight reads the heightmap as the generation does, whatever its
// format: a 16-bit PNG one is relit to the bytes Generate saved.
TEST_F(RelightTest, RelightsAHeightmapOfAnyFormat) {
    WriteSampleSetUp();
    const TDibBuffer hills = ReadPictureFile(Root("hills.bmp")).Pixels;
    std::vector<std::uint16_t> words;  // top row first
    for (std::int32_t y = 0; y < hills.RowCount(); ++y) {
        for (std::int32_t x = 0; x < hills.Width(); ++x) {
            // Detail finer than 8 bits, which only the heights at full precision keep.
            const int level = hills.ReadPixel(hills.BufferRow(y), x).Red;
            words.push_back(static_cast<std::uint16_t>(256 * level + (31 * y + 17 * x) % 256));
        }
    }
    WritePngFile(Root("hills16.png"), {hills.Width(), hills.RowCount(), 1}, words);
    std::vector<std::string> lines = kSampleLines;
    lines[5] = "hills16.png";
    WriteLines("default.txt", lines);
    const auto form = MakeForm();
    form->SunPos->setValue(120);
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    TDibBuffer saved;
    saved.ReadBmpFile(ProgramFile(form->State().OutputFile));

    form->PageControl->setCurrentIndex(1);
    form->SunPos->setValue(10);
    WaitForRelight(*form);
    form->SunPos->setValue(120);
    WaitForRelight(*form);
    ASSERT_NE(form->Relighter->Last(), nullptr);
    EXPECT_EQ(form->Relighter->Last()->Light.SunPos, 120);
    EXPECT_EQ(PixelBytes(form->Relighter->Last()->Texture), PixelBytes(saved));
}

TEST_F(RelightTest, NothingIsRelitOnceTheInputsChange) {
    const auto form = MakeSampleForm();
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty());
    emit form->StaticText2->Clicked();  // another size: the blend in memory no longer fits
    form->SunPos->setValue(200);
    EXPECT_FALSE(form->Relighter->IsBusy());
    EXPECT_EQ(form->Relighter->Last(), nullptr);
}

}  // namespace
}  // namespace orvalis::test
