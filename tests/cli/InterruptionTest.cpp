// The ways a run can be cut short besides a single stop signal: a second
// signal, SIGKILL, a file-size limit; and convert
// stopped during its write. Each leaves nothing that is not a result, and
// nothing that blocks a later run. The runs are held in the middle of their
// writes (SyncHold.h), so that what the test does never races with them.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "GenerateFixture.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;
using Arguments = std::vector<std::string>;

class InterruptionTest : public GenerateCommandTest {};

// Two stop signals at once: the first asks for a clean stop, the second (the
// higher-numbered one, which waits for the first) ends the run at once,
// after removing every placeholder and staging file the run made.
TEST_F(InterruptionTest, ASecondStopSignalEndsTheRunAtOnceAndRemovesItsFiles) {
    struct Case {
        int First, Second, ExitCode;
        const char* Shown;
    };
    for (const Case& c : {Case{SIGHUP, SIGINT, 130, "SIGINT"}, Case{SIGINT, SIGTERM, 143, "SIGTERM"}}) {
        SCOPED_TRACE(c.Shown);
        const auto run = StartHeld({"generate", "--output", "t.bmp", "--splat-map", "s.png",
                                    "--normal-map", "n.png", "--size", "64"});
        ASSERT_TRUE(hold_->WaitUntilHeld(*run)) << ErrorsOfStarted();
        EXPECT_EQ(Outputs().size(), 10u);  // five placeholders, five staging files
        run->Signal(c.First);
        run->Signal(c.Second);
        const test::ChildProcess::End end = run->Wait();
        ASSERT_TRUE(end.Exited);
        EXPECT_EQ(end.Code, c.ExitCode);
        EXPECT_NE(ErrorsOfStarted().find(std::string("stopped by ") + c.Shown + " at once"),
                  std::string::npos)
            << ErrorsOfStarted();
        EXPECT_TRUE(Outputs().empty()) << *Outputs().begin();
    }
}

// A run killed outright keeps its names while it lives (held, here), and
// leaves them to the next run once it is gone: the same --output, and the
// first default name, with the staging files cleared.
TEST_F(InterruptionTest, AKilledRunsNamesGoToTheNextRunOnceItIsGone) {
    struct Case {
        const char* What;
        Arguments Naming;
        std::string Name, Lightmap;
        std::string NextDefaultName;  // while the run lives
    };
    const std::vector<Case> cases = {
        {"--output", {"--output", "t.bmp"}, "t.bmp", "t_lm.bmp", "terrain_tex.bmp"},
        {"default names", {}, "terrain_tex.bmp", "lm.bmp", "terrain_tex0.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        Arguments arguments{"generate", "--size", "64"};
        arguments.insert(arguments.end(), c.Naming.begin(), c.Naming.end());
        const auto run = StartHeld(arguments);
        ASSERT_TRUE(hold_->WaitUntilHeld(*run)) << ErrorsOfStarted();
        const std::string staging = c.Name + "\\.[0-9a-f]{8}\\.tmp";

        const test::ProgramResult same = Generate("--size 8 --output " + c.Name);
        EXPECT_EQ(same.ExitCode, 1);
        EXPECT_NE(same.Err.find(c.Name + ": already exists"), std::string::npos) << same.Err;
        const test::ProgramResult other = Generate("--size 8 --no-lighting");
        EXPECT_EQ(other.Out.substr(0, c.NextDefaultName.size() + 7), c.NextDefaultName + " saved ")
            << other.Err;
        fs::remove(work_ / c.NextDefaultName);

        run->Signal(SIGKILL);
        EXPECT_EQ(run->Wait().Signal, SIGKILL);
        EXPECT_TRUE(HasOutput(staging));  // left behind
        const test::ProgramResult next = Generate("--size 8 " + (c.Naming.empty() ? "" : "--output " + c.Name));
        EXPECT_EQ(next.ExitCode, 0) << next.Err;
        EXPECT_EQ(next.Out.substr(0, c.Name.size() + 7), c.Name + " saved ");
        EXPECT_EQ(Outputs(), (std::set<std::string>{c.Name, c.Lightmap}));
        fs::remove(work_ / c.Name);
        fs::remove(work_ / c.Lightmap);
    }
}

// Beyond the file-size limit (ulimit -f) a write fails like on a full disk:
// no SIGXFSZ death, the message names the result, and nothing is left.
TEST_F(InterruptionTest, TheFileSizeLimitFailsTheRunAndLeavesNothing) {
    const std::pair<Arguments, std::string> cases[] = {
        {{"--output", "t.bmp"}, "t.bmp"},
        {{"--format", "png", "--splat-map", "s.png"}, "s.png"},
        {{}, "terrain_tex.bmp"},
    };
    for (const auto& [naming, failing] : cases) {
        SCOPED_TRACE(failing);
        Arguments arguments{"generate", "--size", "512", "--quiet"};
        arguments.insert(arguments.end(), naming.begin(), naming.end());
        test::ChildProcess::Options limited;
        limited.FileSizeLimit = 2000;
        const test::ChildProcess::End end = Start(arguments, limited)->Wait();
        ASSERT_TRUE(end.Exited) << "signal " << end.Signal;
        EXPECT_EQ(end.Code, 1);
        EXPECT_EQ(ErrorsOfStarted(), "orvalis-cli: error: " + failing +
                                         ": writing failed (File too large) (nothing was saved)\n");
        EXPECT_TRUE(Outputs().empty());
    }
}

// convert has nothing to undo but its temporary: a stop signal ends it at
// once, during its write too, without the temporary.
TEST_F(InterruptionTest, ConvertStoppedDuringItsWriteLeavesNoTemporary) {
    test::GreyPicture(64, 48, 7).WriteBmpFile((work_ / "in.bmp").string());
    const auto run = StartHeld({"convert", "in.bmp", "out.bmp"});
    ASSERT_TRUE(hold_->WaitUntilHeld(*run)) << ErrorsOfStarted();
    EXPECT_TRUE(HasOutput("out\\.bmp\\.[0-9a-f]{8}\\.tmp"));
    run->Signal(SIGINT);
    const test::ChildProcess::End end = run->Wait();
    ASSERT_TRUE(end.Exited);
    EXPECT_EQ(end.Code, 130);
    EXPECT_NE(ErrorsOfStarted().find("stopped by SIGINT"), std::string::npos) << ErrorsOfStarted();
    EXPECT_EQ(Outputs(), std::set<std::string>{"in.bmp"});
}

}  // namespace
}  // namespace orvalis
