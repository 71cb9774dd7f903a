#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/Files.h"
#include "common/HelpOptions.h"
#include "common/RunProgram.h"
#include "common/ScratchFolder.h"

namespace orvalis::test {
namespace {

// The window's manual page keeps up with the options it has; --help
// answers without a display.
TEST(ManualPageTest, EveryOptionOfTheWindowsHelpIsInItsManualPage) {
    const ScratchFolder scratch;
    const ProgramResult help = RunShell(
        "env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(ORVALIS_BIN_DIR) + "/orvalis --help",
        scratch.Folder());
    ASSERT_EQ(help.ExitCode, 0) << help.Err;
    const std::set<std::string> options = LongOptionsIn(help.Out);
    EXPECT_TRUE(options.contains("--cap-fps")) << help.Out;
    const std::string manual = ReadBytes(std::string(ORVALIS_PACKAGING_DIR) + "/orvalis.1");
    ASSERT_FALSE(manual.empty());
    for (const std::string& option : options) {
        EXPECT_TRUE(HoldsOption(manual, ManualPageSpelling(option))) << option << " is not in orvalis.1";
    }
}

}  // namespace
}  // namespace orvalis::test
