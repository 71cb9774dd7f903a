#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/BmpBytes.h"
#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// An RLE8 BMP of side x side pixels whose data are an end of line a row:
// 2 bytes a row that stand for a whole row of colour 0.
std::vector<std::uint8_t> RunLengthOfLines(int side) {
    const std::uint32_t pixelOffset = 14 + 40 + 1024, dataBytes = 2 * side + 2;
    std::vector<std::uint8_t> bytes(pixelOffset + dataBytes);
    bytes[0] = 'B';
    bytes[1] = 'M';
    test::PutU32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    test::PutU32(bytes, test::kPixelOffsetAt, pixelOffset);
    test::PutU32(bytes, test::kHeaderSizeAt, 40);
    test::PutU32(bytes, test::kWidthAt, static_cast<std::uint32_t>(side));
    test::PutU32(bytes, test::kHeightAt, static_cast<std::uint32_t>(side));
    test::PutU16(bytes, 26, 1);
    test::PutU16(bytes, test::kBitCountAt, 8);
    test::PutU32(bytes, test::kCompressionAt, BI_RLE8);
    bytes[bytes.size() - 1] = 1;  // end of picture; every line before it ends at once
    return bytes;
}

struct BudgetCase {
    const char* Name;
    const char* File;
    std::function<void(const std::string& path)> Make;
    std::uint64_t Limit;
    bool FactsOnly;  // what `info` reads rather than the whole picture
    bool Refused;    // or read within the limit
};

using MemoryBudgetTest = test::ScratchFolderTest;

// Small files that decode to large pictures are refused before anything is
// allocated for them when their need is above the limit, and read when it
// is not; what a decoder keeps besides the picture counts too.
TEST_F(MemoryBudgetTest, ReadsAboveTheLimitAreRefusedNamingNeedAndLimit) {
    const auto zeros = [](const char* driver, int side, GDALDataType type,
                          std::vector<const char*> options = {}) {
        return [=](const std::string& path) { test::WriteZerosWithGdal(path, driver, side, side, type, options); };
    };
    const BudgetCase cases[] = {
        {"8-bit PNG of zeros", "zeros.png", zeros("PNG", 4096, GDT_Byte), 16 * kMiB, false, true},
        {"16-bit PNG of zeros", "zeros16.png", zeros("PNG", 2048, GDT_UInt16), 16 * kMiB, false, true},
        {"deflate float TIFF of zeros", "zeros.tif", zeros("GTiff", 2048, GDT_Float32, {"COMPRESS=DEFLATE"}),
         16 * kMiB, false, true},
        {"RLE8 BMP of empty lines", "lines.bmp",
         [](const std::string& path) { test::WriteBytes(path, RunLengthOfLines(4096)); }, 8 * kMiB, false, true},
        {"RAW heightmap", "sparse.r16",
         [](const std::string& path) {
             test::WriteBytes(path, "");
             fs::resize_file(path, 2 * 2048 * 2048);
         },
         16 * kMiB, false, true},
        // A baseline JPEG reads within the limit, a progressive one of the
        // same size needs its coefficients too.
        {"baseline JPEG", "baseline.jpg", zeros("JPEG", 2048, GDT_Byte), 16 * kMiB, true, false},
        {"progressive JPEG", "progressive.jpg", zeros("JPEG", 2048, GDT_Byte, {"PROGRESSIVE=ON"}), 16 * kMiB,
         true, true},
        // One frame reads within the limit; GDAL decodes all 64 on opening.
        {"GIF of one frame", "frame.gif", [](const std::string& path) { test::WriteGifOfFrames(path, 1024, 1); },
         32 * kMiB, true, false},
        {"GIF of 64 frames", "frames.gif", [](const std::string& path) { test::WriteGifOfFrames(path, 1024, 64); },
         32 * kMiB, true, true},
    };
    for (const BudgetCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = PathOf(c.File);
        c.Make(path);
        const auto read = [&](std::uint64_t limit) {
            PictureReadOptions options;
            options.MemoryLimit = limit;
            if (c.FactsOnly) ReadPictureFacts(path, options);
            else ReadPictureFile(path, options);
        };
        const std::string message = test::MessageOf<Error>([&] { read(c.Limit); });
        if (!c.Refused) {
            EXPECT_EQ(message, test::kNoError);
            continue;
        }
        EXPECT_EQ(message.rfind(path + ": reading it needs ", 0), 0u) << message;
        EXPECT_NE(message.find(" of memory, more than the memory limit of " + DescribeBytes(c.Limit)),
                  std::string::npos)
            << message;
    }
}

// The refused bombs are valid pictures: a larger limit reads them.
TEST_F(MemoryBudgetTest, TheSameFilesAreRefusedUnderASmallerLimit) {
    const std::string png = PathOf("zeros.png"), bmp = PathOf("lines.bmp");
    test::WriteZerosWithGdal(png, "PNG", 4096, 4096, GDT_Byte);
    test::WriteBytes(bmp, RunLengthOfLines(4096));
    for (const std::string& path : {png, bmp}) {
        PictureReadOptions options;
        options.MemoryLimit = 8 * kMiB;
        EXPECT_NE(test::MessageOf<Error>([&] { ReadPictureFile(path, options); }).find("reading it needs"),
                  std::string::npos);
        options.MemoryLimit = 256 * kMiB;
        EXPECT_EQ(ReadPictureFile(path, options).Pixels.Width(), 4096);
    }
}

// A set cancel flag stops a read before it decodes, in every reader.
TEST_F(MemoryBudgetTest, ACancelledReadStops) {
    const std::string png = PathOf("zeros.png"), raw = PathOf("h.r16");
    test::WriteZerosWithGdal(png, "PNG", 64, 64, GDT_Byte);
    test::WriteBytes(raw, std::string(2 * 64 * 64, '\0'));
    CancelFlag cancel{true};
    PictureReadOptions options;
    options.Cancel = &cancel;
    for (const std::string& path : {png, raw}) {
        EXPECT_THROW(ReadPictureFile(path, options), RunCancelled) << path;
        EXPECT_THROW(ReadPictureFacts(path, options), RunCancelled) << path;
    }
}

// Out of memory within the limit is an Error naming the file, never a bare
// std::bad_alloc: seen in a child whose address space is cut short.
TEST_F(MemoryBudgetTest, OutOfMemoryIsAnErrorNamingTheFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the test allows";
#endif
    const std::string path = PathOf("sparse.r16");
    test::WriteBytes(path, "");
    fs::resize_file(path, std::uint64_t{2} * 16384 * 16384);  // needs 2.9 GB to read
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for the pixels (805 MB), none for the heights (2.1 GB) after them.
        std::uint64_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t room = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + (std::uint64_t{1} << 30);
        const rlimit space{room, room};
        setrlimit(RLIMIT_AS, &space);
        const std::string message = test::MessageOf<Error>([&] { ReadPictureFile(path); });
        _exit(message == path + ": there is not enough memory to read it" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace orvalis
