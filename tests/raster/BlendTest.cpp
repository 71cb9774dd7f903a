#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ErrorMessage.h"
#include "raster/DibBlend.h"
#include "files/Error.h"

namespace orvalis {
namespace {

TDibBuffer Filled(std::int32_t width, std::int32_t height, std::uint8_t bits, PixelColour colour) {
    TDibBuffer buffer;
    buffer.Allocate(width, height, bits);
    for (std::int32_t row = 0; row < buffer.RowCount(); ++row) {
        for (std::int32_t column = 0; column < width; ++column) buffer.WritePixel(row, column, colour);
    }
    return buffer;
}

TEST(BlendTest, ChannelsMultiplyAndDivideBy256) {
    const PixelColour texel = MakeColour(50, 100, 200);
    struct Case {
        PixelColour Light, Expected;
    };
    for (const Case& c : {Case{MakeColour(128, 128, 128), MakeColour(25, 50, 100)},
                          Case{MakeColour(255, 255, 255), MakeColour(49, 99, 199)},
                          Case{MakeColour(0, 0, 0), MakeColour(0, 0, 0)}}) {
        TDibBuffer texture = Filled(3, 2, 24, texel);
        const TDibBuffer light = Filled(3, 2, 24, c.Light);
        MultiplyBuffers(texture, texture, light);
        EXPECT_EQ(texture.ReadPixel(1, 2), c.Expected);
    }
}

TEST(BlendTest, PaddingBytesAreLeftAlone) {
    TDibBuffer texture = Filled(5, 2, 24, MakeColour(9, 9, 9));
    const TDibBuffer light = Filled(5, 2, 24, MakeColour(255, 255, 255));
    ASSERT_EQ(texture.RowGap(), 1);
    texture.RowTable(0)[15] = 0xAB;
    texture.RowTable(1)[15] = 0xCD;
    MultiplyBuffers(texture, texture, light);
    EXPECT_EQ(texture.RowTable(0)[14], 8);
    EXPECT_EQ(texture.RowTable(0)[15], 0xAB);
    EXPECT_EQ(texture.RowTable(1)[15], 0xCD);
}

// A buffer of varied bytes, every one of them set: byte i is i x step + start.
TDibBuffer Varied(std::int32_t width, std::int32_t rows, std::uint8_t bits, std::size_t step, std::size_t start) {
    TDibBuffer buffer;
    buffer.Allocate(width, rows, bits);
    for (std::size_t i = 0; i < buffer.PixelBytes(); ++i) buffer.PixelData()[i] = static_cast<std::uint8_t>(i * step + start);
    return buffer;
}

// Long rows of varied bytes, so that any wide path and its remainder are both covered,
// with the destination standing for either source or both.
TEST(BlendTest, EveryByteFollowsTheFormulaWhateverTheAliasing) {
    TDibBuffer a = Varied(37, 3, 24, 37, 11), b = Varied(37, 3, 24, 101, 3);
    const std::vector<std::uint8_t> before(a.PixelData(), a.PixelData() + a.PixelBytes());
    const std::vector<std::uint8_t> other(b.PixelData(), b.PixelData() + b.PixelBytes());
    const auto expectProduct = [&](const TDibBuffer& result, const std::vector<std::uint8_t>& x,
                                   const std::vector<std::uint8_t>& y, const char* what) {
        for (std::int32_t row = 0; row < result.RowCount(); ++row) {
            for (std::int32_t k = 0; k < 111; ++k) {
                const std::size_t i = static_cast<std::size_t>(row) * result.BytesPerRow() + k;
                ASSERT_EQ(result.PixelData()[i], (x[i] * y[i]) >> 8) << what << " byte " << i;
            }
        }
    };

    TDibBuffer destination;
    destination.Allocate(37, 3, 24);
    MultiplyBuffers(destination, a, b);
    expectProduct(destination, before, other, "separate");
    MultiplyBuffers(b, a, b);
    expectProduct(b, before, other, "destination is source 2");
    MultiplyBuffers(a, a, a);
    expectProduct(a, before, before, "all three the same");
}

// Rows multiplied on several threads are those multiplied one after the
// other, at every depth the product handles.
TEST(BlendTest, RowsOnSeveralThreadsMultiplyAsOnOne) {
    for (const std::uint8_t bits : {8, 16, 24, 32}) {
        const TDibBuffer a = Varied(13, 37, bits, 7, 3), b = Varied(13, 37, bits, 13, 101);
        TDibBuffer serial;
        serial.CopyFromBitmap(a);
        MultiplyBuffers(serial, serial, b);
        for (const int threads : {2, 3}) {
            TDibBuffer parallel;
            parallel.CopyFromBitmap(a);
            RunOptions options;
            options.Threads = threads;
            MultiplyBuffers(parallel, parallel, b, options);
            EXPECT_EQ(std::memcmp(parallel.PixelData(), serial.PixelData(), serial.PixelBytes()), 0)
                << static_cast<int>(bits) << " bits, " << threads << " threads";
        }
    }
}

TEST(BlendTest, EightAndThirtyTwoBitsMultiplyEveryByte) {
    TDibBuffer indexes;
    indexes.Allocate(2, 1, 8);
    indexes.WriteIndex(0, 0, 200);
    indexes.WriteIndex(0, 1, 255);
    MultiplyBuffers(indexes, indexes, indexes);
    EXPECT_EQ(indexes.ReadIndex(0, 0), 156);
    EXPECT_EQ(indexes.ReadIndex(0, 1), 254);

    TDibBuffer wide;
    wide.Allocate(1, 1, 32);
    const std::uint8_t bytes[4] = {255, 128, 2, 200};
    std::memcpy(wide.RowTable(0), bytes, sizeof bytes);
    MultiplyBuffers(wide, wide, wide);
    EXPECT_EQ(wide.RowTable(0)[0], 254);
    EXPECT_EQ(wide.RowTable(0)[1], 64);
    EXPECT_EQ(wide.RowTable(0)[2], 0);
    EXPECT_EQ(wide.RowTable(0)[3], 156);
}

TEST(BlendTest, SixteenBitsMultiplyEachPackedChannel) {
    TDibBuffer bright, light;
    bright.Allocate(1, 1, 16);
    light.Allocate(1, 1, 16);
    const std::uint16_t white = 0x7FFF;
    const std::uint16_t mixed = (16 << 10) | (8 << 5) | 1;
    std::memcpy(bright.RowTable(0), &white, 2);
    std::memcpy(light.RowTable(0), &mixed, 2);
    MultiplyBuffers(bright, bright, light);
    std::uint16_t result;
    std::memcpy(&result, bright.RowTable(0), 2);
    EXPECT_EQ(result, (15 << 10) | (7 << 5) | 0);

    TDibBuffer green;
    green.AllocateFormat(1, 1, 16, 5, 6, 5);
    const std::uint16_t full = 0xFFFF;
    std::memcpy(green.RowTable(0), &full, 2);
    MultiplyBuffers(green, green, green);
    std::memcpy(&result, green.RowTable(0), 2);
    EXPECT_EQ(result, (30 << 11) | (62 << 5) | 30);
}

TEST(BlendTest, MismatchedSourcesAreRejectedBeforeAnythingChanges) {
    TDibBuffer texture = Filled(4, 4, 24, MakeColour(100, 100, 100));
    const TDibBuffer good = Filled(4, 4, 24, MakeColour(128, 128, 128));
    const TDibBuffer fewerRows = Filled(4, 3, 24, MakeColour(128, 128, 128));
    const TDibBuffer shorterRows = Filled(3, 4, 24, MakeColour(128, 128, 128));
    const TDibBuffer otherDepth = Filled(4, 4, 32, MakeColour(128, 128, 128));
    const TDibBuffer empty;

    const auto messageOf = [&](const TDibBuffer& source1, const TDibBuffer& source2) {
        return test::MessageOf<Error>([&] { MultiplyBuffers(texture, source1, source2); });
    };
    EXPECT_EQ(messageOf(good, fewerRows),
              "MultiplyBuffers: source 2 has 3 rows, fewer than the destination's 4");
    EXPECT_EQ(messageOf(shorterRows, good),
              "MultiplyBuffers: source 1 has rows of 9 pixel bytes, shorter than the "
              "destination's 12");
    EXPECT_EQ(messageOf(good, otherDepth),
              "MultiplyBuffers: source 2 has 32 bits per pixel, the destination 24");
    EXPECT_EQ(messageOf(empty, good), "MultiplyBuffers: source 1 has no pixels");
    EXPECT_EQ(texture.ReadPixel(3, 3), MakeColour(100, 100, 100));

    const TDibBuffer taller = Filled(5, 6, 24, MakeColour(255, 255, 255));
    MultiplyBuffers(texture, taller, taller);
    EXPECT_EQ(texture.ReadPixel(3, 3), MakeColour(254, 254, 254));
}

TEST(BlendTest, OtherDepthsAreLeftAlone) {
    TDibBuffer nibbles;
    nibbles.Allocate(2, 1, 4);
    nibbles.WriteIndex(0, 0, 9);
    const TDibBuffer empty;
    MultiplyBuffers(nibbles, empty, empty);
    EXPECT_EQ(nibbles.ReadIndex(0, 0), 9);

    TDibBuffer nothing;
    MultiplyBuffers(nothing, empty, empty);
    EXPECT_TRUE(nothing.IsEmpty());
}

}  // namespace
}  // namespace orvalis
