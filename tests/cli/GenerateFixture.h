#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/ChildProcess.h"
#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"
#include "common/SyncHold.h"
#include "common/TestPictures.h"
#include "raster/DibBuffer.h"

namespace orvalis {

inline const std::string kTiles = "in/t0.bmp,in/t1.bmp,in/t2.bmp,in/t3.bmp,in/t4.bmp";

inline void WritePicture(const std::filesystem::path& path, int width, int height, int shade) {
    test::MakePicture(width, height, [shade](int row, int column) {
        return MakeColour(static_cast<std::uint8_t>(shade + 9 * row),
                          static_cast<std::uint8_t>(shade + 5 * column),
                          static_cast<std::uint8_t>(shade));
    }).WriteBmpFile(path.string());
}

// Runs orvalis-cli generate in a working folder that holds a small set-up:
// in/t0.bmp .. in/t4.bmp, in/height.bmp and default.txt naming them.
class GenerateCommandTest : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        hold_.emplace(folder_ / "hold");
        work_ = folder_ / "work";
        std::filesystem::create_directories(work_ / "in");
        const char* tiles[] = {"t0.bmp", "t1.bmp", "t2.bmp", "t3.bmp", "t4.bmp"};
        for (int i = 0; i < 5; ++i) WritePicture(work_ / "in" / tiles[i], 4 + i, 3, 40 * i);
        WritePicture(work_ / "in/height.bmp", 12, 10, 60);
        std::ofstream(work_ / "default.txt", std::ios::binary)
            << "in/t0.bmp\r\nin/t1.bmp\r\nin/t2.bmp\r\nin/t3.bmp\r\nin/t4.bmp\r\nin/height.bmp\r\n"
               "256\r\n192\r\n128\r\n64\r\n0\r\n";
    }

    // Arguments must need no shell quoting.
    test::ProgramResult Generate(const std::string& arguments) const {
        return test::RunShell("cd " + work_.string() + " && " + ORVALIS_BIN_DIR +
                                  "/orvalis-cli generate " + arguments,
                              folder_);
    }

    // orvalis-cli with these arguments in the background, in the working
    // folder, its stderr in ErrorsOfStarted.
    std::unique_ptr<test::ChildProcess> Start(const std::vector<std::string>& arguments,
                                              test::ChildProcess::Options options = {}) const {
        std::vector<std::string> command{std::string(ORVALIS_BIN_DIR) + "/orvalis-cli"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        options.Folder = work_;
        options.ErrorFile = folder_ / "started.txt";
        return std::make_unique<test::ChildProcess>(command, options);
    }
    // The same, held at its first fsync (SyncHold.h) until hold_->Release().
    std::unique_ptr<test::ChildProcess> StartHeld(const std::vector<std::string>& arguments) const {
        hold_->Reset();
        test::ChildProcess::Options options;
        options.Environment = hold_->Environment();
        return Start(arguments, options);
    }
    std::string ErrorsOfStarted() const { return test::ReadBytes(folder_ / "started.txt"); }

    // Everything in the working folder except the inputs.
    std::set<std::string> Outputs(const std::filesystem::path& folder) const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name != "in" && name != "default.txt") names.insert(name);
        }
        return names;
    }
    std::set<std::string> Outputs() const { return Outputs(work_); }
    // Whether an output's name matches the pattern (a regular expression).
    bool HasOutput(const std::string& pattern) const {
        const std::regex name(pattern);
        for (const std::string& output : Outputs()) {
            if (std::regex_match(output, name)) return true;
        }
        return false;
    }

    std::filesystem::path work_;
    std::optional<test::SyncHold> hold_;
};

}  // namespace orvalis
