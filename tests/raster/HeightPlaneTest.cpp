#include "raster/HeightPlane.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>
#include <utility>

#include <gtest/gtest.h>

#include "raster/HeightHoles.h"
#include "raster/Picture.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

TEST(HeightPlane, IsTheUntruncatedMeanOfTheChannelsRowByRow) {
    const TDibBuffer picture = test::MakePicture(3, 2, [](std::int32_t row, std::int32_t column) {
        return PixelColour{static_cast<std::uint8_t>(row), 0, static_cast<std::uint8_t>(255 - column)};
    });
    const HeightPlane field = HeightsOfPixels(picture);
    EXPECT_TRUE(field.ThirdsOfByteSums());
    EXPECT_EQ(field.Height(field.IndexOf(1, 2)), 254 / 3.0);
    EXPECT_EQ(field.ByteSum(field.IndexOf(1, 2)), 254);
    EXPECT_EQ(field.ExtendedHeight(field.IndexOf(0, 0)), 255 / 3.0L);
}

// The grey level shown at row y from the top, column x: different in every
// row and column, so a flip or a swap of row and column shows.
int LevelShown(std::int32_t y, std::int32_t x) { return (y * 40 + x * 7 + 3) % 256; }

// A picture showing LevelShown, of the given depth (8 bits: a grey colour
// table) and row order.
TDibBuffer ShownLevels(std::int32_t width, std::int32_t rows, bool topDown, std::uint8_t bitsPerPixel) {
    TDibBuffer picture;
    picture.Allocate(width, topDown ? -rows : rows, bitsPerPixel);
    if (bitsPerPixel == 8) {
        for (int level = 0; level < 256; ++level) {
            const auto grey = static_cast<std::uint8_t>(level);
            picture.SetColour(static_cast<std::uint8_t>(level), RgbQuad{grey, grey, grey, 0});
        }
    }
    for (std::int32_t y = 0; y < rows; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const int level = LevelShown(y, x);
            if (bitsPerPixel == 8) {
                picture.WriteIndex(picture.BufferRow(y), x, static_cast<std::uint8_t>(level));
            } else {
                picture.WritePixel(picture.BufferRow(y), x, test::Grey(level));
            }
        }
    }
    return picture;
}

// Whatever a picture's row order and depth, plane row 0 is its bottom edge
// and every lookup takes (row, column).
TEST(HeightPlane, EveryRowOrderAndDepthGivesTheBottomRowFirst) {
    const struct {
        std::int32_t Width, Rows;
    } shapes[] = {{5, 3}, {1, 4}, {4, 1}, {7, 7}};
    for (const auto& shape : shapes) {
        for (const bool topDown : {false, true}) {
            for (const std::uint8_t bits : {24, 32, 8}) {
                SCOPED_TRACE(::testing::Message() << shape.Width << " x " << shape.Rows << ", top-down " << topDown
                                                  << ", " << static_cast<int>(bits) << " bits");
                const HeightPlane plane = HeightsOfPixels(ShownLevels(shape.Width, shape.Rows, topDown, bits));
                ASSERT_EQ(plane.Width, shape.Width);
                ASSERT_EQ(plane.Rows, shape.Rows);
                for (std::int32_t row = 0; row < plane.Rows; ++row) {
                    for (std::int32_t column = 0; column < plane.Width; ++column) {
                        const int level = LevelShown(shape.Rows - 1 - row, column);
                        EXPECT_EQ(plane.At(row, column), level) << row << ", " << column;
                        EXPECT_EQ(plane.ByteSums[static_cast<std::size_t>(row) * shape.Width + column], 3 * level);
                    }
                }
            }
        }
    }
}

TEST(HeightPlane, PlaneRowsTurnIntoTheBufferRowsOfEitherRowOrder) {
    const struct {
        std::int32_t Rows;
        bool TopDown;
        std::int32_t PlaneRow, BufferRow;
    } cases[] = {{5, false, 0, 0}, {5, false, 4, 4}, {5, true, 0, 4}, {5, true, 4, 0},
                 {5, true, 1, 3},  {1, false, 0, 0}, {1, true, 0, 0}};
    for (const auto& c : cases) {
        const TDibBuffer picture = test::GreyPicture(2, c.TopDown ? -c.Rows : c.Rows, 0);
        EXPECT_EQ(BufferRowOfPlaneRow(picture, c.PlaneRow), c.BufferRow) << c.Rows << " " << c.TopDown << " " << c.PlaneRow;
        // Counted from the top, the same row the other way round.
        const std::int32_t y = PlaneRowOfDeviceRow(c.Rows, c.PlaneRow);
        EXPECT_EQ(PlaneRowOfDeviceRow(c.Rows, y), c.PlaneRow);
        EXPECT_EQ(picture.BufferRow(y), c.BufferRow);
    }
}

// Real heights equal to the thirds of byte sums read the same; only the
// lighting's extended quotient keeps the bits a double drops.
TEST(HeightPlane, FineHeightsAndByteSumsAgree) {
    const HeightPlane sums = HeightsOfPixels(ShownLevels(6, 4, true, 24));
    HeightPlane fine{sums.Width, sums.Rows, {}, {}};
    for (std::size_t i = 0; i < sums.ByteSums.size(); ++i) fine.Heights.push_back(sums.ByteSum(i) / 3.0);
    EXPECT_FALSE(fine.ThirdsOfByteSums());
    for (std::int32_t row = 0; row < sums.Rows; ++row) {
        for (std::int32_t column = 0; column < sums.Width; ++column) {
            const std::size_t i = sums.IndexOf(row, column);
            EXPECT_EQ(fine.At(row, column), sums.At(row, column));
            EXPECT_EQ(sums.WholeLevel(i), static_cast<int>(std::floor(sums.Height(i))));
            EXPECT_EQ(sums.ExtendedHeight(i), sums.ByteSum(i) / 3.0L);
            EXPECT_EQ(fine.ExtendedHeight(i), static_cast<long double>(sums.Height(i)));
        }
    }
    // A sum that is no multiple of 3: its quotient needs more than a double.
    const HeightPlane third = HeightsOfPixels(test::OneColourPicture(1, 1, PixelColour{1, 0, 0}));
    EXPECT_EQ(third.WholeLevel(0), 0);
    EXPECT_NE(third.ExtendedHeight(0), static_cast<long double>(third.Height(0)));
}

// A row of heights at once is every height as Height gives it, bit for bit
// (zeros keep their sign), for every way a plane holds them; byte sums made
// on several threads are those of one.
TEST(HeightPlane, RowsOfHeightsAreTheHeightsOneByOne) {
    const float inf = INFINITY, nan = NAN;
    HeightPlane samples{5, 2, {}, {}, UnsetValues<float>{-3, 7.25f, nan, 1e30f, -0.0f, 2, -inf, inf, 0.1f, 4},
                        SampleScale{-1, 3}};
    HeightPlane noSpan = samples;
    noSpan.Scale = SampleScale{2, 0};
    HeightPlane heights{3, 2, {-0.0, 1.5, 255, 0.3, 7, 1e-300}, {}};
    const HeightPlane sums = HeightsOfPixels(ShownLevels(7, 3, false, 24));
    for (const HeightPlane* plane : std::array<const HeightPlane*, 4>{&samples, &noSpan, &heights, &sums}) {
        std::vector<double> row(static_cast<std::size_t>(plane->Width));
        for (std::int32_t r = 0; r < plane->Rows; ++r) {
            plane->RowHeights(r, row.data());
            for (std::int32_t c = 0; c < plane->Width; ++c) {
                const double one = plane->At(r, c);
                EXPECT_EQ(std::memcmp(&row[c], &one, sizeof one), 0) << r << ", " << c << ": " << row[c] << " " << one;
            }
        }
    }
    const TDibBuffer picture = ShownLevels(9, 31, true, 24);
    for (const int threads : {2, 3}) EXPECT_EQ(HeightsOfPixels(picture, threads).ByteSums, HeightsOfPixels(picture).ByteSums);
}

// The lowest height with data skips NaN and infinities, is 0 without any,
// and on several threads is the first of equal lows, as on one.
TEST(HeightPlane, TheLowestHeightWithDataIsTheSameOnEveryThreadCount) {
    const double nan = NAN, inf = INFINITY;
    const struct {
        std::vector<double> Heights;
        double Lowest;
        bool Negative;
    } cases[] = {
        {{5, nan, 3, -inf, 7, inf, 4, 9, 6, 8, 3.5, 12}, 3, false},
        {{nan, inf, -inf, nan, nan, nan, inf, inf, nan, nan, nan, nan}, 0, false},
        {{4, 0.0, 2, 9, -0.0, 1, 0.0, 3, 5, -0.0, 7, 8}, 0, false},
        {{4, -0.0, 2, 9, 0.0, 1, 0.0, 3, 5, -0.0, 7, 8}, 0, true},
    };
    for (const auto& c : cases) {
        const HeightPlane plane{3, 4, c.Heights, {}};
        for (const int threads : {1, 2, 3}) {
            RunOptions options;
            options.Threads = threads;
            const double lowest = LowestHeightWithData(plane, options);
            EXPECT_EQ(lowest, c.Lowest) << threads;
            EXPECT_EQ(std::signbit(lowest), c.Negative) << threads;
        }
    }
}

// A picture's heights are its fine ones when it has them, else its pixels'
// byte sums; a picture given up hands its fine heights over.
TEST(HeightPlane, APictureGivesItsFineHeightsOrThoseOfItsPixels) {
    const TDibBuffer pixels = ShownLevels(3, 2, false, 24);
    const HeightPlane fine{3, 2, {0.5, 1.5, 2.5, 3.5, 4.5, 255}, {}};
    const struct {
        bool WithFineHeights;
        HeightPlane Expected;
    } cases[] = {{false, HeightsOfPixels(pixels)}, {true, fine}};
    for (const auto& c : cases) {
        Picture picture;
        picture.Pixels.CopyFromBitmap(pixels);
        if (c.WithFineHeights) picture.FineHeights = fine;
        EXPECT_EQ(test::EveryHeight(HeightsOf(picture)), test::EveryHeight(c.Expected)) << c.WithFineHeights;
        EXPECT_EQ(HeightsOf(std::move(picture)).Heights, c.Expected.Heights) << c.WithFineHeights;
    }
}

}  // namespace
}  // namespace orvalis
