// ORVALIS_KERNEL as orvalis-cli sees it: a bad value ends the run before any
// work, and every kernel level the processor runs writes the same bytes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "GenerateFixture.h"
#include "common/Files.h"
#include "common/KernelLevels.h"

namespace orvalis {
namespace {

class KernelChoiceTest : public GenerateCommandTest {
protected:
    test::ProgramResult GenerateWith(const std::string& kernel, const std::string& arguments) const {
        return test::RunShell("cd " + work_.string() + " && ORVALIS_KERNEL='" + kernel + "' " + ORVALIS_BIN_DIR +
                                  "/orvalis-cli generate " + arguments,
                              folder_);
    }
};

TEST_F(KernelChoiceTest, ABadValueEndsTheRunBeforeAnyWork) {
    for (const char* value : {"sse", "Scalar", ""}) {
        SCOPED_TRACE(value);
        const test::ProgramResult result = GenerateWith(value, "--output t.bmp --size 16");
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_EQ(result.Err.rfind(std::string("orvalis-cli: error: ORVALIS_KERNEL=") + value + " is not a kernel", 0),
                  0u)
            << result.Err;
        EXPECT_NE(result.Err.find("this processor runs scalar"), std::string::npos) << result.Err;
        EXPECT_EQ(Outputs(), std::set<std::string>{});
    }
}

// Shadows of a low sun, the normal map and the splat map, at every level.
TEST_F(KernelChoiceTest, EveryLevelWritesTheSameBytes) {
    const char* files[] = {"t.bmp", "t_lm.bmp", "n.png", "s.png", "s_1.png"};
    std::string reference[std::size(files)];
    test::ForEachKernelLevel([&](KernelLevel level) {
        const std::string name = test::NameOf(level);
        const std::string folder = "k_" + name;
        std::filesystem::create_directory(work_ / folder);
        const test::ProgramResult result =
            GenerateWith(name, "--size 200 --light-dir 300 --sun-pos 12 --output " + folder +
                                   "/t.bmp --normal-map " + folder + "/n.png --splat-map " + folder + "/s.png");
        ASSERT_EQ(result.ExitCode, 0) << result.Err;
        for (std::size_t i = 0; i < std::size(files); ++i) {
            const std::string bytes = test::ReadBytes(work_ / folder / files[i]);
            ASSERT_FALSE(bytes.empty()) << files[i];
            if (level == KernelLevel::Scalar) reference[i] = bytes;
            else EXPECT_TRUE(bytes == reference[i]) << files[i] << " differs from the scalar path's";
        }
    });
}

}  // namespace
}  // namespace orvalis
