#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

const std::string kSun = "--sun-azimuth 300 --sun-elevation 30 ";

// Runs orvalis-cli plan in a folder whose name the shell must quote, on a
// hill of 100 x 60 cells of 3 arc-seconds (heights -20 .. 380) and five
// small tiles; a 250 texture is 250 x 150, in tiles of 64: 4 x 3.
class PlanCommandTest : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        world_ = folder_ / "my 'world'";
        fs::create_directories(world_);
        for (const char* name : {"t0.bmp", "t1.bmp", "t2.bmp", "t3.bmp", "t4.bmp"}) {
            test::GreyPicture(4, 4, 100).WriteBmpFile((world_ / name).string());
        }
        test::WriteWithGdal((world_ / "dem.tif").string(), "GTiff", test::Hill(100, 60, test::kArcSecondCells));
    }

    test::ProgramResult Plan(const std::string& arguments) const {
        return test::RunShell("cd \"" + world_.string() + "\" && " + ORVALIS_BIN_DIR +
                                  "/orvalis-cli plan --heightmap dem.tif --tiles t0.bmp,t1.bmp,t2.bmp,t3.bmp,t4.bmp "
                                  "--size 250 --tile-size 64 " + arguments,
                              folder_);
    }

    // Each line of out/jobs.txt as the shell splits it into words.
    std::vector<std::vector<std::string>> JobWords() const {
        test::WriteBytes(folder_ / "words.sh",
                         "while IFS= read -r line; do eval \"set -- $line\"; printf '%s\\t' \"$@\"; echo; done");
        const test::ProgramResult split =
            test::RunShell("bash " + PathOf("words.sh") + " < \"" + (world_ / "out/jobs.txt").string() + "\"", folder_);
        std::vector<std::vector<std::string>> lines;
        std::istringstream text(split.Out);
        for (std::string line; std::getline(text, line);) {
            std::vector<std::string>& words = lines.emplace_back();
            std::istringstream fields(line);
            for (std::string word; std::getline(fields, word, '\t');) words.push_back(word);
        }
        return lines;
    }

    fs::path world_;
};

std::string ValueOf(const std::vector<std::string>& words, const std::string& option) {
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == option) return words[i + 1];
    }
    return "(none)";
}

// Every line runs generate on one tile with absolute paths and the world's
// statistics; slurm.sh's task i takes line i + 1.
TEST_F(PlanCommandTest, WritesALineATileAndASlurmArrayOfThem) {
    const test::ProgramResult result = Plan(kSun + "--output-dir out --format tif --shadow-map maps/shadow.tif --sky-light");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_NE(result.Out.find("tiles: 12 (4 x 3) of 64 pixels, a texture of 250 x 150"), std::string::npos) << result.Out;
    for (const char* name : {"slurm.sh", "terrain_tex.vrt", "lm.vrt", "shadow.vrt"}) {
        EXPECT_TRUE(fs::exists(world_ / "out" / name)) << name;
    }
    const std::vector<std::vector<std::string>> lines = JobWords();
    ASSERT_EQ(lines.size(), 12u);
    std::set<std::string> tiles;
    for (const std::vector<std::string>& words : lines) {
        ASSERT_GT(words.size(), 2u);
        EXPECT_EQ(words[0], fs::canonical(std::string(ORVALIS_BIN_DIR) + "/orvalis-cli").string());
        EXPECT_EQ(words[1], "generate");
        EXPECT_EQ(ValueOf(words, "--heightmap"), (world_ / "dem.tif").string());
        EXPECT_EQ(ValueOf(words, "--shadow-map"), (world_ / "out/shadow.tif").string());
        EXPECT_EQ(ValueOf(words, "--world-stats"), "-20:380,-20:380");
        EXPECT_EQ(ValueOf(words, "--threads"), "2");
        tiles.insert(ValueOf(words, "--tile"));
    }
    EXPECT_EQ(tiles, (std::set<std::string>{"0,0", "1,0", "2,0", "3,0", "0,1", "1,1", "2,1", "3,1", "0,2", "1,2",
                                            "2,2", "3,2"}));
    const std::string slurm = test::ReadBytes(world_ / "out/slurm.sh");
    EXPECT_NE(slurm.find("#SBATCH --array=0-11\n"), std::string::npos) << slurm;
    EXPECT_NE(slurm.find("#SBATCH --cpus-per-task=2\n"), std::string::npos) << slurm;
    // The task's line, shown instead of run.
    test::WriteBytes(folder_ / "show.sh", slurm.substr(0, slurm.rfind("eval")) + "printf '%s\\n' \"$line\"\n");
    const test::ProgramResult task = test::RunShell("SLURM_ARRAY_TASK_ID=5 bash " + PathOf("show.sh"), folder_);
    std::istringstream jobs(test::ReadBytes(world_ / "out/jobs.txt"));
    std::string sixth;
    for (int i = 0; i < 6; ++i) std::getline(jobs, sixth);
    EXPECT_EQ(task.Out, sixth + "\n");
}

// Stand-ins for the tiles, each of one value, open through the VRT as one
// picture of the world texture's size, where the world lies.
TEST_F(PlanCommandTest, TheMosaicJoinsTheTilesOverTheWorld) {
    for (const std::string format : {"tif", "png"}) {
        SCOPED_TRACE(format);
        const std::string out = "out-" + format;
        const test::ProgramResult result = Plan(kSun + "--output-dir " + out + " --format " + format);
        ASSERT_EQ(result.ExitCode, 0) << result.Err;
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 4; ++column) {
                test::GdalPicture tile{column < 3 ? 64 : 58, row < 2 ? 64 : 22, 3};
                tile.Samples.assign(static_cast<std::size_t>(tile.Width) * tile.Rows * 3, 16 * column + row);
                const std::string name = "terrain_tex_" + std::to_string(column) + "_" + std::to_string(row) + "." + format;
                test::WriteWithGdal((world_ / out / name).string(), format == "tif" ? "GTiff" : "PNG", tile);
            }
        }
        const test::GdalPicture mosaic = test::ReadWithGdal((world_ / out / "terrain_tex.vrt").string());
        ASSERT_EQ(mosaic.Width, 250);
        ASSERT_EQ(mosaic.Rows, 150);
        ASSERT_EQ(mosaic.Bands, 3);
        // Pixel (200, 140) lies in tile (3, 2), in the last band too.
        EXPECT_EQ(mosaic.Samples[(2 * 150 + 140) * 250 + 200], 16 * 3 + 2);
        EXPECT_EQ(mosaic.Samples[(1 * 150 + 70) * 250 + 130], 16 * 2 + 1);
        const std::vector<double>& t = test::kArcSecondCells;
        EXPECT_EQ(mosaic.GeoTransform, (std::vector<double>{t[0], t[1] * 100 / 250, 0, t[3], 0, t[5] * 60 / 150}));
    }
}

TEST_F(PlanCommandTest, RefusesPlansThatMakeNoSense) {
    test::WriteBytes(world_ / "file", "x");
    struct Case {
        std::string Arguments;
        int ExitCode;
        const char* Message;
    };
    const Case cases[] = {
        {kSun + "--format tif", 2, "plan: --output-dir DIR is required"},
        {kSun + "--output-dir out", 2, "give --format tif or --format png"},
        {kSun + "--output-dir out --format tif --lightmap x.tif", 2, "--lightmap does not go with plan"},
        {kSun + "--output-dir out --format tif --tile-size 16385", 2, "plan: --tile-size wants a whole number from 1 to 16384"},
        {kSun + "--output-dir out --format tif --tile 0,0", 2, "plan: unknown option '--tile'"},
        {kSun + "--output-dir out --format tif --sky-radius 500", 2, "--sky-radius goes with --sky-light"},
        {"--output-dir out --format tif", 2, "the classic generation is defined on the whole heightmap"},
        {kSun + "--output-dir out --format tif --sun-elevation 0.1", 2, "not above its own radius"},
        {kSun + "--output-dir out --format tif --memory-limit 64M", 2, "more than --memory-limit 64.0 MiB"},
        {kSun + "--output-dir out --format tif --splat-map lm.tif", 2, "would both make tiles named lm_C_R"},
        {kSun + "--output-dir file --format tif", 1, "--output-dir is not a folder"},
    };
    for (const Case& c : cases) {
        const test::ProgramResult result = Plan(c.Arguments);
        EXPECT_EQ(result.ExitCode, c.ExitCode) << c.Arguments;
        EXPECT_NE(result.Err.find(c.Message), std::string::npos) << c.Arguments << ": " << result.Err;
    }
    EXPECT_FALSE(fs::exists(world_ / "out/jobs.txt"));
}

}  // namespace
}  // namespace orvalis
