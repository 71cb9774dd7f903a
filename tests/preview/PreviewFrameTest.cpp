#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "SharedPreview.h"
#include "common/BmpBytes.h"
#include "common/ScratchFolder.h"
#include "preview/PreviewFrame.h"
#include "preview/PreviewTexture.h"

namespace orvalis {
namespace {

using test::MakeBmp24;
using test::ScratchFolder;

constexpr int kWidth = TPreviewSurface::kWidth;
constexpr int kHeight = TPreviewSurface::kHeight;

// A gentle relief under a texture of one colour, drawn as the idle handler
// draws it, and read back from the frame before the swap.
class PreviewFrame : public testing::Test {
protected:
    void SetUp() override {
        test::Preview();
        const auto hills = [](int x, int y) {
            const auto grey = static_cast<std::uint8_t>(60 + (x + y) % 40);
            return MakeColour(grey, grey, grey);
        };
        BuildPreviewMesh(mesh, folder.Write("hills.bmp", MakeBmp24(64, 64, hills)), 32);
    }
    void TearDown() override { glDeleteTextures(1, &mesh.TextureId); }

    void UseTexture(PixelColour colour) {
        const std::string file =
            folder.Write("texture.bmp", MakeBmp24(16, 16, [=](int, int) { return colour; }));
        ASSERT_TRUE(ReloadPreviewTexture(mesh, file));
    }

    // Rows bottom first, three bytes R, G, B per pixel.
    std::vector<std::uint8_t> Draw(float zoomFactor = 1.0f, float rotationAngle = 0.0f) {
        DrawPreviewFrame(mesh, {kWidth, kHeight, zoomFactor, rotationAngle});
        std::vector<std::uint8_t> frame(kWidth * kHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
        test::Preview().Surface.SwapBuffers();
        return frame;
    }

    static PixelColour Middle(const std::vector<std::uint8_t>& frame) {
        const std::uint8_t* p = &frame[((kHeight / 2) * kWidth + kWidth / 2) * 3];
        return MakeColour(p[0], p[1], p[2]);
    }
    static long LitPixels(const std::vector<std::uint8_t>& frame) {
        long lit = 0;
        for (std::size_t i = 0; i < frame.size(); i += 3)
            lit += (frame[i] | frame[i + 1] | frame[i + 2]) != 0;
        return lit;
    }

    ScratchFolder folder;
    THeightMap mesh;
};

TEST_F(PreviewFrame, ShowsTheTexturedMeshInTheMiddleOnBlack) {
    UseTexture(MakeColour(230, 40, 10));
    const auto frame = Draw();
    EXPECT_EQ(Middle(frame), MakeColour(230, 40, 10));
    const std::uint8_t* corner = frame.data();  // bottom left lies beside the mesh
    EXPECT_EQ(corner[0] | corner[1] | corner[2], 0);

    UseTexture(MakeColour(20, 90, 250));
    EXPECT_EQ(Middle(Draw(1.0f, 45.0f)), MakeColour(20, 90, 250));
}

TEST_F(PreviewFrame, ZoomingOutMakesTheMeshSmaller) {
    UseTexture(MakeColour(255, 255, 255));
    const long near = LitPixels(Draw(0.5f));
    const long middle = LitPixels(Draw(1.0f));
    const long far = LitPixels(Draw(2.0f));
    EXPECT_GT(near, middle);
    EXPECT_GT(middle, far);
    EXPECT_GT(far, 0);
}

TEST_F(PreviewFrame, AnEmptyMeshLeavesTheFrameBlack) {
    UseTexture(MakeColour(255, 255, 255));
    ASSERT_GT(LitPixels(Draw()), 0);
    mesh.Vertices.clear();
    mesh.TexCoords.clear();
    EXPECT_EQ(LitPixels(Draw()), 0);
}

TEST(PreviewTextureFile, IsTheLastGeneratedTextureWhileItExists) {
    ScratchFolder folder;
    const std::string generated =
        folder.Write("terrain_tex3.bmp", MakeBmp24(1, 1, [](int, int) { return PixelColour{}; }));
    EXPECT_EQ(PreviewTextureFile(generated), generated);
    EXPECT_EQ(PreviewTextureFile(folder.PathOf("terrain_tex4.bmp")), "terrain_tex.bmp");
    EXPECT_EQ(PreviewTextureFile(""), "terrain_tex.bmp");
}

}  // namespace
}  // namespace orvalis
