#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/WindowSystem.h"
#include "common/RunProgram.h"
#include "common/ScratchFolder.h"

namespace orvalis::test {
namespace {

TEST(WindowSystemTest, AnyDisplayPlatformOrPlatformArgumentNamesOne) {
    struct Case {
        WindowSystemHints Hints;
        bool Named;
    };
    const Case cases[] = {
        {{"", "", "", {"orvalis"}}, false},
        {{"", "", "", {"orvalis", "set-up.txt"}}, false},
        {{":0", "", "", {"orvalis"}}, true},
        {{"", "wayland-0", "", {"orvalis"}}, true},
        {{"", "", "offscreen", {"orvalis"}}, true},
        {{"", "", "", {"orvalis", "-platform", "offscreen"}}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NamesAWindowSystem(c.Hints), c.Named) << c.Hints.Arguments.join(' ').toStdString();
    }
}

// "DISPLAY=:N " for an X display nothing listens on.
std::string SilentDisplay() {
    int number = 9876;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    return std::string("DISPLAY=:").append(std::to_string(number)).append(" ");
}

// Without a display the window says what to do and ends with exit code 1,
// whether no display is named or the one named does not answer.
TEST(WindowSystemTest, WithoutADisplayTheWindowExitsWithAClearMessage) {
    const ScratchFolder scratch;
    const std::string orvalis = std::string(ORVALIS_BIN_DIR) + "/orvalis";
    for (const std::string& display : {std::string(), SilentDisplay()}) {
        SCOPED_TRACE(display);
        // A window that did open would wait for its user: the time limit only ends the test then.
        const ProgramResult result = RunShell(
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + display + "timeout 300 " + orvalis,
            scratch.Folder());
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_NE(result.Err.find(kNoDisplayMessage), std::string::npos) << result.Err;
    }
}

// The line is read before a display is needed: a bad one is refused with
// status 2 and named, with or without a display; Qt's own options pass.
TEST(WindowSystemTest, ABadCommandLineIsRefusedBeforeADisplayIsNeeded) {
    const ScratchFolder scratch;
    struct Case {
        std::string Arguments;
        int ExitCode;
        std::string Said;
    };
    const Case cases[] = {
        {"--bogus", 2, "orvalis: Unknown option 'bogus'. (try --help)"},
        {"-platform offscreen --bogus", 2, "Unknown option 'bogus'"},
        {"one.txt two.txt", 2, "give at most one set-up file"},
        {"-platform offscreen --version", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments);
        const std::string orvalis = std::string(ORVALIS_BIN_DIR) + "/orvalis ";
        const ProgramResult result = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + orvalis + c.Arguments, scratch.Folder());
        EXPECT_EQ(result.ExitCode, c.ExitCode);
        EXPECT_NE(result.Err.find(c.Said), std::string::npos) << result.Err;
    }
}

}  // namespace
}  // namespace orvalis::test
