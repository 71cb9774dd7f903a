#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/Files.h"
#include "common/HelpOptions.h"
#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"

// The manual page and the bash completion keep up with the options the
// command line has.
namespace orvalis {
namespace {

const std::string kPackaging = std::string(ORVALIS_PACKAGING_DIR) + "/";
const std::string kCli = std::string(ORVALIS_BIN_DIR) + "/orvalis-cli";

class PackagingTest : public test::ScratchFolderTest {};

TEST_F(PackagingTest, EveryOptionOfTheHelpIsInTheManualPageAndTheCompletion) {
    const test::ProgramResult help = test::RunShell(kCli + " --help", folder_);
    ASSERT_EQ(help.ExitCode, 0);
    const std::set<std::string> options = test::LongOptionsIn(help.Out);
    ASSERT_GE(options.size(), 18u) << help.Out;
    const std::string manual = test::ReadBytes(kPackaging + "orvalis-cli.1");
    const std::string completion = test::ReadBytes(kPackaging + "orvalis-cli.bash-completion");
    ASSERT_FALSE(manual.empty());
    ASSERT_FALSE(completion.empty());
    for (const std::string& option : options) {
        EXPECT_TRUE(test::HoldsOption(manual, test::ManualPageSpelling(option)))
            << option << " is not in orvalis-cli.1";
        EXPECT_TRUE(test::HoldsOption(completion, option))
            << option << " is not in orvalis-cli.bash-completion";
    }
}

// What the completion offers after a command: any picture after info and
// as convert's input, BMP files as convert's output, values of an option.
TEST_F(PackagingTest, CompletionOffersWhatEachCommandTakes) {
    const std::filesystem::path files = folder_ / "files";
    std::filesystem::create_directory(files);
    for (const char* name : {"hills.png", "dem.tif", "tile.bmp", "setup.txt"}) {
        test::WriteBytes(files / name, "x");
    }
    struct Case {
        std::string Words;  // the words typed, the last one being completed
        std::string Expected;
    };
    const std::vector<Case> cases = {
        {"orvalis-cli info ''", "dem.tif hills.png setup.txt tile.bmp"},
        {"orvalis-cli convert h", "hills.png"},
        {"orvalis-cli convert hills.png ''", "tile.bmp"},
        {"orvalis-cli convert --memory-limit 4G hills.png ''", "tile.bmp"},
        {"orvalis-cli convert --", "--help --memory-limit"},
        {"orvalis-cli info --", "--help --memory-limit"},
        {"orvalis-cli generate --info ''", "setup.txt"},
        {"orvalis-cli generate --format ''", "bmp png tif"},
        {"orvalis-cli generate --normal-map h", "hills.png"},
        {"orvalis-cli generate --sp", "--splat-map"},
        {"orvalis-cli generate --height", "--height-range --heightmap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Words);
        const std::string script =
            "source " + kPackaging + "orvalis-cli.bash-completion; COMP_WORDS=(" + c.Words +
            "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _orvalis_cli; "
            "printf '%s\\n' \"${COMPREPLY[@]}\" | sort | paste -sd ' '";
        test::WriteBytes(PathOf("complete.sh"), script);
        const test::ProgramResult result =
            test::RunShell("cd " + files.string() + " && bash ../complete.sh", folder_);
        EXPECT_EQ(result.Out, c.Expected + "\n") << result.Err;
    }
}

}  // namespace
}  // namespace orvalis
