#include "raster/ResampleHeights.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>
#include <cstdint>

#include "common/RealHeights.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

using test::RealHeightPlane;

struct SizeCase {
    std::int32_t FromWidth, FromRows, ToWidth, ToRows;
};

// Where target cell i's centre falls in source cells, the extents matching.
double SourceCentre(std::int32_t i, std::int32_t from, std::int32_t to) {
    return (i + 0.5) * from / to - 0.5;
}

constexpr Interpolation kInterpolations[] = {Interpolation::Cubic, Interpolation::Spline};

// Both interpolations and the area mean (by whole factors) give a slope back
// exactly, up to the edges: the curves pass through it and go on straight
// past the edge, and the mean of a slope over whole cells is its value at
// their centre.
TEST(ResampleHeights, KeepsASlopeUpToTheEdges) {
    const SizeCase cases[] = {
        {40, 30, 400, 344}, {40, 30, 97, 31}, {120, 90, 40, 30}, {120, 90, 60, 45}, {40, 90, 120, 30},
        {50, 50, 50, 50},   {2, 3, 20, 30},   {1, 4, 5, 40},
    };
    for (const Interpolation interpolation : kInterpolations) {
        for (const SizeCase& c : cases) {
            const HeightPlane source = RealHeightPlane(c.FromWidth, c.FromRows, [](std::int32_t row, std::int32_t column) {
                return 3.0 * column - 5.0 * row + 100;
            });
            const HeightPlane target = ResampleHeights(source, c.ToWidth, c.ToRows, {}, interpolation);
            ASSERT_EQ(target.Width, c.ToWidth);
            ASSERT_EQ(target.Rows, c.ToRows);
            for (std::int32_t row = 0; row < c.ToRows; ++row) {
                for (std::int32_t column = 0; column < c.ToWidth; ++column) {
                    // A line of one cell goes on level.
                    const double x = c.FromWidth == 1 ? 0 : SourceCentre(column, c.FromWidth, c.ToWidth);
                    ASSERT_NEAR(target.At(row, column), 3 * x - 5 * SourceCentre(row, c.FromRows, c.ToRows) + 100, 1e-9)
                        << c.FromWidth << " x " << c.FromRows << " -> " << c.ToWidth << " x " << c.ToRows << " at "
                        << row << ", " << column;
                }
            }
        }
    }
}

// Enlarged by an odd whole factor, the middle target cell of every source
// cell sits on its centre and takes its height exactly, the border cells'
// too; the others lie between (no blocks: neighbours differ).
TEST(ResampleHeights, EnlargingPassesThroughTheSourceHeights) {
    const HeightPlane source = RealHeightPlane(13, 9, [](std::int32_t row, std::int32_t column) {
        return std::sin(column * 0.9) * 40 + std::cos(row * 1.3) * 25;
    });
    for (const Interpolation interpolation : kInterpolations) {
        const HeightPlane target = ResampleHeights(source, 13 * 3, 9 * 3, {}, interpolation);
        int equalNeighbours = 0;
        for (std::int32_t row = 0; row < 9; ++row) {
            for (std::int32_t column = 0; column < 13; ++column) {
                EXPECT_NEAR(target.At(3 * row + 1, 3 * column + 1), source.At(row, column), 1e-9);
            }
        }
        for (std::int32_t row = 0; row < target.Rows; ++row) {
            for (std::int32_t column = 1; column < target.Width; ++column) {
                equalNeighbours += target.At(row, column) == target.At(row, column - 1);
            }
        }
        EXPECT_EQ(equalNeighbours, 0);
    }
}

// The spline's curvature is continuous, at the cells too: the second
// difference of a row enlarged 64 times changes by little from one target
// cell to the next, where that of the cubic convolution jumps at every
// source cell.
TEST(ResampleHeights, TheSplineBendsSmoothly) {
    const double row[] = {3, -2, 7, 11, 4, 0, 9, 5, -6, 2};
    const HeightPlane source = RealHeightPlane(10, 1, [&row](std::int32_t, std::int32_t column) { return row[column]; });
    const auto largestJump = [&source](Interpolation interpolation) {
        const std::vector<double> h = ResampleHeights(source, 640, 1, {}, interpolation).Heights;
        double largest = 0, previous = 0;
        for (std::size_t i = 1; i + 1 < h.size(); ++i) {
            const double bend = (h[i + 1] - 2 * h[i] + h[i - 1]) * 64 * 64;  // per source cell squared
            if (i > 1) largest = std::max(largest, std::fabs(bend - previous));
            previous = bend;
        }
        return largest;
    };
    EXPECT_LT(largestJump(Interpolation::Spline), 1.0);
    EXPECT_GT(largestJump(Interpolation::Cubic), 10.0);
}

// Shrunk by whole factors, every target cell is the mean of its block.
TEST(ResampleHeights, ShrinkingTakesTheMeanOfTheCoveredCells) {
    const HeightPlane source = RealHeightPlane(12, 9, [](std::int32_t row, std::int32_t column) {
        return static_cast<double>((row * 7919 + column * 104729) % 1000);
    });
    const HeightPlane target = ResampleHeights(source, 4, 3);
    for (std::int32_t row = 0; row < 3; ++row) {
        for (std::int32_t column = 0; column < 4; ++column) {
            double sum = 0;
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c) sum += source.At(3 * row + r, 3 * column + c);
            }
            EXPECT_NEAR(target.At(row, column), sum / 9, 1e-9);
        }
    }
    // A share of a cell counts by the area covered: 3 cells onto 2.
    const HeightPlane three = RealHeightPlane(3, 1, [](std::int32_t, std::int32_t column) { return 6.0 * column; });
    const HeightPlane two = ResampleHeights(three, 2, 1);
    EXPECT_NEAR(two.At(0, 0), (0 + 0.5 * 6) / 1.5, 1e-12);
    EXPECT_NEAR(two.At(0, 1), (0.5 * 6 + 12) / 1.5, 1e-12);
}

// The curve between four heights that the horizon sweeps draw is the one
// enlarging draws.
TEST(CubicConvolution, IsTheCurveOfEnlarging) {
    const double row[] = {3, -2, 7, 11, 4, 0, 9, 5};
    const HeightPlane source = RealHeightPlane(8, 1, [&row](std::int32_t, std::int32_t column) { return row[column]; });
    const HeightPlane target = ResampleHeights(source, 32, 1);
    for (std::int32_t i = 8; i < 24; ++i) {
        const double x = SourceCentre(i, 8, 32);
        const auto k = static_cast<std::int32_t>(std::floor(x));
        EXPECT_NEAR(CubicConvolution(row[k - 1], row[k], row[k + 1], row[k + 2], x - k), target.At(0, i), 1e-12) << i;
    }
    EXPECT_EQ(CubicConvolution(1, 2, 3, 4, 0), 2);
    EXPECT_EQ(CubicConvolution(1, 2, 3, 4, 1), 3);
}

TEST(ResampleHeights, TakesBytesAndHolesAndKeepsTheSizeItIsGiven) {
    // 8-bit heights: the byte sums' thirds.
    const HeightPlane bytes = HeightsOfPixels(test::GreyPicture(5, 4, 90));
    const HeightPlane same = ResampleHeights(bytes, 5, 4);
    EXPECT_FALSE(same.ThirdsOfByteSums());
    for (const double h : same.Heights) EXPECT_EQ(h, 90.0);
    // A hole takes the lowest height with data before anything is mixed.
    const HeightPlane holed = RealHeightPlane(6, 6, [](std::int32_t row, std::int32_t column) {
        return row == 2 && column == 3 ? NAN : 10.0 + row;
    });
    const HeightPlane filled = ResampleHeights(holed, 18, 18);
    for (const double h : filled.Heights) ASSERT_TRUE(std::isfinite(h));
    EXPECT_NEAR(filled.At(7, 10), 10.0, 1e-9);
}

TEST(ResampleHeights, EveryThreadCountGivesTheSameHeights) {
    const HeightPlane source = RealHeightPlane(131, 97, [](std::int32_t row, std::int32_t column) {
        return std::sin(column * 0.7 + row) * 100;
    });
    for (const Interpolation interpolation : kInterpolations) {
        for (const SizeCase& c : {SizeCase{131, 97, 1300, 970}, SizeCase{131, 97, 40, 500}, SizeCase{131, 97, 10, 5}}) {
            const HeightPlane one = ResampleHeights(source, c.ToWidth, c.ToRows, RunOptions{1, {}}, interpolation);
            for (const int threads : {2, 5}) {
                EXPECT_EQ(ResampleHeights(source, c.ToWidth, c.ToRows, RunOptions{threads, {}}, interpolation).Heights,
                          one.Heights);
            }
        }
    }
}

// Streamed a band at a time, in bands of any size and with either pass
// first, the resampling gives ResampleHeights's values exactly, cells
// without data included, each target row once and in order.
TEST(ResampleHeightsInBands, GivesTheWholePlanesValues) {
    struct BandCase {
        SizeCase Size;
        std::int32_t BandRows;
    };
    const BandCase cases[] = {
        {{40, 30, 80, 60}, 1},  {{40, 30, 80, 60}, 7},   {{40, 30, 97, 31}, 64}, {{120, 90, 40, 30}, 5},
        {{120, 90, 61, 45}, 3}, {{40, 90, 120, 30}, 4},  {{90, 40, 30, 120}, 9}, {{50, 50, 50, 50}, 16},
        {{1, 1, 5, 3}, 1},      {{7, 200, 7, 13}, 2},
    };
    for (const Interpolation interpolation : kInterpolations) {
        for (const BandCase& c : cases) {
            const SizeCase& size = c.Size;
            const HeightPlane source = RealHeightPlane(size.FromWidth, size.FromRows, [](std::int32_t row, std::int32_t column) {
                return (row * 7 + column * 3) % 23 == 5 ? NAN : std::sin(column * 0.7) * 40 + std::cos(row * 0.45) * 25;
            });
            const HeightPlane whole = ResampleHeights(source, size.ToWidth, size.ToRows, {}, interpolation);
            std::vector<double> banded(whole.Heights.size(), -1);
            std::int32_t nextRow = 0;
            ResampleHeightsInBands(
                source, size.ToWidth, size.ToRows, c.BandRows,
                [&](std::int32_t first, std::int32_t count, const double* values) {
                    ASSERT_EQ(first, nextRow);
                    ASSERT_GT(count, 0);
                    std::copy_n(values, static_cast<std::size_t>(count) * size.ToWidth, &banded[whole.IndexOf(first, 0)]);
                    nextRow += count;
                },
                RunOptions{3, {}}, interpolation);
            EXPECT_EQ(nextRow, size.ToRows);
            EXPECT_EQ(banded, whole.Heights) << size.FromWidth << " x " << size.FromRows << " -> " << size.ToWidth
                                             << " x " << size.ToRows << " in bands of " << c.BandRows;
        }
    }
}

}  // namespace
}  // namespace orvalis
