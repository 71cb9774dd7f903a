#include <cstring>
#include <stdexcept>
#include <utility>

#include <gtest/gtest.h>

#include "raster/DibBuffer.h"
#include "files/Error.h"

namespace orvalis {
namespace {

std::uint32_t Word32(const std::uint8_t* p) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

std::uint16_t Word16(const std::uint8_t* p) {
    std::uint16_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

BitmapInfo BitFieldInfo(int bits, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    BitmapInfo info;
    info.Header.biWidth = 4;
    info.Header.biHeight = 2;
    info.Header.biBitCount = static_cast<std::uint16_t>(bits);
    info.Header.biCompression = BI_BITFIELDS;
    info.SetMask(kRedMask, red);
    info.SetMask(kGreenMask, green);
    info.SetMask(kBlueMask, blue);
    return info;
}

TEST(DibBufferTest, RowsArePaddedToWholeWords) {
    struct Case {
        std::int32_t Width;
        std::uint8_t Bits;
        std::int32_t BytesPerRow, RowGap;
    };
    for (const Case& c : {Case{256, 24, 768, 0}, Case{5, 24, 16, 1}, Case{3, 1, 4, 3},
                          Case{3, 4, 4, 2}, Case{3, 8, 4, 1}, Case{3, 16, 8, 2},
                          Case{3, 32, 12, 0}, Case{33, 1, 8, 3}}) {
        TDibBuffer buffer;
        buffer.Allocate(c.Width, 2, c.Bits);
        EXPECT_EQ(buffer.BytesPerRow(), c.BytesPerRow) << c.Width << " x " << int{c.Bits};
        EXPECT_EQ(buffer.RowGap(), c.RowGap) << c.Width << " x " << int{c.Bits};
    }

    TDibBuffer texture;
    texture.Allocate(256, 256, 24);
    EXPECT_EQ(texture.Info().Header.biSizeImage, 196608u);
    EXPECT_EQ(texture.Info().Header.biCompression, BI_RGB);
    EXPECT_EQ(texture.RowTable(255), texture.PixelData() + 768 * 255);
}

TEST(DibBufferTest, TwentyFourBitPixelTouchesOnlyItsThreeBytes) {
    TDibBuffer buffer;
    buffer.Allocate(5, 3, 24);
    std::memset(buffer.PixelData(), 0xAA, buffer.PixelBytes());
    buffer.WritePixel(2, 4, MakeColour(10, 20, 30));
    const std::uint8_t* row = buffer.RowTable(2);
    EXPECT_EQ(row[11], 0xAA);
    EXPECT_EQ(row[12], 30);  // blue, green, red in memory
    EXPECT_EQ(row[13], 20);
    EXPECT_EQ(row[14], 10);
    EXPECT_EQ(row[15], 0xAA);
    EXPECT_EQ(buffer.ReadPixel(2, 4), MakeColour(10, 20, 30));
}

TEST(DibBufferTest, SameFormatKeepsPixelsAnotherGetsFreshZeroMemory) {
    TDibBuffer buffer;
    buffer.Allocate(4, 4, 24);
    buffer.WritePixel(1, 1, MakeColour(1, 2, 3));
    buffer.Allocate(4, 4, 24);
    EXPECT_EQ(buffer.ReadPixel(1, 1), MakeColour(1, 2, 3));

    buffer.Allocate(4, -4, 24);
    EXPECT_TRUE(buffer.IsTopDown());
    EXPECT_EQ(buffer.RowCount(), 4);
    EXPECT_EQ(buffer.ReadPixel(1, 1), PixelColour{});
}

TEST(DibBufferTest, DefaultAndRequestedChannelMasks) {
    TDibBuffer buffer;
    buffer.Allocate(2, 2, 16);
    EXPECT_EQ(buffer.Info().Header.biCompression, BI_RGB);
    EXPECT_EQ(buffer.Info().Mask(kRedMask), 0x7C00u);
    EXPECT_EQ(buffer.Info().Mask(kGreenMask), 0x03E0u);
    EXPECT_EQ(buffer.Info().Mask(kBlueMask), 0x001Fu);

    buffer.AllocateFormat(2, 2, 16, 5, 6, 5);
    EXPECT_EQ(buffer.Info().Header.biCompression, BI_BITFIELDS);
    EXPECT_EQ(buffer.Info().Mask(kRedMask), 0xF800u);
    EXPECT_EQ(buffer.Info().Mask(kGreenMask), 0x07E0u);
    // The masks take the colour table's place: no colour may overwrite them.
    EXPECT_THROW(buffer.SetColour(kRedMask, RgbQuad{1, 2, 3, 4}), std::invalid_argument);
    EXPECT_EQ(buffer.Info().Mask(kRedMask), 0xF800u);

    buffer.Allocate(2, 2, 32);
    EXPECT_EQ(buffer.Info().Header.biCompression, BI_RGB);
    EXPECT_EQ(buffer.Info().Mask(kRedMask), 0x00FF0000u);
    EXPECT_EQ(buffer.Info().Mask(kGreenMask), 0x0000FF00u);

    buffer.AllocateFormat(2, 2, 0, 0, 0, 0);  // the screen's depth
    EXPECT_EQ(buffer.BitsPerPixel(), kScreenBitsPerPixel);
    EXPECT_EQ(buffer.Info().Mask(kRedMask), 0x00FF0000u);
}

TEST(DibBufferTest, SixteenBitPixelsDropLowBitsAndWidenByReplication) {
    TDibBuffer buffer;
    buffer.Allocate(2, 1, 16);
    buffer.WritePixel(0, 1, MakeColour(255, 128, 0));
    EXPECT_EQ(Word16(buffer.RowTable(0) + 2), 0x7E00);
    EXPECT_EQ(buffer.ReadPixel(0, 1), MakeColour(255, 132, 0));

    buffer.AllocateFormat(2, 1, 16, 5, 6, 5);
    buffer.WritePixel(0, 0, MakeColour(255, 128, 0));
    EXPECT_EQ(Word16(buffer.RowTable(0)), 0xFC00);
    EXPECT_EQ(buffer.ReadPixel(0, 0), MakeColour(255, 130, 0));
}

TEST(DibBufferTest, ThirtyTwoBitWriteKeepsTheFourthByte) {
    TDibBuffer buffer;
    buffer.Allocate(2, 1, 32);
    std::memset(buffer.PixelData(), 0x77, buffer.PixelBytes());
    buffer.WritePixel(0, 1, MakeColour(1, 2, 3));
    EXPECT_EQ(Word32(buffer.RowTable(0) + 4), 0x77010203u);
    EXPECT_EQ(buffer.ReadPixel(0, 1), MakeColour(1, 2, 3));
}

TEST(DibBufferTest, BitFieldsAtTheirRealPositions) {
    TDibBuffer buffer;
    buffer.AllocateFromInfo(BitFieldInfo(32, 0xFF000000, 0x00000FF0, 0x00FF0000));
    EXPECT_EQ(buffer.GreenField().Shift, 4);
    buffer.WritePixel(1, 2, MakeColour(0x12, 0x34, 0x56));
    EXPECT_EQ(Word32(buffer.RowTable(1) + 8), 0x12560340u);
    EXPECT_EQ(buffer.ReadPixel(1, 2), MakeColour(0x12, 0x34, 0x56));

    // 10-bit channels read back their top 8 bits.
    buffer.AllocateFromInfo(BitFieldInfo(32, 0x3FF00000, 0x000FFC00, 0x000003FF));
    const std::uint32_t word = (0x2C5u << 20) | (0x3FFu << 10) | 0x003u;
    std::memcpy(buffer.RowTable(0), &word, sizeof word);
    EXPECT_EQ(buffer.ReadPixel(0, 0), MakeColour(0xB1, 0xFF, 0x00));
    buffer.WritePixel(0, 1, MakeColour(0xB1, 0xFF, 0x00));
    EXPECT_EQ(Word32(buffer.RowTable(0) + 4), (0x2C4u << 20) | (0x3FCu << 10));

    buffer.AllocateFromInfo(BitFieldInfo(16, 0x0F00, 0x00F0, 0x000F));
    const std::uint16_t packed = 0x0ABC;
    std::memcpy(buffer.RowTable(0), &packed, sizeof packed);
    EXPECT_EQ(buffer.ReadPixel(0, 0), MakeColour(0xAA, 0xBB, 0xCC));
}

TEST(DibBufferTest, NearestIndexPrefersTheLowestIndexOnTies) {
    RgbQuad table[4] = {};
    table[1] = RgbQuad{255, 255, 255, 0};
    EXPECT_EQ(TDibBuffer::NearestIndex(table, 3, MakeColour(200, 200, 200)), 1);
    EXPECT_EQ(TDibBuffer::NearestIndex(table, 3, MakeColour(100, 100, 100)), 0);  // 300 vs 465

    table[2] = RgbQuad{10, 20, 30, 0};
    table[3] = table[2];
    EXPECT_EQ(TDibBuffer::NearestIndex(table, 3, MakeColour(30, 20, 10)), 2);
    EXPECT_EQ(TDibBuffer::NearestIndex(table, 1, MakeColour(30, 20, 10)), 0);  // 2 and 3 not searched

    RgbQuad white[2] = {RgbQuad{255, 255, 255, 0}, RgbQuad{255, 255, 255, 0}};
    EXPECT_EQ(TDibBuffer::NearestIndex(white, 1, MakeColour(0, 0, 0)), 0);  // 765 is no improvement

    TDibBuffer buffer;
    buffer.Allocate(2, 1, 8);
    buffer.SetColour(1, RgbQuad{255, 255, 255, 0});
    buffer.WritePixel(0, 1, MakeColour(200, 200, 200));
    EXPECT_EQ(buffer.ReadIndex(0, 1), 1);
    EXPECT_EQ(buffer.ReadPixel(0, 1), MakeColour(255, 255, 255));
}

TEST(DibBufferTest, ExpandChannelReplicatesBits) {
    struct Case {
        std::uint32_t Value;
        int Bits;
        std::uint8_t Expected;
    };
    for (const Case& c : {Case{31, 5, 255}, Case{16, 5, 132}, Case{63, 6, 255}, Case{32, 6, 130},
                          Case{1, 1, 255}, Case{0x100, 1, 0}, Case{2, 2, 170}, Case{5, 3, 182},
                          Case{0xA, 4, 0xAA}, Case{64, 7, 129}, Case{0x1AB, 8, 0xAB}}) {
        EXPECT_EQ(TDibBuffer::ExpandChannel(c.Value, c.Bits), c.Expected) << c.Value << "/" << c.Bits;
    }
}

TEST(DibBufferTest, OneAndFourBitIndexLayout) {
    TDibBuffer mono;
    mono.Allocate(12, 1, 1);
    mono.WriteIndex(0, 0, 1);
    mono.WriteIndex(0, 9, 3);  // only the low bit is stored
    EXPECT_EQ(mono.RowTable(0)[0], 0x80);
    EXPECT_EQ(mono.RowTable(0)[1], 0x40);
    mono.WriteIndex(0, 0, 0);
    EXPECT_EQ(mono.RowTable(0)[0], 0x00);
    EXPECT_EQ(mono.ReadIndex(0, 9), 1);

    TDibBuffer nibbles;
    nibbles.Allocate(3, 1, 4);
    nibbles.WriteIndex(0, 0, 0xA);
    nibbles.WriteIndex(0, 1, 0x5);
    nibbles.WriteIndex(0, 2, 0x1F);
    EXPECT_EQ(nibbles.RowTable(0)[0], 0xA5);
    EXPECT_EQ(nibbles.RowTable(0)[1], 0xF0);
    EXPECT_EQ(nibbles.ReadIndex(0, 1), 0x5);

}

TEST(DibBufferTest, AllocateFromInfoTakesTableAndDropsCompression) {
    BitmapInfo info;
    info.Header.biWidth = 3;
    info.Header.biHeight = -2;
    info.Header.biBitCount = 8;
    info.Header.biCompression = BI_RLE8;
    info.Colours[5] = RgbQuad{1, 2, 3, 0};
    TDibBuffer buffer;
    buffer.AllocateFromInfo(info);
    EXPECT_EQ(buffer.Info().Header.biCompression, BI_RGB);
    EXPECT_TRUE(buffer.IsTopDown());
    buffer.WriteIndex(1, 2, 5);
    EXPECT_EQ(buffer.ReadPixel(1, 2), MakeColour(3, 2, 1));
}

TEST(DibBufferTest, RejectedFormatsLeaveTheBufferAsItWas) {
    TDibBuffer buffer;
    buffer.Allocate(2, 2, 8);
    buffer.SetColour(1, RgbQuad{9, 9, 9, 0});
    buffer.WriteIndex(0, 0, 1);

    for (std::uint8_t bits : {2, 3, 7, 12, 64}) {
        EXPECT_THROW(buffer.Allocate(2, 2, bits), Error) << int{bits};
    }
    for (const auto& [width, height] : {std::pair{0, 2}, std::pair{-2, 2}, std::pair{2, 0},
                                       std::pair{TDibBuffer::kMaxDimension + 1, 2},
                                       std::pair{2, -TDibBuffer::kMaxDimension - 1}}) {
        EXPECT_THROW(buffer.Allocate(width, height, 24), Error) << width << " x " << height;
    }
    EXPECT_THROW(buffer.AllocateFormat(2, 2, 16, 6, 6, 6), Error);
    EXPECT_THROW(buffer.AllocateFormat(2, 2, 16, 5, 0, 5), Error);  // a zero green mask
    EXPECT_THROW(buffer.AllocateFromInfo(BitFieldInfo(32, 0xFF0000, 0, 0xFF)), Error);

    BitmapInfo noDepth;
    noDepth.Header.biWidth = 2;
    noDepth.Header.biHeight = 2;
    EXPECT_THROW(buffer.AllocateFromInfo(noDepth), Error);
    BitmapInfo twoBits = noDepth;
    twoBits.Header.biBitCount = 2;
    twoBits.Colours[1] = RgbQuad{200, 200, 200, 0};
    EXPECT_THROW(buffer.AllocateFromInfo(twoBits), Error);

    EXPECT_EQ(buffer.BitsPerPixel(), 8);
    EXPECT_EQ(buffer.Width(), 2);
    EXPECT_EQ(buffer.ReadPixel(0, 0), MakeColour(9, 9, 9));
}

}  // namespace
}  // namespace orvalis
