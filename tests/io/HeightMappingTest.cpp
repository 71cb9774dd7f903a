// How samples become heights at the edges of the mapping: the rounding of
// the range mapping, cells without data inside and above the data's range,
// and the byte order of RAW words.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"
#include "raster/HeightPlane.h"

namespace orvalis {
namespace {

using HeightMappingTest = test::ScratchFolderTest;

// The fine height of the pixel `column` of row y counted from the top.
double HeightAt(const Picture& picture, std::int32_t y, std::int32_t column) {
    return picture.FineHeights->At(PlaneRowOfDeviceRow(picture.FineHeights->Rows, y), column);
}

// Every whole number 0 .. 65535 mapped over the range 0 .. 65535 is the
// 16-bit word's height v / 257 exactly: the mapping multiplies by 255 before
// it divides by the span, so each height is rounded once (divided first,
// v = 33 among many others would round twice and land a step off).
TEST_F(HeightMappingTest, TheRangeMappingRoundsOnce) {
    struct Case {
        const char* Name;
        GDALDataType Type;
        double Low;  // added to every word
        std::optional<HeightRange> Range;
    };
    const Case cases[] = {
        {"Float32 over --height-range 0:65535", GDT_Float32, 0, HeightRange{0, 65535}},
        {"Float32 over its own range -1000 .. 64535", GDT_Float32, -1000, std::nullopt},
        {"Int32 over --height-range -7:65528", GDT_Int32, -7, HeightRange{-7, 65528}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::GdalPicture file{256, 256, 1, c.Type};
        for (int v = 0; v < 65536; ++v) file.Samples.push_back(c.Low + v);
        test::WriteWithGdal(PathOf("all.tif"), "GTiff", file);
        const Picture picture = ReadPictureFile(PathOf("all.tif"), {c.Range});
        ASSERT_TRUE(picture.FineHeights);
        int wrong = 0;
        for (int v = 0; v < 65536; ++v) {
            const double height = HeightAt(picture, v / 256, v % 256);
            if (height != v / 257.0 && ++wrong <= 3) ADD_FAILURE() << "word " << v << ": " << height;
        }
        EXPECT_EQ(wrong, 0);
    }
}

// A cell without data lies lowest, wherever its marker value falls: inside
// the range asked for (where mapping it would give a middle height) or above
// the data (where counting it would stretch the data's own range).
TEST_F(HeightMappingTest, CellsWithoutDataLieLowestWhereverTheirValueFalls) {
    struct Case {
        const char* Name;
        double NoData;
        std::optional<HeightRange> Range;
        std::vector<double> Heights;  // of the samples 20, NoData, 100, 0, 60
    };
    const Case cases[] = {
        {"marker inside --height-range", 50, HeightRange{0, 200}, {25.5, 0, 127.5, 0, 76.5}},
        {"marker above the data", 9999, std::nullopt, {51, 0, 255, 0, 153}},
        {"marker below the data", -1, std::nullopt, {51, 0, 255, 0, 153}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::GdalPicture file{5, 1, 1, GDT_Float32, {20, c.NoData, 100, 0, 60}};
        file.HasNoData = true;
        file.NoData = c.NoData;
        test::WriteWithGdal(PathOf("holes.tif"), "GTiff", file);
        const Picture picture = ReadPictureFile(PathOf("holes.tif"), {c.Range});
        ASSERT_TRUE(picture.FineHeights);
        for (int x = 0; x < 5; ++x) EXPECT_EQ(HeightAt(picture, 0, x), c.Heights[x]) << "sample " << x;
    }
}

// RAW words are little-endian: words whose two bytes differ read as the
// same words of a 16-bit grey PNG, pixel for pixel and height for height.
TEST_F(HeightMappingTest, RawWordsAreLittleEndian) {
    const std::vector<std::uint16_t> words = {0x0001, 0x0100, 0x00ff, 0xff00, 0x1234, 0x3412, 0x8081, 0xfe01,
                                              0x7f80, 0x0203, 0xc0de, 0xdec0, 0x00fe, 0xa55a, 0x5aa5, 0xfffe};
    {
        std::ofstream raw(PathOf("h.r16"), std::ios::binary);
        for (const std::uint16_t w : words) raw.put(static_cast<char>(w & 0xff)).put(static_cast<char>(w >> 8));
    }
    test::GdalPicture png{4, 4, 1, GDT_UInt16, std::vector<double>(words.begin(), words.end())};
    test::WriteWithGdal(PathOf("h.png"), "PNG", png);
    const Picture fromRaw = ReadPictureFile(PathOf("h.r16")), fromPng = ReadPictureFile(PathOf("h.png"));
    ASSERT_TRUE(fromRaw.FineHeights && fromPng.FineHeights);
    for (int i = 0; i < 16; ++i) {
        const int y = i / 4, x = i % 4;
        SCOPED_TRACE(testing::Message() << "word 0x" << std::hex << words[i]);
        EXPECT_EQ(HeightAt(fromRaw, y, x), words[i] / 257.0);
        EXPECT_EQ(HeightAt(fromRaw, y, x), HeightAt(fromPng, y, x));
        const PixelColour pixel = fromRaw.Pixels.ReadPixel(fromRaw.Pixels.BufferRow(y), x);
        EXPECT_EQ(pixel.Red, (words[i] + 128) / 257);
        EXPECT_EQ(pixel.Red, fromPng.Pixels.ReadPixel(fromPng.Pixels.BufferRow(y), x).Red);
    }
}

}  // namespace
}  // namespace orvalis
