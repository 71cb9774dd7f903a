#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/BmpBytes.h"
#include "common/ScratchFolder.h"
#include "preview/PreviewMesh.h"
#include "files/Error.h"

namespace orvalis {
namespace {

using test::MakeBmp24;
using test::ScratchFolder;

PixelColour Grey(int value) {
    const auto v = static_cast<std::uint8_t>(value);
    return MakeColour(v, v, v);
}

TEST(PreviewMesh, HasFourCornersForEachInnerCell) {
    ScratchFolder folder;
    const std::string file = folder.Write("flat.bmp", MakeBmp24(64, 64, [](int, int) { return Grey(10); }));
    THeightMap mesh;
    for (const auto& [resolution, vertices] :
         {std::pair{32, 3844}, {128, 64516}, {160, 101124}, {256, 260100}}) {
        BuildMeshArrays(mesh, file, resolution);
        EXPECT_EQ(mesh.Vertices.size(), static_cast<std::size_t>(vertices)) << resolution;
        EXPECT_EQ(mesh.TexCoords.size(), mesh.Vertices.size());
        ASSERT_EQ(mesh.Heights.size(), static_cast<std::size_t>(resolution + 1));
        EXPECT_EQ(mesh.Heights.back().size(), static_cast<std::size_t>(resolution + 1));
    }
}

// The grey value of each pixel is its column, so every height names the
// column it was sampled from.
TEST(PreviewMesh, SamplesEverySecondColumnOfA256PictureAt128) {
    ScratchFolder folder;
    const std::string file =
        folder.Write("ramp.bmp", MakeBmp24(256, 256, [](int x, int) { return Grey(x); }));
    THeightMap mesh;
    BuildMeshArrays(mesh, file, 128);
    for (int i = 0; i < 128; ++i) {
        for (int j = 0; j < 128; ++j) ASSERT_EQ(mesh.Heights[i][j], 2 * i) << i << ", " << j;
        // Row 256 lies below the picture.
        EXPECT_EQ(mesh.Heights[i][128], 0);
    }
    // Column 256 lies beside the picture.
    for (int j = 0; j <= 128; ++j) EXPECT_EQ(mesh.Heights[128][j], 0);
}

// A 100 x 60 picture at 128 repeats columns and rows and keeps its own
// scale on each side; rows count from the top.
TEST(PreviewMesh, SamplesEachSideOfANonSquarePictureOnItsOwn) {
    const auto greyAt = [](int x, int rowFromTop) { return Grey(x + 2 * rowFromTop); };
    ScratchFolder folder;
    const std::string bottomUp =
        folder.Write("bottom-up.bmp", MakeBmp24(100, 60, [&](int x, int y) { return greyAt(x, 59 - y); }));
    auto topDownBytes = MakeBmp24(100, 60, greyAt);
    test::PutU32(topDownBytes, test::kHeightAt, static_cast<std::uint32_t>(-60));
    const std::string topDown = folder.Write("top-down.bmp", topDownBytes);

    for (const std::string& file : {bottomUp, topDown}) {
        THeightMap mesh;
        BuildMeshArrays(mesh, file, 128);
        for (int i = 0; i < 128; ++i) {
            for (int j = 0; j < 128; ++j) {
                const int x = 100 * i / 128;
                const int y = 60 * j / 128;
                ASSERT_EQ(mesh.Heights[i][j], x + 2 * y) << file << " " << i << ", " << j;
            }
        }
        EXPECT_EQ(mesh.Vertices.size(), 64516u);
    }
}

// Red is the low byte of the colour, blue the high one: only blue lifts a pixel.
TEST(PreviewMesh, TakesTheHeightFromTheWholeColour) {
    const PixelColour row[] = {MakeColour(0, 0, 255), MakeColour(255, 0, 0), MakeColour(0, 255, 0),
                               Grey(200)};
    ScratchFolder folder;
    const std::string file = folder.Write("colours.bmp", MakeBmp24(4, 1, [&](int x, int) { return row[x]; }));
    THeightMap mesh;
    BuildMeshArrays(mesh, file, 4);
    EXPECT_EQ(mesh.Heights[0][0], 254);
    EXPECT_EQ(mesh.Heights[1][0], 0);
    EXPECT_EQ(mesh.Heights[2][0], 0);
    EXPECT_EQ(mesh.Heights[3][0], 200);
}

TEST(PreviewMesh, LaysTheFirstQuadFromTheFarLeftCornerCounterClockwise) {
    ScratchFolder folder;
    const std::string file = folder.Write("grey.bmp", MakeBmp24(32, 32, [](int, int) { return Grey(200); }));
    THeightMap mesh;
    BuildMeshArrays(mesh, file, 32);
    const float step = 1.0f;  // 32 world units over 32 samples
    const MeshVertex expected[] = {
        {-16, 4, -16}, {-16, 4, -16 + step}, {-16 + step, 4, -16 + step}, {-16 + step, 4, -16}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(mesh.Vertices[k].x, expected[k].x) << k;
        EXPECT_EQ(mesh.Vertices[k].y, 4.0f) << k;  // grey 200 stands 2 * 200 * 0.01 high
        EXPECT_EQ(mesh.Vertices[k].z, expected[k].z) << k;
    }
    EXPECT_EQ(mesh.TexCoords[0].s, -1.0f);
    EXPECT_EQ(mesh.TexCoords[0].t, 0.0f);
    EXPECT_EQ(mesh.TexCoords[2].s, -31.0f / 32);
    EXPECT_EQ(mesh.TexCoords[2].t, -1.0f / 32);
    // The last corner of the last cell is the far end of the mesh.
    EXPECT_EQ(mesh.Vertices.back().x, 16 - step);
    EXPECT_EQ(mesh.Vertices.back().z, 16 - 2 * step);
}

// The ground keeps the picture's proportions, 32 units along its longer
// side, while the texture still covers it whole; the relief stands at the
// true scale it is given, or the classic one, times the exaggeration.
TEST(PreviewMesh, KeepsTheGroundsProportionsAndTheReliefsScale) {
    struct Case {
        int Width;
        int Rows;
        MeshRelief Relief;
        MeshVertex FirstCorner;
    };
    const Case cases[] = {
        {8, 4, {}, {-16, 2, -8}},
        {4, 8, {std::nullopt, 3.0f}, {-8, 6, -16}},
        {8, 4, {0.5, 2.0f}, {-16, 100, -8}},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Rows));
        const std::string file = folder.Write("grey.bmp", MakeBmp24(c.Width, c.Rows, [](int, int) { return Grey(100); }));
        THeightMap mesh;
        BuildMeshArrays(mesh, file, 8, c.Relief);
        EXPECT_FLOAT_EQ(mesh.Vertices[0].x, c.FirstCorner.x);
        EXPECT_FLOAT_EQ(mesh.Vertices[0].y, c.FirstCorner.y);
        EXPECT_FLOAT_EQ(mesh.Vertices[0].z, c.FirstCorner.z);
        EXPECT_EQ(mesh.TexCoords[0].s, -1.0f);
        EXPECT_EQ(mesh.TexCoords[0].t, 0.0f);
    }
}

TEST(PreviewMesh, AnUnreadableHeightmapEmptiesTheMeshButKeepsTheGrid) {
    ScratchFolder folder;
    const std::string good = folder.Write("good.bmp", MakeBmp24(8, 8, [](int, int) { return Grey(7); }));
    const std::string broken = folder.Write("broken.bmp", {'B', 'M', 0, 0});
    THeightMap mesh;
    mesh.TextureId = 5;
    BuildMeshArrays(mesh, good, 32);
    const auto heights = mesh.Heights;
    for (const std::string& file : {folder.PathOf("missing.bmp"), broken}) {
        EXPECT_THROW(BuildMeshArrays(mesh, file, 64), Error) << file;
        EXPECT_TRUE(mesh.Vertices.empty());
        EXPECT_TRUE(mesh.TexCoords.empty());
        EXPECT_EQ(mesh.Heights, heights);
        EXPECT_EQ(mesh.TextureId, 5u);
    }
}

}  // namespace
}  // namespace orvalis
