#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "common/ErrorMessage.h"
#include "common/ScratchFolderTest.h"
#include "raster/BmpFile.h"
#include "raster/DibBuffer.h"
#include "files/Error.h"
#include "generation/TextureInfo.h"

// Files that once made a reader allocate gigabytes or block for ever: each
// reader refuses them at once with a message naming the file and the problem.
namespace orvalis {
namespace {

const std::string kRegressions = std::string(ORVALIS_REGRESSIONS_DIR) + "/";

struct Reader {
    const char* Name;
    bool ReadsPictures;
    std::function<void(const std::string&)> Read;
};

const std::vector<Reader> kReaders = {
    {"ReadBmpFile", true, [](const std::string& path) { TDibBuffer().ReadBmpFile(path); }},
    {"ReadBmpHeader", true, [](const std::string& path) { ReadBmpHeader(path); }},
    {"ReadTextureInfo", false, [](const std::string& path) { ReadTextureInfo(path); }},
};

struct HostileFile {
    std::string Path;
    std::string Problem;
    bool PicturesOnly = false;  // a bomb means nothing to the texture-info reader
};

class HostileFileTest : public test::ScratchFolderTest {};

TEST_F(HostileFileTest, EveryReaderRefusesAtOnceNamingTheFile) {
    const std::string fifo = PathOf("pipe.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string runLengthClaim =
        "the header claims 30000 x 30000 pixels, more than 2 bytes of run-length data can describe";
    const std::vector<HostileFile> files = {
        {kRegressions + "bomb-rgb24.bmp",
         "the header claims 30000 x 30000 pixels (2700000000 bytes), but the file holds only 0 "
         "bytes of pixels",
         true},
        {kRegressions + "bomb-rle8.bmp", runLengthClaim, true},
        {kRegressions + "bomb-rle4.bmp", runLengthClaim, true},
        {fifo, "is not a regular file (a FIFO)"},
        {"/dev/zero", "is not a regular file (a character device)"},
        {folder_.string(), "is a folder, not a file"},
        {PathOf("missing.bmp"), "Datei nicht gefunden"},
        {PathOf("pipe.bmp/inside.bmp"), "Datei nicht gefunden"},
    };
    for (const HostileFile& file : files) {
        for (const Reader& reader : kReaders) {
            if (file.PicturesOnly && !reader.ReadsPictures) continue;
            SCOPED_TRACE(std::string(reader.Name) + " " + file.Path);
            EXPECT_EQ(test::MessageOf<Error>([&] { reader.Read(file.Path); }),
                      file.Path + ": " + file.Problem);
        }
    }
}

}  // namespace
}  // namespace orvalis
