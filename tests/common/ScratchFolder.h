#pragma once

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "common/Files.h"

namespace orvalis::test {

// A fresh folder for the files of one test, removed with everything in it
// when it goes. The name holds the test's name, the process id and a count,
// so tests that CTest runs in parallel, and folders of one test, never meet.
class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<int> made{0};
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = test ? std::string(test->test_suite_name()) + "-" + test->name()
                                : std::string("outside-a-test");
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests
        path_ = std::filesystem::temp_directory_path() /
                ("orvalis-" + name + "-" + std::to_string(::getpid()) + "-" +
                 std::to_string(made++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& Folder() const { return path_; }
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }
    // Writes the file `name` in the folder and gives its path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        WriteBytes(path_ / name, bytes);
        return PathOf(name);
    }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        WriteBytes(path_ / name, bytes);
        return PathOf(name);
    }

private:
    std::filesystem::path path_;
};

}  // namespace orvalis::test
