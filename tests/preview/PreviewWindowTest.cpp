#include <GL/gl.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QTest>
#include <QWheelEvent>

#include "SharedPreview.h"
#include "common/BmpBytes.h"
#include "common/ScratchFolder.h"
#include "preview/PreviewControls.h"
#include "preview/PreviewFrame.h"
#include "preview/PreviewTexture.h"
#include "preview/PreviewWindow.h"

namespace orvalis {
namespace {

using test::MakeBmp24;

TEST(PreviewOrbitTest, DragsTurnAndTiltAndTheWheelZooms) {
    struct Case {
        PreviewOrbit From;
        int Dx, Dy;
        float Turn, Tilt;
    };
    const Case cases[] = {
        {{0, 30, 1}, 20, 0, 10, 30},     {{0, 30, 1}, -20, 0, 350, 30},   {{350, 30, 1}, 40, 0, 10, 30},
        {{0, 30, 1}, 0, 20, 0, 40},      {{0, 30, 1}, 0, -100, 0, kLowestTilt},
        {{0, 30, 1}, 0, 500, 0, kHighestTilt},
    };
    for (const Case& c : cases) {
        const PreviewOrbit moved = Dragged(c.From, c.Dx, c.Dy);
        EXPECT_FLOAT_EQ(moved.Turn, c.Turn) << c.Dx << "," << c.Dy;
        EXPECT_FLOAT_EQ(moved.Tilt, c.Tilt) << c.Dx << "," << c.Dy;
        EXPECT_EQ(moved.Zoom, c.From.Zoom);
    }
    // The same steps as the preview page's wheel.
    EXPECT_EQ(Zoomed({}, 1).Zoom, ZoomedIn(1.0f));
    EXPECT_EQ(Zoomed({}, -2).Zoom, ZoomedOut(ZoomedOut(1.0f)));
    EXPECT_EQ(Zoomed({}, 0).Zoom, 1.0f);
}

// The preview's own window over the shared panel's context and a mesh of
// one colour.
class PreviewWindowTest : public testing::Test {
protected:
    void SetUp() override {
        panel = &test::Preview().Surface;
        const auto hills = [](int x, int y) {
            const auto grey = static_cast<std::uint8_t>(60 + (x + y) % 40);
            return MakeColour(grey, grey, grey);
        };
        BuildPreviewMesh(mesh, folder.Write("hills.bmp", MakeBmp24(64, 64, hills)), 32);
        const std::string texture =
            folder.Write("texture.bmp", MakeBmp24(16, 16, [](int, int) { return MakeColour(30, 200, 60); }));
        ASSERT_TRUE(ReloadPreviewTexture(mesh, texture));
        window = std::make_unique<TPreviewWindow>(*panel, mesh);
        window->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->isExposed(); }, 60000));
    }
    void TearDown() override {
        window.reset();
        glDeleteTextures(1, &mesh.TextureId);
    }

    void Send(QEvent& event) { QCoreApplication::sendEvent(window.get(), &event); }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, window->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        Send(event);
    }
    void Key(Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        Send(event);
    }

    test::ScratchFolder folder;
    THeightMap mesh;
    TPreviewSurface* panel = nullptr;
    std::unique_ptr<TPreviewWindow> window;
};

// Drawn through the panel's context, which is current on the panel again
// afterwards, with the page's mesh and texture.
TEST_F(PreviewWindowTest, DrawsThePagesMeshThroughThePanelsContext) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->FramesDrawn() > 0; }, 60000));
    const int width = window->width(), height = window->height();
    std::vector<std::uint8_t> middle(3);
    panel->DrawOn(*window, [&] {
        DrawPreviewFrame(mesh, {width, height, 1.0f, 0.0f, 30.0f});
        glReadPixels(width / 2, height / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, middle.data());
    });
    EXPECT_EQ(middle, (std::vector<std::uint8_t>{30, 200, 60}));
    ASSERT_NE(QOpenGLContext::currentContext(), nullptr);
    EXPECT_EQ(QOpenGLContext::currentContext()->surface(), panel);
}

TEST_F(PreviewWindowTest, ADragOrbitsTheWheelZoomsAndF11GoesFullScreen) {
    Mouse(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    Mouse(QEvent::MouseMove, {140, 120}, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, {140, 120}, Qt::NoButton);
    EXPECT_FLOAT_EQ(window->Orbit().Turn, 20);
    EXPECT_FLOAT_EQ(window->Orbit().Tilt, 40);
    // Moves without the button pressed do nothing.
    Mouse(QEvent::MouseMove, {300, 300}, Qt::NoButton);
    EXPECT_FLOAT_EQ(window->Orbit().Turn, 20);

    QWheelEvent wheel({10, 10}, window->mapToGlobal(QPointF(10, 10)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    Send(wheel);
    EXPECT_EQ(window->Orbit().Zoom, ZoomedIn(1.0f));
    Key(Qt::Key_Minus);
    Key(Qt::Key_Minus);
    EXPECT_EQ(window->Orbit().Zoom, ZoomedOut(ZoomedOut(ZoomedIn(1.0f))));
    Key(Qt::Key_Right);
    EXPECT_FLOAT_EQ(window->Orbit().Turn, 25);

    Key(Qt::Key_F11);
    EXPECT_TRUE(window->windowStates() & Qt::WindowFullScreen);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(window->windowStates() & Qt::WindowFullScreen);
    EXPECT_TRUE(window->isVisible());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace orvalis
