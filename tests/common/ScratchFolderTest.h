#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "common/ScratchFolder.h"

namespace orvalis::test {

// A fixture with a fresh folder for the files of one test, removed afterwards.
class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_.emplace();
        folder_ = scratch_->Folder();
    }
    void TearDown() override { scratch_.reset(); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;

private:
    std::optional<ScratchFolder> scratch_;
};

}  // namespace orvalis::test
