#include "files/ResultFile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "common/ChildProcess.h"
#include "common/ErrorMessage.h"
#include "common/FileSizeLimit.h"
#include "common/Files.h"
#include "common/ScratchFolderTest.h"
#include "files/Leftovers.h"
#include "files/OwnedFiles.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;

std::vector<std::uint8_t> Bytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    return bytes;
}

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    WriteFileAtomically(path, {{bytes.data(), bytes.size()}});
}

class ResultFileTest : public test::ScratchFolderTest {
protected:
    // The names in a folder, a staging file's shown as "<name>.*.tmp".
    static std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(std::regex_replace(entry.path().filename().string(),
                                               std::regex("\\.[0-9a-f]{8}\\.tmp$"), ".*.tmp"));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The staging file is made with the claim and written in place: the run has
// one temporary per result, and a name that the file system takes only
// without the temporary's suffix fails at the claim.
TEST_F(ResultFileTest, StagingIsMadeWithTheClaimAndWrittenInPlace) {
    ResultFile texture = ResultFile::Claim(PathOf("t.bmp"));
    ResultFile lightmap = ResultFile::Replacing(PathOf("lm.bmp"));
    const std::vector<std::string> staged = {"lm.bmp.*.tmp", "t.bmp", "t.bmp.*.tmp"};
    EXPECT_EQ(Names(folder_), staged);
    EXPECT_EQ(ReadBytes(PathOf("t.bmp")), kClaimText);
    Write(texture.StagingPath(), Bytes(300));
    Write(lightmap.StagingPath(), Bytes(20));
    EXPECT_EQ(Names(folder_), staged);
    texture.Commit();
    lightmap.Commit();
    EXPECT_EQ(Names(folder_), (std::vector<std::string>{"lm.bmp", "t.bmp", "t.bmp.*.tmp"}));
    EXPECT_EQ(ReadBytes<std::vector<std::uint8_t>>(PathOf("t.bmp")), Bytes(300));
}

// A write that fails (here beyond the file-size limit, as on a full disk)
// names the file the user asked for, never a temporary.
TEST_F(ResultFileTest, AFailedWriteNamesTheResult) {
    ResultFile claimed = ResultFile::Claim(PathOf("claimed.bmp"));
    ResultFile replacing = ResultFile::Replacing(PathOf("lm.bmp"));
    const std::pair<std::string, std::string> writes[] = {
        {claimed.StagingPath(), PathOf("claimed.bmp")},
        {replacing.StagingPath(), PathOf("lm.bmp")},
        {PathOf("plain.bmp"), PathOf("plain.bmp")},
    };
    for (const auto& [path, named] : writes) {
        const test::FileSizeLimit limit(1000);
        const std::string& target = path;  // a lambda cannot capture a structured binding in every compiler
        EXPECT_EQ(test::MessageOf([&] { Write(target, Bytes(5000)); }),
                  named + ": writing failed (File too large)");
    }
    EXPECT_FALSE(fs::exists(PathOf("plain.bmp")));
}

// Withdrawing a commit takes back only the run's own doing: a claimed name
// is left free and a replaced or removed file comes back, while a file that
// someone renamed over the committed one since stays as it is.
TEST_F(ResultFileTest, WithdrawTakesBackOnlyTheRunsOwnCommit) {
    struct Case {
        const char* Name;
        ResultFile (*Take)(const std::string& path);
        const char* Earlier;    // under the name before the run; empty: nothing
        const char* Committed;  // under it after the commit
        const char* Left;       // after the withdrawal, and once the result went
        bool Intruder = false;  // renamed over the name after the commit
    };
    const Case cases[] = {
        {"claimed", ResultFile::Claim, "", "run's", ""},
        {"claimed, then replaced by a rename", ResultFile::Claim, "", "run's", "intruder", true},
        {"replacing a file", ResultFile::Replacing, "earlier", "run's", "earlier"},
        {"replacing nothing", ResultFile::Replacing, "", "run's", ""},
        {"removing a file", ResultFile::Removing, "earlier", "", "earlier"},
    };
    const std::string path = PathOf("w.bmp");
    const auto held = [&path] { return fs::exists(path) ? ReadBytes(path) : std::string(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (*c.Earlier) test::WriteBytes(path, c.Earlier);
        {
            ResultFile result = c.Take(path);
            test::WriteBytes(result.StagingPath(), "run's");
            result.Commit();
            EXPECT_EQ(held(), c.Committed);
            if (c.Intruder) {
                test::WriteBytes(PathOf("other.bmp"), "intruder");
                fs::rename(PathOf("other.bmp"), path);
            }
            result.Withdraw();
            EXPECT_EQ(held(), c.Left);
        }
        EXPECT_EQ(held(), c.Left) << "after the result went";
        EXPECT_EQ(Names(folder_).size(), *c.Left ? 1u : 0u);
        fs::remove(path);
    }
}

// A folder renamed during the run keeps the run's files together: they are
// written, committed and cleaned up in it under its new name.
TEST_F(ResultFileTest, TheRunFinishesInItsFolderWhenTheFolderIsRenamed) {
    fs::create_directory(folder_ / "out");
    {
        ResultFile texture = ResultFile::Claim(PathOf("out/t.bmp"));
        ResultFile lightmap = ResultFile::Replacing(PathOf("out/lm.bmp"));
        ResultFile failing = ResultFile::Claim(PathOf("out/never.bmp"));
        fs::rename(folder_ / "out", folder_ / "moved");
        Write(texture.StagingPath(), Bytes(30));
        Write(lightmap.StagingPath(), Bytes(10));
        texture.Commit();
        lightmap.Commit();
    }
    EXPECT_FALSE(fs::exists(folder_ / "out"));
    EXPECT_EQ(Names(folder_ / "moved"), (std::vector<std::string>{"lm.bmp", "t.bmp"}));
    EXPECT_EQ(ReadBytes<std::vector<std::uint8_t>>(folder_ / "moved/t.bmp"), Bytes(30));
}

// What a process ended at once by a signal removes: every file it owns that
// is still its own, and nothing it has handed over or lost to someone else.
TEST_F(ResultFileTest, AnAbruptEndRemovesTheOwnedFilesAndOnlyThose) {
    test::WriteBytes(folder_ / "users.bmp", "the user's");
    const pid_t child = test::ForkRunning([this] {
        ResultFile committed = ResultFile::Claim(PathOf("committed.bmp"));
        ResultFile unfinished = ResultFile::Claim(PathOf("unfinished.bmp"));
        ResultFile replacing = ResultFile::Replacing(PathOf("lm.bmp"));
        ResultFile taken = ResultFile::Claim(PathOf("taken.bmp"));
        const TemporaryFile temporary(PathOf("plain.bmp"));
        Write(committed.StagingPath(), Bytes(40));
        committed.Commit();
        Write(unfinished.StagingPath(), Bytes(40));
        test::WriteBytes(folder_ / "stranger.bmp", "a stranger's");
        fs::rename(folder_ / "stranger.bmp", folder_ / "taken.bmp");
        RemoveOwnedFilesNow();
        ::_exit(0);
    });
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Names(folder_), (std::vector<std::string>{"committed.bmp", "taken.bmp", "users.bmp"}));
    EXPECT_EQ(ReadBytes(PathOf("taken.bmp")), "a stranger's");
    EXPECT_EQ(ReadBytes(PathOf("users.bmp")), "the user's");
}

}  // namespace
}  // namespace orvalis
