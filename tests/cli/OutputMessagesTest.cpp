// Messages about the outputs themselves: names of one run that collide,
// names too long for the file system, and an output stream that cannot be
// written. Each is found before any work, or reported as a failure.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "GenerateFixture.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

class OutputMessagesTest : public GenerateCommandTest {};

// Outputs of one run, derived names included, that would land on one file,
// and names that cannot be used, are a usage error that names the option,
// before anything is claimed.
TEST_F(OutputMessagesTest, OutputNamesThatCannotBeUsedAreNamedBeforeAnyWork) {
    fs::create_directory(work_ / "out");
    const std::string sun = " --sun-azimuth 30 --sun-elevation 9";
    const std::pair<std::string, std::string> cases[] = {
        {"--splat-map a.png --normal-map a_1.png",
         "the second file of --splat-map and --normal-map collide: both are 'a_1.png'"},
        {"--output x7.png --splat-map x7_lm.png",
         "--splat-map and the lightmap of --output collide: both are 'x7_lm.png'"},
        {"--output t.bmp --normal-map ./t_lm.bmp", "--normal-map and the lightmap of --output collide"},
        {"--format png --lightmap l.bmp --splat-map l.png", "--splat-map and --lightmap collide"},
        {"--output-dir out --splat-map out/lm.bmp", "--splat-map and the lightmap collide"},
        {"--output a.bmp --lightmap ./a.bmp", "--output and --lightmap collide"},
        {"--format png --world-file --normal-map lm.pgw",
         "--normal-map and the world file of --normal-map collide: both are 'lm.pgw'"},
        {"--format png --splat-map lm.pgw", "--splat-map and the world file of the lightmap collide"},
        {"--output tex.png --world-file --shadow-map tex.jpg" + sun,
         "the world file of --output and the world file of --shadow-map collide: both are 'tex.pgw'"},
        {"--format png --world-file --splat-map s.png --normal-map s_1.pgw",
         "the world file of the second file of --splat-map and --normal-map collide"},
        {"--splat-map ''", "--splat-map needs a file name"},
        {"--shadow-map ''", "--shadow-map needs a file name"},
        {"--normal-map out/", "--normal-map needs a file name, not the folder 'out/'"},
        {"--splat-map s.bmp", "--splat-map 's.bmp' ends as a BMP file, but it is written as PNG"},
        {"--output x.jpg", "--output 'x.jpg' ends as a JPEG file, but it is written as BMP"},
        {"--lightmap l.png --output x.bmp", "--lightmap 'l.png' ends as a PNG file, but it is written as BMP"},
        {"--output x.tif --format png", "--format png does not go with the name x.tif"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments);
        const test::ProgramResult result = Generate(arguments + " --size 8");
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
        EXPECT_EQ(Outputs(), std::set<std::string>{"out"});
    }
    // An unlit run writes no lightmap, so nothing collides with its name.
    EXPECT_EQ(Generate("--output x7.png --splat-map x7_lm.png --size 8 --no-lighting").ExitCode, 0);
}

// A name that fits the file system only without the staging suffix fails at
// the claim: before the heightmap is even read (this one is no picture).
TEST_F(OutputMessagesTest, ANameTooLongFailsBeforeTheHeightmapIsRead) {
    test::WriteBytes(work_ / "in/garbage.bmp", "not a picture");
    const long longest = ::pathconf(work_.c_str(), _PC_NAME_MAX);
    const std::string fits(static_cast<std::size_t>(longest) - 4, 'n');
    for (const char* option : {"--output", "--normal-map", "--lightmap"}) {
        SCOPED_TRACE(option);
        const test::ProgramResult result =
            Generate("--heightmap in/garbage.bmp --size 8 --format png " + std::string(option) + " " + fits + ".png");
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_NE(result.Err.find(fits + ".png: cannot be written: the name is too long"),
                  std::string::npos)
            << result.Err;
        EXPECT_TRUE(Outputs().empty());
    }
}

// Every command that prints fails when its output cannot be written.
TEST_F(OutputMessagesTest, AnOutputThatCannotBeWrittenIsAFailure) {
    ASSERT_EQ(Generate("--size 8 --format png --output p.png --quiet").ExitCode, 0);
    const std::string commands[] = {
        "info in/height.bmp", "info p.png", "convert in/height.bmp c.bmp", "--help",
        "--version", "generate --help", "generate --size 8 --output g.bmp",
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const test::ProgramResult result = test::RunShell(
            "cd " + work_.string() + " && (" + ORVALIS_BIN_DIR + "/orvalis-cli " + command + " >/dev/full)",
            folder_);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.Err, "orvalis-cli: error: the output cannot be written (No space left on device)\n");
    }
}

}  // namespace
}  // namespace orvalis
