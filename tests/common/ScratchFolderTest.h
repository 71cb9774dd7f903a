#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace orvalis::test {

// A fixture with a fresh folder for the files of one test, removed afterwards.
// The name holds the process id and the test's name, so tests that CTest runs
// in parallel never share a folder.
class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("orvalis-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
                   std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

}  // namespace orvalis::test
