// The Preview page's controls; none of these needs GL.
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <optional>

#include "FormFixture.h"
#include "app/PreviewRelief.h"

namespace orvalis::test {
namespace {

class PreviewPageTest : public FormFixture {};

void SendWheel(QObject* receiver, int delta) {
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(receiver, &wheel);
}

// A terrain lit at its real scale stands at its true height: its heights
// (in the height range's units, times the z-factor) over its ground's longer
// side, 32 world units; the classic light keeps its own.
TEST_F(PreviewPageTest, ARealScaleTerrainStandsAtItsTrueHeight) {
    WriteSampleSetUp();  // hills.bmp: 24 x 20 cells of 1
    ExportSettings settings;
    EXPECT_EQ(TrueUnitsPerLevel(Root("hills.bmp"), settings), std::nullopt);
    settings.RealScale = true;
    settings.ZFactor = 2.5;
    settings.Range = HeightRange{-10, 500};  // 2 a level
    EXPECT_DOUBLE_EQ(TrueUnitsPerLevel(Root("hills.bmp"), settings).value(), 2 * 2.5 * 32 / 24);
}

TEST_F(PreviewPageTest, RotationTakes1441TicksAndShows360ForOne) {
    const auto form = MakeSampleForm();
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 20);
    EXPECT_EQ(form->FPSTimer->interval(), 1000);
    for (int tick = 0; tick < 1440; ++tick) form->Timer1Timer();
    EXPECT_EQ(form->State().RotationAngle, 360.0f);
    form->Timer1Timer();
    EXPECT_EQ(form->State().RotationAngle, 0.0f);
}

TEST_F(PreviewPageTest, WheelOnTheWindowOrThePanelZoomsWithinItsBounds) {
    const auto form = MakeSampleForm();
    AppState& state = form->State();
    SendWheel(form->windowHandle(), -120);
    EXPECT_FLOAT_EQ(state.ZoomFactor, 1.05f);
    SendWheel(form->Panel1, 120);
    EXPECT_FLOAT_EQ(state.ZoomFactor, 1.0f);

    state.ZoomFactor = 1.0f;
    for (int step = 0; step < 18; ++step) form->FormMouseWheelUp();
    EXPECT_LT(state.ZoomFactor, 0.1f);
    EXPECT_NEAR(state.ZoomFactor, 0.0999998f, 1e-6f);
    form->FormMouseWheelUp();
    EXPECT_NEAR(state.ZoomFactor, 0.0999998f, 1e-6f);

    state.ZoomFactor = 1.0f;
    for (int step = 0; step < 21; ++step) form->FormMouseWheelDown();
    EXPECT_NEAR(state.ZoomFactor, 2.05f, 1e-5f);
    form->FormMouseWheelDown();
    EXPECT_NEAR(state.ZoomFactor, 2.05f, 1e-5f);
}

TEST_F(PreviewPageTest, ResolutionSwitchRebuildsTheMeshEvenWithoutATexture) {
    const auto form = MakeSampleForm();
    ASSERT_FALSE(form->State().PreviewEnabled);
    for (const int resolution : {160, 192, 224, 256, 32, 64, 96, 128}) {
        emit form->StaticText4->Clicked();
        EXPECT_EQ(form->StaticText4->text(), "Resolution : " + QString::number(resolution));
        EXPECT_EQ(form->State().PreviewMesh.Vertices.size(),
                  4u * (resolution - 1) * (resolution - 1));
    }
    EXPECT_EQ(form->State().PreviewMesh.Vertices.size(), 64516u);

    form->State().SetHeightmapFile("gone.bmp");
    emit form->StaticText4->Clicked();
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_TRUE(dialogs.Errors[0].contains("gone.bmp")) << dialogs.Errors[0].toStdString();
    EXPECT_EQ(form->StaticText4->text(), "Resolution : 160");
    EXPECT_TRUE(form->State().PreviewMesh.Vertices.empty());
}

// A run started while the Preview page is shown builds its mesh at once,
// without the page being left and shown again.
TEST_F(PreviewPageTest, GenerateFromThePreviewPageShowsTheNewTerrain) {
    const auto form = MakeSampleForm();
    form->State().MaxTextureSize = 4096;  // as a GL context would report
    form->PageControl->setCurrentIndex(TForm1::kPreviewPage);
    EXPECT_TRUE(form->State().PreviewMesh.Vertices.empty());
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    EXPECT_TRUE(form->State().PreviewEnabled);
    EXPECT_EQ(form->State().PreviewMesh.Vertices.size(), 64516u);
}

// Run where the platform has no GL: the message is checked by the fixture.
TEST_F(PreviewPageTest, WithoutGlTheSetUpIsLoadedAndThePreviewStaysOff) {
    const auto form = MakeSampleForm();
    if (form->Panel1->HasGl()) GTEST_SKIP() << "this platform gives GL contexts";
    EXPECT_EQ(form->State().MaxTextureSize, 0);
    EXPECT_TRUE(form->Panel1Container->isHidden());  // the black behind it shows
    EXPECT_EQ(form->State().TileFiles[4], "tile4.bmp");
    EXPECT_EQ(form->State().TileBitmaps[4]->Width(), 8);

    form->State().SetHeightmapFile(Root("hills.bmp"));
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    EXPECT_EQ(form->TexInfo->text(), "Textur größer als Hardwarelimit! Keine Vorschau!");
    form->PageControl->setCurrentIndex(TForm1::kPreviewPage);
    form->ApplicationEvents1Idle();
    EXPECT_TRUE(form->State().PreviewMesh.Vertices.empty());
    EXPECT_EQ(form->StaticText3->text(), "");
    EXPECT_EQ(form->State().FrameCounter, 0);
    EXPECT_TRUE(dialogs.Errors.empty());
}

}  // namespace
}  // namespace orvalis::test
