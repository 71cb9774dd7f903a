#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/PngRowFilter.h"

namespace orvalis {
namespace {

using Row = std::vector<std::uint8_t>;

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// What filter `type` predicts for byte i, by the rules of PNG, from the
// original bytes (zeros above the first row and left of the first pixel).
int Predicted(int type, const Row& row, const Row& above, std::size_t i, std::size_t pixelBytes) {
    const int a = i >= pixelBytes ? row[i - pixelBytes] : 0;
    const int b = above[i];
    const int c = i >= pixelBytes ? above[i - pixelBytes] : 0;
    const int predictions[] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
    return predictions[type];
}

// A decoder's undoing of the filter, byte by byte from the left.
Row Unfiltered(const Row& filtered, const Row& above, std::size_t pixelBytes) {
    Row row(filtered.size() - 1);
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = static_cast<std::uint8_t>(filtered[1 + i] + Predicted(filtered[0], row, above, i, pixelBytes));
    }
    return row;
}

long Cost(int type, const Row& row, const Row& above, std::size_t pixelBytes) {
    long sum = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
        sum += std::abs(static_cast<std::int8_t>(row[i] - Predicted(type, row, above, i, pixelBytes)));
    }
    return sum;
}

// Rows of several kinds: noise, a ramp, the row above itself, zeros.
Row RowOf(int kind, std::size_t length, std::uint32_t seed) {
    Row row(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto n = static_cast<std::uint32_t>(i) * 2654435761u ^ seed * 40503u;
        const std::uint8_t values[] = {static_cast<std::uint8_t>(n >> 13), static_cast<std::uint8_t>(3 * i + seed),
                                       static_cast<std::uint8_t>(seed), 0};
        row[i] = values[kind];
    }
    return row;
}

// Every row comes back whole; Up always filters by the row above (the first
// row by the left neighbour); the best of five takes the cheapest filter,
// the lowest numbered of equals (above the first row, None or Sub).
TEST(PngRowFilterTest, RowsComeBackAndTheChoiceIsTheCheapest) {
    for (const std::size_t pixelBytes : {1, 2, 3, 4, 6, 8}) {
        for (const std::size_t pixels : {1, 5, 37}) {
            for (int kind = 0; kind < 4; ++kind) {
                for (const bool first : {true, false}) {
                    const std::size_t length = pixelBytes * pixels;
                    const Row row = RowOf(kind, length, 11);
                    const Row above = first ? Row(length, 0) : kind == 2 ? row : RowOf(0, length, 5);
                    SCOPED_TRACE(std::to_string(pixelBytes) + " bytes a pixel, " + std::to_string(pixels) +
                                 " pixels, kind " + std::to_string(kind) + (first ? ", first row" : ""));
                    for (const PngFilterChoice choice : {PngFilterChoice::Up, PngFilterChoice::BestOfFive}) {
                        Row filtered(length + 1);
                        FilterPngRow(choice, row.data(), first ? nullptr : above.data(), length, pixelBytes,
                                     filtered.data());
                        EXPECT_EQ(Unfiltered(filtered, above, pixelBytes), row);
                        const int type = filtered[0];
                        if (choice == PngFilterChoice::Up) {
                            EXPECT_EQ(type, first ? 1 : 2);
                            continue;
                        }
                        for (int other = 0; other < (first ? 2 : 5); ++other) {
                            const long cost = Cost(other, row, above, pixelBytes);
                            const long chosen = Cost(type, row, above, pixelBytes);
                            EXPECT_TRUE(chosen < cost || (chosen == cost && type <= other))
                                << "type " << type << " costs " << chosen << ", type " << other << " " << cost;
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace orvalis
