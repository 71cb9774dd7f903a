#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

// orvalis-cli in a working folder with five small tiles (t0.bmp .. t4.bmp)
// and an empty folder "out" for what runs write.
class ReadLimitsTest : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        for (const char* tile : {"t0.bmp", "t1.bmp", "t2.bmp", "t3.bmp", "t4.bmp"}) {
            test::GreyPicture(3, 3, tile[1] * 9).WriteBmpFile(PathOf(tile));
        }
        fs::create_directory(folder_ / "out");
    }

    test::ProgramResult Run(const std::string& arguments) const {
        return test::RunShell("cd " + folder_.string() + " && " + ORVALIS_BIN_DIR + "/orvalis-cli " + arguments,
                              folder_);
    }

    bool OutIsEmpty() const { return fs::is_empty(folder_ / "out"); }
};

constexpr const char* kTiles = " --tiles t0.bmp,t1.bmp,t2.bmp,t3.bmp,t4.bmp";

// Every command that reads a picture takes --memory-limit: a picture that
// needs more is refused with exit code 1, naming it, what it needs and the
// limit, and nothing is written; a bad SIZE is a usage error.
TEST_F(ReadLimitsTest, EveryReadingCommandKeepsTheMemoryLimit) {
    test::WriteZerosWithGdal(PathOf("h.png"), "PNG", 1024, 1024, GDT_UInt16);
    const struct {
        std::string Arguments;
        int ExitCode;
        const char* Err;
    } cases[] = {
        {"info --memory-limit 1M h.png", 1, "h.png: reading it needs "},
        {"convert h.png out/h.bmp --memory-limit 1M", 1, "h.png: reading it needs "},
        {"generate --size 8 --memory-limit 1M --heightmap h.png --output out/t.bmp" + std::string(kTiles), 1,
         "h.png: reading it needs "},
        {"generate --size 8 --memory-limit 1M --heightmap t0.bmp --output out/t.bmp" + std::string(kTiles) +
             " --tiles h.png,t1.bmp,t2.bmp,t3.bmp,t4.bmp",
         1, "h.png: reading it needs "},
        {"info --memory-limit 12Q h.png", 2, "info: --memory-limit: a memory size is a whole number"},
        {"convert h.png out/h.bmp --memory-limit", 2, "convert: --memory-limit needs a value"},
        {"generate --memory-limit 0 --heightmap h.png" + std::string(kTiles), 2,
         "generate: --memory-limit: a memory size"},
        {"info --memory-limit 1G h.png", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments);
        const test::ProgramResult result = Run(c.Arguments);
        EXPECT_EQ(result.ExitCode, c.ExitCode) << result.Err;
        EXPECT_NE(result.Err.find(c.Err), std::string::npos) << result.Err;
        if (c.ExitCode == 1) {
            EXPECT_NE(result.Err.find("more than the memory limit of 1.00 MiB"), std::string::npos);
        }
        EXPECT_TRUE(OutIsEmpty());
    }
}

// SIGINT while a heightmap is decoded ends the run as any stop does: exit
// code 130 and nothing left. The input is lazy: GDAL decodes all 128 frames
// of this GIF as it opens it, and our reads of its bytes see the stop.
TEST_F(ReadLimitsTest, SigintDuringDecodingStopsTheRun) {
    test::WriteGifOfFrames(PathOf("frames.gif"), 2048, 128);
    const fs::path err = folder_ / "stderr.txt";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(folder_.c_str()) != 0 || !freopen(err.c_str(), "w", stderr)) _exit(99);
        const std::string program = std::string(ORVALIS_BIN_DIR) + "/orvalis-cli";
        execl(program.c_str(), program.c_str(), "generate", "--size", "64", "--heightmap", "frames.gif",
              "--tiles", "t0.bmp,t1.bmp,t2.bmp,t3.bmp,t4.bmp", "--output-dir", "out", static_cast<char*>(nullptr));
        _exit(98);
    }
    // The claim is made just before the heightmap is read.
    int status = 0;
    while (!fs::exists(folder_ / "out/terrain_tex.bmp")) {
        ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << test::ReadBytes(err);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(child, SIGINT);
    // A generous wait, so that only a run that never stops fails here.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "the run did not stop";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_NE(test::ReadBytes(err).find("stopped by SIGINT; nothing was saved"), std::string::npos)
        << test::ReadBytes(err);
    EXPECT_TRUE(OutIsEmpty());
}

}  // namespace
}  // namespace orvalis
