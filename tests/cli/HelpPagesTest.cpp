#include <regex>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "common/Files.h"
#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"

namespace orvalis {
namespace {

// Every option --help lists, as it begins a line of the help.
std::set<std::string> HelpOptions(const std::string& help) {
    std::set<std::string> options;
    const std::regex option("(^|\\n) +(--[a-z][a-z-]*)");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it) {
        options.insert((*it)[2]);
    }
    return options;
}

class HelpPagesTest : public test::ScratchFolderTest {};

// The manual page and the bash completion know every option of the help.
TEST_F(HelpPagesTest, TheManualAndTheCompletionNameEveryOption) {
    const test::ProgramResult help = test::RunShell(std::string(ORVALIS_BIN_DIR) + "/orvalis-cli --help", folder_);
    ASSERT_EQ(help.ExitCode, 0);
    const std::set<std::string> options = HelpOptions(help.Out);
    ASSERT_GT(options.size(), 20u);
    const std::string manual = test::ReadBytes(std::string(ORVALIS_PACKAGING_DIR) + "/orvalis-cli.1");
    const std::string completion = test::ReadBytes(std::string(ORVALIS_PACKAGING_DIR) + "/orvalis-cli.bash-completion");
    for (const std::string& option : options) {
        // roff writes every hyphen as \-.
        const std::string inManual = std::regex_replace(option, std::regex("-"), "\\-");
        EXPECT_NE(manual.find(inManual), std::string::npos) << option << " is not in the manual page";
        EXPECT_NE(completion.find(option), std::string::npos) << option << " is not in the bash completion";
    }
}

}  // namespace
}  // namespace orvalis
