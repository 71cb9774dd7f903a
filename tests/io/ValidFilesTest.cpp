#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

struct ValidCase {
    const char* Name;
    const char* File;
    std::function<void(const std::string& path)> Make;
    int Side;
    const char* Format;
};

using ValidFilesTest = test::ScratchFolderTest;

// Pictures that compress far beyond what stored data could (an old check
// took them for headers that lie) are read; their cost is bounded by the
// memory limit instead. What `info` reads of them is enough to show it.
TEST_F(ValidFilesTest, HighlyCompressedPicturesAreRead) {
    const auto zeros = [](const char* driver, int side, std::vector<const char*> options = {}) {
        return [=](const std::string& path) { test::WriteZerosWithGdal(path, driver, side, side, GDT_Byte, options); };
    };
    const ValidCase cases[] = {
        {"GIF of zeros", "zeros.gif", zeros("GIF", 8192), 8192, "GIF"},
        {"ZSTD level 22 TIFF in one strip", "zstd.tif",
         zeros("GTiff", 8192, {"COMPRESS=ZSTD", "ZSTD_LEVEL=22", "BLOCKYSIZE=8192"}), 8192, "GTiff"},
        // libjpeg's coefficients (537 MB) exceed what GDAL allows on its own.
        {"progressive JPEG of 16384 x 16384", "progressive.jpg", zeros("JPEG", 16384, {"PROGRESSIVE=ON"}), 16384,
         "JPEG"},
        {"GIF animation of 3000 frames", "animation.gif", [](const std::string& path) { test::WriteGifOfFrames(path, 16, 3000); },
         16, "GIF"},
    };
    for (const ValidCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = PathOf(c.File);
        c.Make(path);
        PictureFacts facts;
        EXPECT_EQ(test::MessageOf<Error>([&] { facts = ReadPictureFacts(path); }), test::kNoError);
        EXPECT_EQ(facts.Layout.Format, c.Format);
        EXPECT_EQ(facts.Layout.Width, c.Side);
        EXPECT_EQ(facts.Layout.Rows, c.Side);
        ASSERT_TRUE(facts.Range);
        EXPECT_EQ(facts.Range->High, 0);
    }
    EXPECT_EQ(ReadPictureFile(PathOf("animation.gif")).Pixels.Width(), 16);
}

}  // namespace
}  // namespace orvalis
