#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QOpenGLContext>

#include "SharedPreview.h"
#include "common/BmpBytes.h"
#include "common/ScratchFolder.h"
#include "preview/PreviewMesh.h"

namespace orvalis {
namespace {

TEST(GlContext, IsReadyAtStartUpBeforeThePanelIsShown) {
    const test::SharedPreview& preview = test::Preview();
    EXPECT_GT(preview.MaxTextureSizeAtStart, 0);
    EXPECT_TRUE(preview.Surface.HasGl());
    ASSERT_NE(QOpenGLContext::currentContext(), nullptr);
    const QSurfaceFormat format = QOpenGLContext::currentContext()->format();
    EXPECT_GE(format.depthBufferSize(), 24);
    EXPECT_EQ(format.swapBehavior(), QSurfaceFormat::DoubleBuffer);
    EXPECT_EQ(preview.Surface.width(), 320);
    EXPECT_EQ(preview.Surface.height(), 240);
}

// Run by CTest on the offscreen platform without a display.
TEST(NoWindowSystem, ContextFailsWithAClearError) {
    if (QGuiApplication::platformName() != "offscreen") GTEST_SKIP() << "needs the offscreen platform";
    TPreviewSurface surface;
    try {
        surface.StartGl();
        GTEST_SKIP() << "this offscreen platform gives GL contexts";
    } catch (const GlContextError& error) {
        EXPECT_STREQ(error.what(),
                     "No OpenGL for the preview: the window system \"offscreen\" gives no "
                     "double-buffered context with 24 depth bits");
    }
    EXPECT_FALSE(surface.HasGl());
    surface.SwapBuffers();

    // The rest of the preview keeps working without GL.
    test::ScratchFolder folder;
    const std::string file =
        folder.Write("h.bmp", test::MakeBmp24(8, 8, [](int, int) { return MakeColour(1, 2, 3); }));
    THeightMap mesh;
    BuildPreviewMesh(mesh, file, 32);
    EXPECT_EQ(mesh.Vertices.size(), 3844u);
}

}  // namespace
}  // namespace orvalis
