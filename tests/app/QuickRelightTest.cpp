#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/QuickRelight.h"
#include "common/TestPictures.h"

namespace orvalis::test {
namespace {

// Each pixel is the rounded mean of its block, the smaller blocks at the
// edges included, and the row order stays.
TEST(QuickRelightTest, AveragedDownTakesTheMeanOfEachBlock) {
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        TDibBuffer picture;
        picture.Allocate(3, topDown ? -3 : 3, 24);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const auto v = static_cast<std::uint8_t>(10 * (3 * row + column));
                picture.WritePixel(row, column, MakeColour(v, 255 - v, 7));
            }
        }
        const TDibBuffer reduced = AveragedDown(picture, 2);
        ASSERT_EQ(reduced.Width(), 2);
        ASSERT_EQ(reduced.RowCount(), 2);
        EXPECT_EQ(reduced.IsTopDown(), topDown);
        // Buffer rows 0-1 x columns 0-1: 0, 10, 30, 40; the edges 20, 50;
        // 60, 70; and 80 alone.
        EXPECT_EQ(reduced.ReadPixel(0, 0), MakeColour(20, 235, 7));
        EXPECT_EQ(reduced.ReadPixel(0, 1), MakeColour(35, 220, 7));
        EXPECT_EQ(reduced.ReadPixel(1, 0), MakeColour(65, 190, 7));
        EXPECT_EQ(reduced.ReadPixel(1, 1), MakeColour(80, 175, 7));
    }
}

// Small sources give no quick relight: the whole one comes soon enough.
TEST(QuickRelightTest, OnlyLargeSourcesGetAQuickRelight) {
    struct Case {
        int TerrainEdge;
        int BlendEdge;
        bool Quick;
        int QuickEdge;
    };
    const Case cases[] = {{24, 256, false, 0}, {511, 300, false, 0}, {512, 256, true, 256},
                          {64, 1024, true, 256}, {2048, 2048, true, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.TerrainEdge) + " " + std::to_string(c.BlendEdge));
        TerrainLighting terrain;
        const auto pixels = static_cast<std::size_t>(c.TerrainEdge) * c.TerrainEdge;
        terrain.Field = HeightField{c.TerrainEdge, c.TerrainEdge, std::vector<double>(pixels, 50.0), {}};
        const TDibBuffer blend = OneColourPicture(c.BlendEdge, c.BlendEdge, MakeColour(200, 100, 50));
        const auto quick = MakeQuickRelightSource(terrain, blend, 256);
        ASSERT_EQ(quick.has_value(), c.Quick);
        if (!quick) continue;
        const QImage picture = QuickRelight(*quick, LightSettings{});
        EXPECT_EQ(picture.width(), c.QuickEdge);
        EXPECT_LE(quick->Terrain.Terrain.Field.Width, 256);
    }
}

}  // namespace
}  // namespace orvalis::test
