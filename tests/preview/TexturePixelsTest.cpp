#include <gtest/gtest.h>

#include "common/BmpBytes.h"
#include "common/ScratchFolder.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"
#include "preview/Textures.h"

namespace orvalis {
namespace {

using test::MakeBmp24;
using test::ScratchFolder;

// Every pixel different: red from the column, green from the row, blue fixed.
PixelColour Distinct(int x, int y) {
    return MakeColour(static_cast<std::uint8_t>(10 + x), static_cast<std::uint8_t>(100 + y), 7);
}

// The pixels the loader hands to GL for a file.
TexturePixels TexturePixelsOfFile(const std::string& file) { return TexturePixelsOf(ReadPictureFile(file).Pixels); }

void ExpectDistinctPixels(const TexturePixels& pixels, int width, int height) {
    ASSERT_EQ(pixels.Width, width);
    ASSERT_EQ(pixels.Height, height);
    ASSERT_EQ(pixels.Rgb.size(), static_cast<std::size_t>(width * height * 3));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &pixels.Rgb[(y * width + x) * 3];
            ASSERT_EQ(p[0], 10 + x) << x << ", " << y;
            ASSERT_EQ(p[1], 100 + y) << x << ", " << y;
            ASSERT_EQ(p[2], 7) << x << ", " << y;
        }
    }
}

// Widths 5 and 6 have padded rows; reading them as unpadded shears the picture.
TEST(TexturePixels, ReadsRgbRowsBottomFirstWithoutPadding) {
    ScratchFolder folder;
    for (const int width : {4, 5, 6, 7}) {
        const std::string file = folder.Write("p.bmp", MakeBmp24(width, 3, Distinct));
        ExpectDistinctPixels(TexturePixelsOfFile(file), width, 3);
    }
}

TEST(TexturePixels, TakesThePixelsFromThePixelOffset) {
    ScratchFolder folder;
    auto bytes = MakeBmp24(5, 2, Distinct);
    bytes.insert(bytes.begin() + 54, 12, 0xEE);  // a gap between headers and pixels
    test::PutU32(bytes, test::kPixelOffsetAt, 54 + 12);
    ExpectDistinctPixels(TexturePixelsOfFile(folder.Write("gap.bmp", bytes)), 5, 2);

    auto larger = MakeBmp24(5, 2, Distinct);  // a 124-byte information header
    larger.insert(larger.begin() + 54, 84, 0);
    test::PutU32(larger, test::kHeaderSizeAt, 124);
    test::PutU32(larger, test::kPixelOffsetAt, 14 + 124);
    ExpectDistinctPixels(TexturePixelsOfFile(folder.Write("v5.bmp", larger)), 5, 2);

    auto unpaddedEnd = MakeBmp24(5, 2, Distinct);
    unpaddedEnd.pop_back();  // the last row's padding byte is not needed
    ExpectDistinctPixels(TexturePixelsOfFile(folder.Write("end.bmp", unpaddedEnd)), 5, 2);
}

// The texture of a picture stored top-down, in 8 bits or as a PNG (as
// --format png writes it) has the pixels of its 24-bit bottom-up BMP.
TEST(TexturePixels, EveryPictureGivesTheRowsOfItsBottomUpBmp) {
    ScratchFolder folder;
    const std::string bmp = folder.Write("p.bmp", MakeBmp24(5, 3, Distinct));
    const TDibBuffer picture = ReadPictureFile(bmp).Pixels;
    TDibBuffer topDown, indexed;
    topDown.Allocate(5, -3, 24);
    indexed.Allocate(5, 3, 8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const PixelColour c = Distinct(x, y);
            const auto index = static_cast<std::uint8_t>(5 * y + x);
            indexed.SetColour(index, RgbQuad{c.Blue, c.Green, c.Red, 0});
            indexed.WriteIndex(y, x, index);
        }
    }
    picture.BlitTo(topDown.DeviceContext(), 0, 0);
    topDown.WriteBmpFile(folder.PathOf("top-down.bmp"));
    indexed.WriteBmpFile(folder.PathOf("indexed.bmp"));
    WritePngFile(folder.PathOf("p.png"), picture);
    for (const char* name : {"top-down.bmp", "indexed.bmp", "p.png"}) {
        SCOPED_TRACE(name);
        ExpectDistinctPixels(TexturePixelsOfFile(folder.PathOf(name)), 5, 3);
    }
}

}  // namespace
}  // namespace orvalis
