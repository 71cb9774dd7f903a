#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "raster/DibBuffer.h"

namespace orvalis {
namespace {

constexpr PixelColour kUntouched{0xEE, 0xEE, 0xEE};

// Device row y of a picture: rows count from the top, buffers store them in memory order.
std::int32_t BufferRowOf(const TDibBuffer& buffer, std::int32_t y) {
    return buffer.IsTopDown() ? y : buffer.RowCount() - 1 - y;
}

PixelColour At(const TDibBuffer& buffer, std::int32_t x, std::int32_t y) {
    return buffer.ReadPixel(BufferRowOf(buffer, y), x);
}

// The colour that tells where a pixel lies: red = x, green = y.
PixelColour Position(std::int32_t x, std::int32_t y) {
    return MakeColour(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7);
}

TDibBuffer PositionPicture(std::int32_t width, std::int32_t height) {
    TDibBuffer picture;
    picture.Allocate(width, height, 24);
    for (std::int32_t y = 0; y < picture.RowCount(); ++y) {
        for (std::int32_t x = 0; x < width; ++x) picture.WritePixel(BufferRowOf(picture, y), x, Position(x, y));
    }
    return picture;
}

TDibBuffer UntouchedTarget(std::int32_t width, std::int32_t height) {
    TDibBuffer target;
    target.Allocate(width, height, 24);
    std::memset(target.PixelData(), 0xEE, target.PixelBytes());
    return target;
}


// Compares every pixel of a picture, by device coordinates, with expected(x, y).
template <class Expected>
void ExpectPicture(const TDibBuffer& picture, Expected expected) {
    for (std::int32_t y = 0; y < picture.RowCount(); ++y) {
        for (std::int32_t x = 0; x < picture.Width(); ++x) {
            ASSERT_EQ(At(picture, x, y), expected(x, y)) << "at " << x << ", " << y;
        }
    }
}

TEST(TransferTest, BlitToWritesOnlyTheVisiblePartOfItsRectangle) {
    const TDibBuffer source = PositionPicture(100, 100);
    TDibBuffer target = UntouchedTarget(256, 256);
    EXPECT_NE(source.BlitTo(target.DeviceContext(), 200, 200), 0);
    for (std::int32_t row = 0; row < 256; ++row) {
        for (std::int32_t column = 0; column < 256; ++column) {
            // Device rows 200..255 are buffer rows 55..0 of the bottom-up target.
            const PixelColour expected = row <= 55 && column >= 200
                                             ? Position(column - 200, 255 - row - 200)
                                             : kUntouched;
            ASSERT_EQ(target.ReadPixel(row, column), expected) << row << ", " << column;
        }
    }
}

TEST(TransferTest, TilingCutsTheLastCopiesAtTheRightAndBottomEdges) {
    const TDibBuffer tile = PositionPicture(100, 60);
    TDibBuffer target = UntouchedTarget(256, 256);
    for (std::int32_t iy = 0; iy * 60 < 256; ++iy) {
        for (std::int32_t ix = 0; ix * 100 < 256; ++ix) {
            tile.BlitTo(target.DeviceContext(), 100 * ix, 60 * iy);
        }
    }
    ExpectPicture(target, [](std::int32_t x, std::int32_t y) { return Position(x % 100, y % 60); });
    // The cut row of copies (device rows 240..255) lies at the bottom of memory.
    EXPECT_EQ(target.ReadPixel(0, 0), Position(0, 15));
    EXPECT_EQ(target.ReadPixel(255, 0), Position(0, 0));
}

TEST(TransferTest, EnlargingByAWholeFactorRepeatsBlocks) {
    const TDibBuffer source = PositionPicture(256, 256);
    TDibBuffer target = UntouchedTarget(1024, 1024);
    source.StretchTo(target.DeviceContext(), 0, 0, 1024, 1024);
    ExpectPicture(target, [](std::int32_t x, std::int32_t y) { return Position(x / 4, y / 4); });
}

TEST(TransferTest, ShrinkingAndsTheMergedPixels) {
    TDibBuffer source;
    source.Allocate(4, 2, 24);
    // Device rows: top 0x0F 0x3C | 0xF0 0xFF, bottom 0x1E 0x7F | 0xFF 0xF3.
    const std::uint8_t top[4] = {0x0F, 0x3C, 0xF0, 0xFF};
    const std::uint8_t bottom[4] = {0x1E, 0x7F, 0xFF, 0xF3};
    for (std::int32_t x = 0; x < 4; ++x) {
        source.WritePixel(1, x, MakeColour(top[x], top[x], 0xFF));
        source.WritePixel(0, x, MakeColour(bottom[x], 0xFF, bottom[x]));
    }

    TDibBuffer both = UntouchedTarget(2, 1);
    source.StretchTo(both.DeviceContext(), 0, 0, 2, 1);
    EXPECT_EQ(At(both, 0, 0), MakeColour(0x0F & 0x3C & 0x1E & 0x7F, 0x0F & 0x3C, 0x1E & 0x7F));
    EXPECT_EQ(At(both, 1, 0), MakeColour(0xF0 & 0xFF & 0xFF & 0xF3, 0xF0, 0xF3));

    TDibBuffer across = UntouchedTarget(2, 2);  // merges along the rows only
    source.StretchTo(across.DeviceContext(), 0, 0, 2, 2);
    EXPECT_EQ(At(across, 0, 0), MakeColour(0x0F & 0x3C, 0x0F & 0x3C, 0xFF));
    EXPECT_EQ(At(across, 1, 1), MakeColour(0xFF & 0xF3, 0xFF, 0xFF & 0xF3));
}

TEST(TransferTest, StretchPartToMapsASubRectangle) {
    const TDibBuffer source = PositionPicture(8, 8);
    TDibBuffer target = UntouchedTarget(8, 8);
    source.StretchPartTo(target.DeviceContext(), 1, 2, 6, 4, 2, 1, 3, 2);
    ExpectPicture(target, [](std::int32_t x, std::int32_t y) {
        const bool inside = x >= 1 && x < 7 && y >= 2 && y < 6;
        return inside ? Position(2 + (x - 1) / 2, 1 + (y - 2) / 2) : kUntouched;
    });
}

TEST(TransferTest, ExtentsOfDifferentSignMirror) {
    const TDibBuffer source = PositionPicture(4, 2);
    TDibBuffer target = UntouchedTarget(4, 2);
    source.StretchTo(target.DeviceContext(), 4, 0, -4, 2);
    ExpectPicture(target, [](std::int32_t x, std::int32_t y) { return Position(3 - x, y); });

    source.StretchPartTo(target.DeviceContext(), 0, 0, 4, 2, 0, 2, 4, -2);
    ExpectPicture(target, [](std::int32_t x, std::int32_t y) { return Position(x, 1 - y); });

    // Mirrored and clipped: only device columns 0 and 1 of the run -2..1 are visible.
    TDibBuffer clipped = UntouchedTarget(4, 1);
    source.StretchPartTo(clipped.DeviceContext(), 2, 0, -4, 1, 0, 0, 4, 1);
    EXPECT_EQ(At(clipped, 0, 0), Position(1, 0));
    EXPECT_EQ(At(clipped, 1, 0), Position(0, 0));
    EXPECT_EQ(At(clipped, 2, 0), kUntouched);
}

TEST(TransferTest, EmptyRectanglesAndBuffersDrawNothing) {
    const TDibBuffer source = PositionPicture(4, 4);
    TDibBuffer target = UntouchedTarget(4, 4);
    EXPECT_EQ(source.StretchTo(target.DeviceContext(), 0, 0, 0, 4), 0);
    // Negative target and source extents together ask for no mirror: an empty rectangle.
    EXPECT_EQ(source.StretchPartTo(target.DeviceContext(), 4, 0, -4, 4, 4, 0, -4, 4), 0);
    EXPECT_EQ(source.StretchPartTo(target.DeviceContext(), 0, 0, 4, 4, 0, 0, 0, 4), 0);
    EXPECT_EQ(source.BlitTo(target.DeviceContext(), 4, 0), 0);
    EXPECT_EQ(source.BlitTo(target.DeviceContext(), -4, 0), 0);
    EXPECT_EQ(source.BlitTo(TDeviceContext{}, 0, 0), 0);
    EXPECT_EQ(TDibBuffer().BlitTo(target.DeviceContext(), 0, 0), 0);
    EXPECT_EQ(source.StretchTo(target.DeviceContext(), 0, 0, std::numeric_limits<std::int32_t>::min(), 4), 0);
    ExpectPicture(target, [](std::int32_t, std::int32_t) { return kUntouched; });
}

TEST(TransferTest, NegativeOriginsAreClipped) {
    const TDibBuffer source = PositionPicture(4, 4);
    TDibBuffer target = UntouchedTarget(4, 4);
    source.BlitTo(target.DeviceContext(), -2, -1);
    ExpectPicture(target, [](std::int32_t x, std::int32_t y) {
        return x < 2 && y < 3 ? Position(x + 2, y + 1) : kUntouched;
    });
}

TEST(TransferTest, SourcePixelsOutsideThePictureAreBlack) {
    const TDibBuffer source = PositionPicture(2, 2);
    TDibBuffer target = UntouchedTarget(3, 3);
    source.StretchPartTo(target.DeviceContext(), 0, 0, 3, 3, -1, -1, 3, 3);
    ExpectPicture(target, [](std::int32_t x, std::int32_t y) {
        return x == 0 || y == 0 ? PixelColour{} : Position(x - 1, y - 1);
    });

    // Shrinking a far larger rectangle merges in black.
    source.StretchPartTo(target.DeviceContext(), 0, 0, 1, 1, -1000000, 0, 2000000, 2);
    EXPECT_EQ(At(target, 0, 0), PixelColour{});
}

TEST(TransferTest, TopDownRowsKeepTheirPictureOrder) {
    TDibBuffer source;
    source.Allocate(1, -2, 24);
    source.WritePixel(0, 0, MakeColour(1, 1, 1));  // top row of a top-down picture
    source.WritePixel(1, 0, MakeColour(2, 2, 2));

    TDibBuffer bottomUp = UntouchedTarget(1, 2);
    source.BlitTo(bottomUp.DeviceContext(), 0, 0);
    EXPECT_EQ(bottomUp.ReadPixel(1, 0), MakeColour(1, 1, 1));
    EXPECT_EQ(bottomUp.ReadPixel(0, 0), MakeColour(2, 2, 2));

    TDibBuffer topDown = UntouchedTarget(1, -2);
    source.StretchTo(topDown.DeviceContext(), 0, 0, 1, 2);
    EXPECT_EQ(topDown.ReadPixel(0, 0), MakeColour(1, 1, 1));
    EXPECT_EQ(topDown.ReadPixel(1, 0), MakeColour(2, 2, 2));
}

TEST(TransferTest, OtherDepthsConvertToTwentyFourBits) {
    TDibBuffer grey;
    grey.Allocate(256, 1, 8);
    for (int i = 0; i < 256; ++i) {
        const auto g = static_cast<std::uint8_t>(i);
        grey.SetColour(i, RgbQuad{g, g, g, 0});
        grey.WriteIndex(0, i, g);
    }
    TDibBuffer target = UntouchedTarget(256, 1);
    grey.BlitTo(target.DeviceContext(), 0, 0);
    ExpectPicture(target, [](std::int32_t x, std::int32_t) {
        const auto g = static_cast<std::uint8_t>(x);
        return MakeColour(g, g, g);
    });

    TDibBuffer packed;
    packed.Allocate(2, 1, 16);
    const std::uint16_t words[2] = {0x7E00, 0x001F};
    std::memcpy(packed.RowTable(0), words, sizeof words);
    packed.BlitTo(target.DeviceContext(), 0, 0);
    EXPECT_EQ(target.ReadPixel(0, 0), MakeColour(255, 132, 0));
    EXPECT_EQ(target.ReadPixel(0, 1), MakeColour(0, 0, 255));

    TDibBuffer wide;
    wide.Allocate(1, 1, 32);
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    std::memcpy(wide.RowTable(0), bytes, sizeof bytes);
    wide.BlitTo(target.DeviceContext(), 0, 0);
    EXPECT_EQ(target.ReadPixel(0, 0), MakeColour(3, 2, 1));
}

TEST(TransferTest, DrawingOntoItselfReadsTheOriginalPixels) {
    TDibBuffer strip = PositionPicture(4, 1);
    strip.BlitTo(strip.DeviceContext(), 1, 0);  // a copy made in place would smear pixel 0
    ExpectPicture(strip, [](std::int32_t x, std::int32_t) { return Position(x == 0 ? 0 : x - 1, 0); });
}

TEST(TransferTest, CopyFromBitmapTakesFormatTableAndPixels) {
    const TDibBuffer picture = PositionPicture(64, 32);
    TDibBuffer copy;
    copy.CopyFromBitmap(picture);
    EXPECT_EQ(copy.Width(), 64);
    EXPECT_EQ(copy.Height(), 32);
    EXPECT_EQ(copy.BitsPerPixel(), 24);
    EXPECT_EQ(std::memcmp(copy.PixelData(), picture.PixelData(), picture.PixelBytes()), 0);

    TDibBuffer indexed;
    indexed.Allocate(3, -1, 4);
    indexed.SetColour(9, RgbQuad{30, 20, 10, 0});
    indexed.WriteIndex(0, 2, 9);
    copy.CopyFromBitmap(indexed);
    EXPECT_EQ(copy.BitsPerPixel(), 4);
    EXPECT_TRUE(copy.IsTopDown());
    EXPECT_EQ(copy.ReadPixel(0, 2), MakeColour(10, 20, 30));

    TDibBuffer packed;
    packed.AllocateFormat(2, 2, 16, 5, 6, 5);
    copy.CopyFromBitmap(packed);
    EXPECT_EQ(copy.Info().Header.biCompression, BI_BITFIELDS);
    EXPECT_EQ(copy.GreenField().Mask, 0x07E0u);

    copy.CopyFromBitmap(copy);
    EXPECT_EQ(copy.BitsPerPixel(), 16);

    copy.CopyFromBitmap(TDibBuffer());
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.Width(), 0);
}

}  // namespace
}  // namespace orvalis
