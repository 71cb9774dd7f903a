#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/ChildProcess.h"
#include "common/Files.h"

namespace orvalis::test {

// Holds a child process at its first fsync, the end of the first file it
// writes, until Release (tests/common/HoldAtFirstSync.cpp): by then it has
// made every placeholder and staging file of its run, and it has not yet
// committed any. Pass Environment() to the child, one child at a time.
class SyncHold {
public:
    explicit SyncHold(std::filesystem::path folder) : folder_(std::move(folder)) {
        std::filesystem::create_directories(folder_);
    }

    // For the next child: no hold has happened nor been released.
    void Reset() const {
        std::filesystem::remove(folder_ / "held");
        std::filesystem::remove(folder_ / "release");
    }
    std::vector<std::string> Environment() const {
        // The library is no sanitized one: the sanitized build lets it come first.
        return {"LD_PRELOAD=" ORVALIS_HOLD_LIBRARY, "ORVALIS_TEST_HOLD=" + folder_.string(),
                "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
    }
    // True once the child waits at the hold; false when it ended first.
    bool WaitUntilHeld(ChildProcess& child) const {
        return child.WaitUntil([this] { return std::filesystem::exists(folder_ / "held"); });
    }
    void Release() const { WriteBytes(folder_ / "release", ""); }

private:
    std::filesystem::path folder_;
};

}  // namespace orvalis::test
