#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"
#include "common/TestData.h"
#include "raster/DibBuffer.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

const std::string kSuiteDir = test::BmpSuiteDir();

using RunResult = test::ProgramResult;

class InfoConvertTest : public test::ScratchFolderTest {
protected:
    // Runs orvalis-cli with arguments that need no shell quoting.
    RunResult Run(const std::string& arguments) const {
        return test::RunShell(std::string(ORVALIS_BIN_DIR) + "/orvalis-cli " + arguments, folder_);
    }
};

TEST_F(InfoConvertTest, InfoPrintsTheHeaderOneKeyAndValueALine) {
    ORVALIS_SKIP_WITHOUT_BMP_SUITE();
    const RunResult rle = Run("info " + kSuiteDir + "g/pal8rle.bmp");
    EXPECT_EQ(rle.ExitCode, 0);
    EXPECT_EQ(rle.Out,
              "width: 127\nheight: 64\nbits: 8\nheader size: 40\ncompression: BI_RLE8\n"
              "row order: bottom-up\n");

    const RunResult core = Run("info " + kSuiteDir + "g/pal8os2.bmp");
    EXPECT_NE(core.Out.find("header size: 12\ncompression: BI_RGB\n"), std::string::npos);
    const RunResult topDown = Run("info " + kSuiteDir + "g/pal8topdown.bmp");
    EXPECT_NE(topDown.Out.find("height: 64\n"), std::string::npos);
    EXPECT_NE(topDown.Out.find("row order: top-down\n"), std::string::npos);
}

TEST_F(InfoConvertTest, ConvertWritesThe24BitPictureThatReadPixelSees) {
    ORVALIS_SKIP_WITHOUT_BMP_SUITE();
    for (const std::string name : {"g/pal4rle.bmp", "g/pal8topdown.bmp", "q/rgba16-1924.bmp"}) {
        SCOPED_TRACE(name);
        const std::string output = PathOf("converted.bmp");
        const RunResult result = Run("convert " + kSuiteDir + name + " " + output);
        ASSERT_EQ(result.ExitCode, 0) << result.Err;

        TDibBuffer source;
        source.ReadBmpFile(kSuiteDir + name);
        TDibBuffer converted;
        converted.ReadBmpFile(output);
        ASSERT_EQ(converted.BitsPerPixel(), 24);
        ASSERT_EQ(converted.Width(), source.Width());
        ASSERT_EQ(converted.Height(), source.Height());
        for (std::int32_t row = 0; row < source.RowCount(); ++row) {
            for (std::int32_t column = 0; column < source.Width(); ++column) {
                ASSERT_EQ(converted.ReadPixel(row, column), source.ReadPixel(row, column))
                    << "row " << row << ", column " << column;
            }
        }
    }
}

TEST_F(InfoConvertTest, BadInputExitsWithOneAndNamesTheFile) {
    const std::string missing = PathOf("missing.bmp");
    const RunResult notFound = Run("info " + missing);
    EXPECT_EQ(notFound.ExitCode, 1);
    EXPECT_EQ(notFound.Err, "orvalis-cli: error: " + missing + ": file not found\n");

    ORVALIS_SKIP_WITHOUT_BMP_SUITE();
    const std::string twoBit = kSuiteDir + "q/pal2.bmp";
    const RunResult rejected = Run("convert " + twoBit + " " + PathOf("out.bmp"));
    EXPECT_EQ(rejected.ExitCode, 1);
    EXPECT_EQ(rejected.Err,
              "orvalis-cli: error: " + twoBit + ": 2 bits per pixel are not supported\n");
    EXPECT_FALSE(fs::exists(PathOf("out.bmp")));

    const std::string unwritable = PathOf("no/such/folder.bmp");
    const RunResult writeFailed = Run("convert " + kSuiteDir + "g/rgb24.bmp " + unwritable);
    EXPECT_EQ(writeFailed.ExitCode, 1);
    EXPECT_NE(writeFailed.Err.find(unwritable + ": cannot be written"), std::string::npos);
}

TEST_F(InfoConvertTest, WrongNumberOfFilesIsAUsageError) {
    EXPECT_EQ(Run("info").ExitCode, 2);
    EXPECT_EQ(Run("info a.bmp b.bmp").ExitCode, 2);
    const RunResult convert = Run("convert only.bmp");
    EXPECT_EQ(convert.ExitCode, 2);
    EXPECT_NE(convert.Err.find("orvalis-cli convert IN.bmp OUT.bmp"), std::string::npos);
}

TEST_F(InfoConvertTest, ConvertRefusesABombWithoutOutput) {
    const std::string bomb = std::string(ORVALIS_REGRESSIONS_DIR) + "/bomb-rle8.bmp";
    const RunResult converted = Run("convert " + bomb + " " + PathOf("out.bmp"));
    EXPECT_EQ(converted.ExitCode, 1);
    EXPECT_EQ(converted.Err, "orvalis-cli: error: " + bomb +
                                 ": the header claims 30000 x 30000 pixels, more than 2 bytes of "
                                 "run-length data can describe\n");
    EXPECT_FALSE(fs::exists(PathOf("out.bmp")));
}

// --help wins wherever it stands: the command's own help, or the whole help
// when no command comes before it; nothing runs and nothing is written.
TEST_F(InfoConvertTest, HelpAnywhereOnTheLineShowsHelp) {
    const std::pair<std::string, std::string> cases[] = {
        {"generate --size 8 --output " + PathOf("x.bmp") + " --help", "--sun-pos P"},
        {"info " + PathOf("missing.bmp") + " -h", "info FILE.bmp"},
        {"convert a.bmp --help " + PathOf("out.bmp"), "convert IN.bmp OUT.bmp"},
        {"--quiet --help", "Commands:"},
        {"bogus --help", "Commands:"},
    };
    for (const auto& [arguments, shown] : cases) {
        SCOPED_TRACE(arguments);
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.ExitCode, 0);
        EXPECT_NE(result.Out.find(shown), std::string::npos) << result.Out;
        EXPECT_EQ(result.Err, "");
    }
    EXPECT_FALSE(fs::exists(PathOf("x.bmp")));
    EXPECT_FALSE(fs::exists(PathOf("out.bmp")));
}

}  // namespace
}  // namespace orvalis
