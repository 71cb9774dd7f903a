#include "files/Leftovers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/Files.h"
#include "common/LeftoverClaim.h"
#include "common/ScratchFolderTest.h"
#include "files/Descriptor.h"
#include "files/ResultFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;

// Holds the lock a live run holds on its file, from another open file.
Descriptor HoldLikeALiveRun(const std::string& path) {
    Descriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    EXPECT_TRUE(fd.IsOpen()) << path;
    EXPECT_TRUE(HoldOwnerLock(fd.Get()));
    return fd;
}

class LeftoversTest : public test::ScratchFolderTest {
protected:
    void WriteLeftoverClaim(const std::string& name) const { test::WriteLeftoverClaim(folder_ / name); }

    // Every entry of the folder with its bytes ("<folder>", "<link>").
    std::map<std::string, std::string> Contents() const {
        std::map<std::string, std::string> contents;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            contents[entry.path().filename().string()] =
                entry.is_symlink() ? "<link>" : entry.is_directory() ? "<folder>" : ReadBytes(entry.path());
        }
        return contents;
    }
};

// Only a placeholder that everything proves ours and abandoned goes, to a
// claim or to the look whether a name is free; the user's own files, a live
// run's placeholder and look-alikes stay untouched.
TEST_F(LeftoversTest, OnlyALeftoverPlaceholderGivesWayToANewClaim) {
    struct Case {
        const char* What;
        std::function<void(const std::string& path)> Make;
        bool Cleared;
    };
    std::vector<Descriptor> held;
    const auto readOnly = [](const std::string& path) { fs::permissions(path, fs::perms::owner_read); };
    const std::vector<Case> cases = {
        {"a placeholder whose run has ended", [this](const std::string&) { WriteLeftoverClaim("out.bmp"); }, true},
        {"a placeholder of a live run",
         [&](const std::string& path) {
             WriteLeftoverClaim("out.bmp");
             held.push_back(HoldLikeALiveRun(path));
         },
         false},
        {"the user's empty read-only file",
         [&](const std::string& path) {
             test::WriteBytes(path, "");
             readOnly(path);
         },
         false},
        {"the claim text in a writable file",
         [](const std::string& path) { test::WriteBytes(path, kClaimText); }, false},
        {"the claim text and one byte more",
         [&](const std::string& path) {
             test::WriteBytes(path, std::string(kClaimText) + "x");
             readOnly(path);
         },
         false},
        {"another text as long as the claim text",
         [&](const std::string& path) {
             test::WriteBytes(path, std::string(kClaimText.size(), 'x'));
             readOnly(path);
         },
         false},
        {"a placeholder with a second name",
         [this](const std::string& path) {
             WriteLeftoverClaim("out.bmp");
             fs::create_hard_link(path, folder_ / "kept.bmp");
         },
         false},
        {"a link to a placeholder",
         [this](const std::string& path) {
             WriteLeftoverClaim("elsewhere.bmp");
             fs::create_symlink(folder_ / "elsewhere.bmp", path);
         },
         false},
        {"a folder", [](const std::string& path) { fs::create_directory(path); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        c.Make(PathOf("out.bmp"));
        const auto before = Contents();
        EXPECT_EQ(ResultFile::Claimable(PathOf("out.bmp")), c.Cleared);
        if (!c.Cleared) {
            EXPECT_EQ(Contents(), before);
        }
        {
            std::optional<ResultFile> claimed = ResultFile::TryClaim(PathOf("out.bmp"));
            EXPECT_EQ(claimed.has_value(), c.Cleared);
            if (!claimed) {
                EXPECT_EQ(Contents(), before);
            }
        }
        held.clear();
        if (c.Cleared) {
            EXPECT_TRUE(Contents().empty());
        }
    }
}

// With a leftover placeholder go the leftover temporaries of its name, and
// nothing else: not a live run's temporary, nor look-alike names.
TEST_F(LeftoversTest, ALeftoverClaimGoesWithItsLeftoverTemporaries) {
    WriteLeftoverClaim("out.bmp");
    for (const char* name : {"out.bmp.0123abcd.tmp", "out.bmp.89abcdef.tmp", "out.bmp.0123ABCD.tmp",
                             "out.bmp.0123abc.tmp", "other.bmp.0123abcd.tmp"}) {
        test::WriteBytes(folder_ / name, name);
    }
    fs::create_directory(folder_ / "out.bmp.fedcba98.tmp");
    const Descriptor live = HoldLikeALiveRun(PathOf("out.bmp.89abcdef.tmp"));
    auto expected = Contents();
    expected.erase("out.bmp");
    expected.erase("out.bmp.0123abcd.tmp");

    std::optional<ResultFile> claimed = ResultFile::TryClaim(PathOf("out.bmp"));
    ASSERT_TRUE(claimed);
    claimed.reset();
    EXPECT_EQ(Contents(), expected);
}

// Threads that claim one abandoned name at once: one gets it, and no claim
// of another is ever removed under it.
TEST_F(LeftoversTest, ALeftoverClaimGoesToExactlyOneOfManyRuns) {
    constexpr int kRounds = 30, kThreads = 6;
    for (int round = 0; round < kRounds; ++round) {
        WriteLeftoverClaim("out.bmp");
        std::vector<std::optional<ResultFile>> claims(kThreads);
        {
            std::vector<std::jthread> threads;
            for (auto& claim : claims) {
                threads.emplace_back([this, &claim] {
                    if (auto claimed = ResultFile::TryClaim(PathOf("out.bmp"))) claim.emplace(std::move(*claimed));
                });
            }
        }
        int winners = 0;
        for (const auto& claim : claims) winners += claim.has_value();
        ASSERT_EQ(winners, 1) << "round " << round;
        claims.clear();
        ASSERT_TRUE(Contents().empty()) << "round " << round;
    }
}

}  // namespace
}  // namespace orvalis
