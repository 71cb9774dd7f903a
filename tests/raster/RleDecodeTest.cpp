#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"

namespace orvalis {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Row = std::vector<int>;

std::vector<Row> Indexes(const TDibBuffer& buffer) {
    std::vector<Row> rows(static_cast<std::size_t>(buffer.RowCount()));
    for (std::int32_t row = 0; row < buffer.RowCount(); ++row) {
        for (std::int32_t column = 0; column < buffer.Width(); ++column) {
            rows[row].push_back(buffer.ReadIndex(row, column));
        }
    }
    return rows;
}

std::vector<Row> DecodeRle8(std::int32_t width, std::int32_t height, const Bytes& data) {
    TDibBuffer buffer;
    buffer.Allocate(width, height, 8);
    buffer.DecodeRle8(data);
    return Indexes(buffer);
}

std::vector<Row> DecodeRle4(std::int32_t width, std::int32_t height, const Bytes& data) {
    TDibBuffer buffer;
    buffer.Allocate(width, height, 4);
    buffer.DecodeRle4(data);
    return Indexes(buffer);
}

TEST(RleDecodeTest, Rle8RunsEndOfLineAndAbsoluteRun) {
    const Bytes data = {3, 7, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1};
    EXPECT_EQ(DecodeRle8(4, 2, data), (std::vector<Row>{{7, 7, 7, 0}, {1, 2, 3, 4}}));
}

TEST(RleDecodeTest, Rle8OddAbsoluteRunSkipsItsPadByte) {
    const Bytes data = {0, 3, 5, 6, 7, 0xEE, 1, 9, 0, 1};
    EXPECT_EQ(DecodeRle8(5, 1, data), (std::vector<Row>{{5, 6, 7, 9, 0}}));
}

TEST(RleDecodeTest, Rle4RunAlternatesHighAndLowNibble) {
    EXPECT_EQ(DecodeRle4(6, 1, {5, 0x12, 0, 1}), (std::vector<Row>{{1, 2, 1, 2, 1, 0}}));
}

TEST(RleDecodeTest, Rle4AbsoluteRunsOccupyAnEvenNumberOfBytes) {
    // 3 pixels: 2 data bytes, no pad. 5 pixels: 3 data bytes and 1 pad byte.
    const Bytes three = {0, 3, 0x12, 0x30, 1, 0x90, 0, 1};
    EXPECT_EQ(DecodeRle4(5, 1, three), (std::vector<Row>{{1, 2, 3, 9, 0}}));
    const Bytes five = {0, 5, 0x12, 0x34, 0x50, 0xFF, 1, 0x90, 0, 1};
    EXPECT_EQ(DecodeRle4(7, 1, five), (std::vector<Row>{{1, 2, 3, 4, 5, 9, 0}}));
}

TEST(RleDecodeTest, DeltaSkipsPixelsAndRunsMayStartAtAnOddColumn) {
    const Bytes data = {0, 2, 1, 1, 3, 0xAB, 0, 1};
    EXPECT_EQ(DecodeRle4(5, 2, data), (std::vector<Row>{{0, 0, 0, 0, 0}, {0, 10, 11, 10, 0}}));
    EXPECT_EQ(DecodeRle8(3, 2, {0, 2, 2, 0, 1, 4}), (std::vector<Row>{{0, 0, 4}, {0, 0, 0}}));
}

TEST(RleDecodeTest, RunsAreCutAtTheRowEnd) {
    const Bytes rle8 = {9, 1, 0, 0, 0, 4, 5, 6, 7, 8, 0, 2, 5, 0, 3, 2, 0, 1};
    EXPECT_EQ(DecodeRle8(3, 2, rle8), (std::vector<Row>{{1, 1, 1}, {5, 6, 7}}));
    const Bytes rle4 = {0, 4, 0x12, 0x34, 3, 0x56};
    EXPECT_EQ(DecodeRle4(3, 2, rle4), (std::vector<Row>{{1, 2, 3}, {0, 0, 0}}));
}

TEST(RleDecodeTest, DataThatEndsEarlyStopsWithoutReadingPastIt) {
    // Each input ends inside a code; heap vectors of exact size let the
    // address sanitizer catch any read past the end.
    EXPECT_EQ(DecodeRle8(4, 1, {2, 7, 0}), (std::vector<Row>{{7, 7, 0, 0}}));
    EXPECT_EQ(DecodeRle8(4, 1, {0, 2, 1}), (std::vector<Row>{{0, 0, 0, 0}}));
    EXPECT_EQ(DecodeRle8(4, 1, {0, 4, 1, 2}), (std::vector<Row>{{1, 2, 0, 0}}));
    EXPECT_EQ(DecodeRle4(4, 1, {0, 4, 0x12}), (std::vector<Row>{{1, 2, 0, 0}}));
    EXPECT_EQ(DecodeRle4(4, 1, {}), (std::vector<Row>{{0, 0, 0, 0}}));
}

TEST(RleDecodeTest, CodesBeyondTheLastRowAreIgnored) {
    const Bytes data = {0, 2, 0, 200, 5, 1, 0, 0, 0, 0, 0, 0, 2, 3};
    EXPECT_EQ(DecodeRle8(2, 2, data), (std::vector<Row>{{0, 0}, {0, 0}}));
}

}  // namespace
}  // namespace orvalis
