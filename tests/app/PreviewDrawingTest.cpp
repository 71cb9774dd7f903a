// The Preview page drawing on a real display: CTest runs these on xcb with
// Mesa's software renderer, which keeps the back buffer through a swap. So
// the frame the window's handler has just shown is read back from there, not
// from the screen, where the windows of tests running beside these may lie
// over it.
#include <GL/gl.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <vector>

#include "FormFixture.h"
#include "app/Relight.h"
#include "raster/DibBuffer.h"

namespace orvalis::test {
namespace {

class PreviewDrawingTest : public FormFixture {
protected:
    // Five tiles of one colour make a texture of that colour. The paths are
    // absolute, as Generate makes the program's folder current.
    void WriteUniformSetUp(const std::string& name, PixelColour colour) const {
        std::vector<std::string> lines;
        for (int i = 0; i < kTileCount; ++i) {
            lines.push_back(Root(name + std::to_string(i) + ".bmp"));
            WriteOneColour(lines.back(), 8, 8, colour);
        }
        lines.push_back(Root("hills.bmp"));
        WriteLines(name + ".txt", lines);
    }

    std::unique_ptr<TForm1> ShowWindow(PixelColour tileColour) {
        WriteGreyRamp(Root("hills.bmp"), 24, 20);
        WriteUniformSetUp("default", tileColour);
        auto form = MakeForm();
        EXPECT_TRUE(dialogs.Errors.empty());
        form->UseLighting->setChecked(false);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    void Generate(TForm1& form) {
        form.PageControl->setCurrentIndex(0);
        FormFixture::Generate(form);
        ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
        ASSERT_TRUE(form.State().PreviewEnabled);
    }

    static void EnterPreview(TForm1& form) {
        form.PageControl->setCurrentIndex(TForm1::kPreviewPage);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.Panel1->isExposed(); }, 60000));
    }

    // One frame by the window's handler, as the panel shows it.
    static QImage DrawFrame(TForm1& form) {
        form.ApplicationEvents1Idle();
        QImage frame(TPreviewSurface::kWidth, TPreviewSurface::kHeight, QImage::Format_RGB888);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, frame.width(), frame.height(), GL_RGB, GL_UNSIGNED_BYTE, frame.bits());
        return frame.mirrored();  // GL's rows run bottom up
    }

    static QRgb Middle(const QImage& frame) {
        return frame.pixel(frame.width() / 2, frame.height() / 2);
    }

    QRgb TextureColour(const TForm1& form) const {
        TDibBuffer texture;
        texture.ReadBmpFile(ProgramFile(form.State().OutputFile));
        const PixelColour colour = texture.ReadPixel(0, 0);
        return qRgb(colour.Red, colour.Green, colour.Blue);
    }
};

TEST_F(PreviewDrawingTest, ShowsTheLastGeneratedTextureOnTheMesh) {
    const auto form = ShowWindow(MakeColour(230, 40, 10));
    EXPECT_GT(form->State().MaxTextureSize, 0);
    Generate(*form);
    form->PageControl->setCurrentIndex(TForm1::kPreviewPage);
    form->ApplicationEvents1Idle();
    EXPECT_EQ(form->StaticText3->text(), "64516 Vertices / 0 fps");

    EnterPreview(*form);
    const QImage red = DrawFrame(*form);
    EXPECT_EQ(Middle(red), TextureColour(*form));
    EXPECT_EQ(red.pixel(0, 239), qRgb(0, 0, 0));  // beside the mesh

    WriteUniformSetUp("blue", MakeColour(20, 90, 250));
    Load(*form, "blue.txt");
    Generate(*form);
    EnterPreview(*form);
    const QRgb blue = Middle(DrawFrame(*form));
    EXPECT_EQ(blue, TextureColour(*form));
    EXPECT_NE(blue, Middle(red));
}

TEST_F(PreviewDrawingTest, FramesFlowOnlyWhileThePageIsShown) {
    const auto form = ShowWindow(MakeColour(200, 200, 200));
    // The rate timer would reset the frame count at moments the test cannot
    // choose, however slowly the machine draws; its handler runs by hand below.
    form->FPSTimer->stop();
    Generate(*form);
    AppState& state = form->State();
    EnterPreview(*form);
    // Frames follow each other, and the rotation timer still gets its turn.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return state.FrameCounter >= 3 && state.RotationAngle > 0; }, 60000));

    form->FPSTimerTimer();
    const int rate = static_cast<int>(state.FramesPerSecond);
    EXPECT_GE(rate, 3);
    EXPECT_EQ(state.FrameCounter, 0);
    DrawFrame(*form);
    EXPECT_EQ(form->StaticText3->text(), "64516 Vertices / " + QString::number(rate) + " fps");

    form->PageControl->setCurrentIndex(0);
    const int drawn = state.FrameCounter;
    QTest::qWait(100);
    form->ApplicationEvents1Idle();
    EXPECT_EQ(state.FrameCounter, drawn);
    EXPECT_FALSE(form->IdleTimer->isActive());
}

TEST_F(PreviewDrawingTest, GenerateFromThePreviewPageDrawsTheNewTexture) {
    const auto form = ShowWindow(MakeColour(230, 40, 10));
    EnterPreview(*form);
    FormFixture::Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    ASSERT_EQ(form->PageControl->currentIndex(), TForm1::kPreviewPage);
    EXPECT_EQ(Middle(DrawFrame(*form)), TextureColour(*form));
    EXPECT_EQ(form->StaticText3->text().left(15), "64516 Vertices ");
}

TEST_F(PreviewDrawingTest, ResolutionSwitchKeepsTheTexture) {
    const auto form = ShowWindow(MakeColour(40, 160, 30));
    Generate(*form);
    EnterPreview(*form);
    const std::uint32_t texture = form->State().PreviewMesh.TextureId;
    emit form->StaticText4->Clicked();
    const auto frame = DrawFrame(*form);
    EXPECT_TRUE(form->StaticText3->text().startsWith("101124 Vertices / "));
    EXPECT_EQ(form->State().PreviewMesh.TextureId, texture);
    EXPECT_EQ(Middle(frame), TextureColour(*form));
}

// A texture relit on the Lighting page replaces the saved one in the preview.
// The terrain is flat, so each light gives a texture of one colour.
TEST_F(PreviewDrawingTest, ShowsTheRelitTextureOnceTheLightMoves) {
    const auto form = ShowWindow(MakeColour(200, 200, 200));
    WriteOneColour(Root("hills.bmp"), 24, 20, MakeColour(128, 128, 128));
    form->UseLighting->setChecked(true);
    Generate(*form);
    const QRgb saved = TextureColour(*form);
    form->SunPos->setValue(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->Relighter->IsBusy(); }, 20000));
    ASSERT_NE(form->Relighter->Last(), nullptr);
    const PixelColour relit = form->Relighter->Last()->Texture.ReadPixel(128, 128);
    EXPECT_NE(qRgb(relit.Red, relit.Green, relit.Blue), saved);
    EnterPreview(*form);
    EXPECT_EQ(Middle(DrawFrame(*form)), qRgb(relit.Red, relit.Green, relit.Blue));
}

TEST_F(PreviewDrawingTest, UnreadableFilesAreReportedAndFramesGoOn) {
    const auto form = ShowWindow(MakeColour(40, 160, 30));
    Generate(*form);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(ProgramFile("terrain_tex.bmp"))));
    EnterPreview(*form);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].first, "BMP Unit");
    EXPECT_EQ(dialogs.Messages[0].second, "Error opening terrain_tex.bmp");
    // Drawn without a texture, in the default white.
    EXPECT_EQ(Middle(DrawFrame(*form)), qRgb(255, 255, 255));

    form->PageControl->setCurrentIndex(0);
    form->State().SetHeightmapFile(Root("gone.bmp"));
    EnterPreview(*form);
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_TRUE(dialogs.Errors[0].contains("gone.bmp")) << dialogs.Errors[0].toStdString();
    EXPECT_EQ(dialogs.Messages.size(), 1u);  // the texture was not tried again
    const auto frame = DrawFrame(*form);
    EXPECT_EQ(form->StaticText3->text().left(13), "0 Vertices / ");
    EXPECT_EQ(Middle(frame), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace orvalis::test
