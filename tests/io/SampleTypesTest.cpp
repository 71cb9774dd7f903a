#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

struct SampleCase {
    const char* Name;
    const char* File;
    const char* Driver;
    GDALDataType Type;
    const char* Option;
    std::vector<double> Samples;  // as GDAL stores them: a signed byte -1 is 255
    const char* SampleType;
    int Bits;
    HeightRange Range;       // of the file's own values, as `info` shows it
    std::vector<int> Levels;  // the pixels' 8-bit heights
};

using SampleTypesTest = test::ScratchFolderTest;

// Samples are read as their file declares them: signed bytes as signed, and
// fewer bits than the sample type (1-bit PNG, 12-bit TIFF) onto the whole
// 0 .. 255 scale, as other low depths are.
TEST_F(SampleTypesTest, SamplesAreReadAsDeclared) {
    const SampleCase cases[] = {
        {"signed 8-bit GeoTIFF", "signed.tif", "GTiff", GDT_Byte, "PIXELTYPE=SIGNEDBYTE", {128, 255, 0, 127},
         "Int8", 8, {-128, 127}, {0, 127, 128, 255}},
        {"1-bit PNG", "one.png", "PNG", GDT_Byte, "NBITS=1", {0, 1, 1, 0}, "Byte", 1, {0, 1}, {0, 255, 255, 0}},
        {"2-bit PNG", "two.png", "PNG", GDT_Byte, "NBITS=2", {0, 1, 2, 3}, "Byte", 2, {0, 3}, {0, 85, 170, 255}},
        {"4-bit PNG", "four.png", "PNG", GDT_Byte, "NBITS=4", {0, 1, 8, 15}, "Byte", 4, {0, 15}, {0, 17, 136, 255}},
        {"12-bit TIFF", "twelve.tif", "GTiff", GDT_UInt16, "NBITS=12", {0, 1, 2048, 4095}, "UInt16", 12, {0, 4095},
         {0, 0, 128, 255}},
        {"8-bit TIFF, unchanged", "eight.tif", "GTiff", GDT_Byte, nullptr, {0, 1, 128, 255}, "Byte", 8, {0, 255},
         {0, 1, 128, 255}},
        {"16-bit TIFF, unchanged", "sixteen.tif", "GTiff", GDT_UInt16, nullptr, {0, 257, 32896, 65535}, "UInt16",
         16, {0, 65535}, {0, 1, 128, 255}},
    };
    for (const SampleCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = PathOf(c.File);
        test::GdalPicture picture{4, 1, 1, c.Type, c.Samples};
        picture.Options[0] = c.Option;
        test::WriteWithGdal(path, c.Driver, picture);

        const PictureFacts facts = ReadPictureFacts(path);
        EXPECT_EQ(facts.Layout.SampleType, c.SampleType);
        EXPECT_EQ(facts.Layout.BitsPerSample, c.Bits);
        ASSERT_TRUE(facts.Range);
        EXPECT_EQ(facts.Range->Low, c.Range.Low);
        EXPECT_EQ(facts.Range->High, c.Range.High);
        const Picture read = ReadPictureFile(path);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(read.Pixels.ReadPixel(0, x).Red, c.Levels[x]) << x;
    }
}

// A 12-bit sample's height is its share of 4095, within the rounding of
// 16-bit heights; a palette's 4-bit indexes are no heights to scale.
TEST_F(SampleTypesTest, FineAndPaletteSamplesKeepTheirMeaning) {
    test::GdalPicture twelve{2, 1, 1, GDT_UInt16, {1000, 4095}};
    twelve.Options[0] = "NBITS=12";
    test::WriteWithGdal(PathOf("twelve.tif"), "GTiff", twelve);
    const Picture fine = ReadPictureFile(PathOf("twelve.tif"));
    ASSERT_TRUE(fine.FineHeights);
    EXPECT_NEAR(fine.FineHeights->At(0, 0), 1000 * 255 / 4095.0, 0.5 / 257);
    EXPECT_EQ(fine.FineHeights->At(0, 1), 255);

    test::GdalPicture indexed{2, 1, 1, GDT_Byte, {1, 2}, {{0, 0, 0, 255}, {10, 20, 30, 255}, {90, 60, 30, 255}}};
    indexed.Options[0] = "NBITS=4";
    test::WriteWithGdal(PathOf("indexed.png"), "PNG", indexed);
    const Picture colours = ReadPictureFile(PathOf("indexed.png"));
    EXPECT_EQ(colours.Pixels.ReadPixel(0, 0).Green, 20);
    EXPECT_EQ(colours.Pixels.ReadPixel(0, 1).Red, 90);
}

}  // namespace
}  // namespace orvalis
