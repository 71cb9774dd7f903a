#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/BmpBytes.h"
#include "common/ErrorMessage.h"
#include "common/ScratchFolder.h"
#include "preview/BmpTextureFile.h"

namespace orvalis {
namespace {

using test::MakeBmp24;
using test::ScratchFolder;

// Every pixel different: red from the column, green from the row, blue fixed.
PixelColour Distinct(int x, int y) {
    return MakeColour(static_cast<std::uint8_t>(10 + x), static_cast<std::uint8_t>(100 + y), 7);
}

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
TEST(BmpTextureFile, ReadsRgbRowsBottomFirstWithoutPadding) {
    ScratchFolder folder;
    for (const int width : {4, 5, 6, 7}) {
        const std::string file = folder.Write("p.bmp", MakeBmp24(width, 3, Distinct));
        ExpectDistinctPixels(ReadBmpTexturePixels(file), width, 3);
    }
}

TEST(BmpTextureFile, TakesThePixelsFromThePixelOffset) {
    ScratchFolder folder;
    auto bytes = MakeBmp24(5, 2, Distinct);
    bytes.insert(bytes.begin() + 54, 12, 0xEE);  // a gap between headers and pixels
    test::PutU32(bytes, test::kPixelOffsetAt, 54 + 12);
    ExpectDistinctPixels(ReadBmpTexturePixels(folder.Write("gap.bmp", bytes)), 5, 2);

    auto larger = MakeBmp24(5, 2, Distinct);  // a 124-byte information header
    larger.insert(larger.begin() + 54, 84, 0);
    test::PutU32(larger, test::kHeaderSizeAt, 124);
    test::PutU32(larger, test::kPixelOffsetAt, 14 + 124);
    ExpectDistinctPixels(ReadBmpTexturePixels(folder.Write("v5.bmp", larger)), 5, 2);

    auto unpaddedEnd = MakeBmp24(5, 2, Distinct);
    unpaddedEnd.pop_back();  // the last row's padding byte is not needed
    ExpectDistinctPixels(ReadBmpTexturePixels(folder.Write("end.bmp", unpaddedEnd)), 5, 2);
}

// The reader's message for a file, or "no error" when it was read.
std::string MessageFor(const std::string& file) {
    return test::MessageOf<TextureFileError>([&] { ReadBmpTexturePixels(file); });
}

struct BrokenFile {
    const char* What;
    std::function<void(std::vector<std::uint8_t>&)> Break;
    std::string Message;  // "%" stands for the file's path
};

TEST(BmpTextureFile, ReportsEveryFileItCannotUse) {
    using test::PutU16;
    using test::PutU32;
    const std::string depth = " (the preview reads uncompressed 24-bit pictures)";
    const std::string size = " pixels (the preview reads 1 to 65535 pixels a side, bottom row first)";
    const std::vector<BrokenFile> cases = {
        {"short header", [](auto& b) { b.resize(50); }, "Error reading header of %"},
        {"8 bits", [](auto& b) { PutU16(b, test::kBitCountAt, 8); },
         "Unsupported BMP %: 8 bits per pixel, compression 0" + depth},
        {"compressed", [](auto& b) { PutU32(b, test::kCompressionAt, 3); },
         "Unsupported BMP %: 24 bits per pixel, compression 3" + depth},
        {"core header", [](auto& b) { PutU32(b, test::kHeaderSizeAt, 12); },
         "Unsupported BMP %: information header of 12 bytes"},
        {"zero width", [](auto& b) { PutU32(b, test::kWidthAt, 0); },
         "Unsupported BMP %: picture of 0 x 4" + size},
        {"top-down", [](auto& b) { PutU32(b, test::kHeightAt, static_cast<std::uint32_t>(-4)); },
         "Unsupported BMP %: picture of 4 x -4" + size},
        {"huge", [](auto& b) { PutU32(b, test::kHeightAt, 70000); },
         "Unsupported BMP %: picture of 4 x 70000" + size},
        {"offset in headers", [](auto& b) { PutU32(b, test::kPixelOffsetAt, 20); },
         "Unsupported BMP %: pixel data at offset 20 lies inside the headers"},
        {"offset past the end", [](auto& b) { PutU32(b, test::kPixelOffsetAt, 5000); },
         "Error reading palette"},
        {"pixels cut short", [](auto& b) { b.resize(b.size() - 4); }, "Error reading bitmap data"},
        {"many rows claimed", [](auto& b) { PutU32(b, test::kHeightAt, 65535); },
         "Error reading bitmap data"},
    };
    ScratchFolder folder;
    for (const BrokenFile& broken : cases) {
        auto bytes = MakeBmp24(4, 4, Distinct);
        broken.Break(bytes);
        const std::string file = folder.Write("broken.bmp", bytes);
        std::string expected = broken.Message;
        if (const auto at = expected.find('%'); at != std::string::npos) expected.replace(at, 1, file);
        EXPECT_EQ(MessageFor(file), expected) << broken.What;
    }
    const std::string missing = folder.PathOf("missing.bmp");
    EXPECT_EQ(MessageFor(missing), "Error opening " + missing);
    const std::string fifo = folder.PathOf("pipe.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(MessageFor(fifo), "Error opening " + fifo + ": is not a regular file (a FIFO)");
}

}  // namespace
}  // namespace orvalis
