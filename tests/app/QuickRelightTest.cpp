#include <gtest/gtest.h>

#include "app/QuickRelight.h"

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

}  // namespace
}  // namespace orvalis::test
