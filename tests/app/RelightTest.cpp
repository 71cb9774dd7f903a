#include <cmath>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "FormFixture.h"
#include "app/Relight.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"
#include "common/TestPictures.h"

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

    // The mean of |a - b| over every channel of two pictures of one size.
    static double MeanDifference(const QImage& a, const QImage& b) {
        double sum = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                       std::abs(qBlue(p) - qBlue(q));
            }
        }
        return sum / (3.0 * a.width() * a.height());
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
    // The Lighting page shows it beside its scrollbars.
    EXPECT_EQ(form->LiveView->Picture(), form->Relighter->Last()->Picture);

    form->LightDir->setValue(30);
    form->SunPos->setValue(120);
    WaitForRelight(*form);
    const RelitTexture& relit = *form->Relighter->Last();
    EXPECT_EQ(relit.Light.LightDir, 30);
    EXPECT_EQ(PixelBytes(relit.Texture), PixelBytes(saved));
    EXPECT_EQ(form->Image1->Shown(),
              relit.Picture.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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

// The status line says when the picture shown is a relight that is not saved.
TEST_F(RelightTest, StatusSaysWhetherThePictureShownIsSaved) {
    const auto form = MakeSampleForm();
    Generate(*form);
    const QString saved = form->StaticText1->text();
    ASSERT_TRUE(saved.startsWith("terrain_tex.bmp saved (")) << saved.toStdString();
    struct Case {
        int LightDir;
        QString Status;
    };
    const Case cases[] = {{200, "Relit on screen only, not saved"}, {90, saved}};
    for (const Case& c : cases) {
        form->LightDir->setValue(c.LightDir);
        WaitForRelight(*form);
        EXPECT_EQ(form->StaticText1->text(), c.Status);
    }
    form->UseLighting->setChecked(false);
    Generate(*form);
    form->UseLighting->setChecked(true);
    form->LightDir->setValue(100);  // lights the unlit texture: not what was saved
    WaitForRelight(*form);
    EXPECT_EQ(form->StaticText1->text(), "Relit on screen only, not saved");
}

// A large texture is relit first at the picture box's size, then whole; a
// small one only whole. The quick picture looks like the whole one.
TEST_F(RelightTest, ALargeTextureIsRelitAtThePictureSizeFirst) {
    struct Case {
        int SizeClicks;  // from 256
        int HeightmapEdge;
        std::vector<std::string> Expected;
    };
    const Case cases[] = {
        {2, 512, {"quick", "whole"}}, {0, 128, {"whole"}}, {0, 512, {"quick", "whole"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.SizeClicks) + " clicks, heightmap " +
                     std::to_string(c.HeightmapEdge));
        const auto form = MakeSampleForm();
        const int edge = c.HeightmapEdge;
        MakePicture(edge, edge, [edge](int row, int column) {
            const double x = 6.0 * column / edge, y = 6.0 * row / edge;
            return Grey(static_cast<std::uint8_t>(128 + 100 * std::sin(x) * std::cos(y)));
        }).WriteBmpFile(Root("hills.bmp"));
        for (int i = 0; i < c.SizeClicks; ++i) emit form->StaticText2->Clicked();
        Generate(*form);
        ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
        form->PageControl->setCurrentIndex(1);
        WaitForRelight(*form);
        const QImage saved = form->Image1->Shown();

        std::vector<std::string> events;
        QImage quick;
        QObject::connect(form->Relighter, &TRelight::QuickRelit, form.get(),
                         [&](const QImage& picture, const LightSettings&) {
                             events.push_back("quick");
                             quick = picture;
                             EXPECT_EQ(form->Image1->Shown(), picture);
                         });
        QObject::connect(form->Relighter, &TRelight::Relit, form.get(),
                         [&](const RelitTexture&) { events.push_back("whole"); });
        form->LightDir->setValue(200);
        WaitForRelight(*form);
        EXPECT_EQ(events, c.Expected);
        ASSERT_NE(form->Relighter->Last(), nullptr);
        const QImage whole = form->Relighter->Last()->Picture.scaled(
            256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_EQ(form->Image1->Shown(), whole);
        if (quick.isNull()) continue;
        ASSERT_EQ(quick.size(), QSize(256, 256));
        // Far nearer the whole relight than the saved light's texture or the
        // whole relight upside down.
        const double difference = MeanDifference(quick, whole);
        EXPECT_LT(3 * difference, MeanDifference(quick, saved));
        EXPECT_LT(3 * difference, MeanDifference(quick, whole.mirrored()));
        EXPECT_EQ(form->StaticText1->text(), "Relit on screen only, not saved");
    }
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
