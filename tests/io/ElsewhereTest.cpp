#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include <cpl_vsi.h>
#include <gtest/gtest.h>

#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "files/InputFile.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

constexpr int kOwnLevel = 77, kElsewhereLevel = 200;

test::GdalPicture Level(int level) { return {4, 3, 1, GDT_Byte, std::vector<double>(12, level)}; }

// An ERDAS Imagine picture whose data lie in a spill file: "abcdefghi.img"
// names "abcdefghi.ige" inside its header, a name of 13 characters that a
// patch can replace by another of the same length.
void WriteWithSpill(const std::string& path, int level) {
    test::GdalPicture picture = Level(level);
    picture.Options[0] = "USE_SPILL=YES";
    test::WriteWithGdal(path, "HFA", picture);
}

void RenameSpillInHeader(const std::string& path, const std::string& name) {
    std::string bytes = test::ReadBytes(path);
    const std::size_t at = bytes.find("abcdefghi.ige");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, name.size(), name);
    test::WriteBytes(path, bytes);
}

struct ElsewhereCase {
    const char* Name;
    // Makes the files in the folder and gives the name to read, in "sub".
    std::function<std::string(const fs::path& folder)> Make;
    const char* Problem;  // nullptr: the file is read as itself
};

using ElsewhereTest = test::ScratchFolderTest;

// Only the named regular file is read: names inside a header, prefixes that
// GDAL would parse and sidecars never lead elsewhere, and a picture whose
// data lie in another file is refused at once, naming that file.
TEST_F(ElsewhereTest, OnlyTheNamedFileIsRead) {
    const auto picture = [](const char* name, const char* driver = "GTiff") {
        return [name, driver](const fs::path& folder) {
            test::WriteWithGdal((folder / "sub" / name).string(), driver, Level(kOwnLevel));
            return name;
        };
    };
    const auto withPipeAndOther = [](auto make) {
        return [make](const fs::path& folder) {
            ::mkfifo((folder / "sub/pipe.tif").c_str(), 0600);
            test::WriteWithGdal((folder / "sub/elsewhere.tif").string(), "GTiff", Level(kElsewhereLevel));
            return std::string(make(folder));
        };
    };
    const ElsewhereCase cases[] = {
        {"spill file beside the picture",
         [](const fs::path& folder) {
             WriteWithSpill((folder / "sub/abcdefghi.img").string(), kOwnLevel);
             return "abcdefghi.img";
         },
         "its data are kept in another file, 'abcdefghi.ige'"},
        {"spill file renamed to a FIFO in the folder above",
         [](const fs::path& folder) {
             WriteWithSpill((folder / "sub/abcdefghi.img").string(), kOwnLevel);
             RenameSpillInHeader((folder / "sub/abcdefghi.img").string(), "../fifo01.ige");
             ::mkfifo((folder / "fifo01.ige").c_str(), 0600);
             return "abcdefghi.img";
         },
         "its data are kept in another file, '../fifo01.ige'"},
        {"spill file renamed to another picture's in the folder above",
         [](const fs::path& folder) {
             WriteWithSpill((folder / "abcdefghi.img").string(), kElsewhereLevel);
             fs::rename(folder / "abcdefghi.ige", folder / "secret.ige");
             WriteWithSpill((folder / "sub/abcdefghi.img").string(), kOwnLevel);
             RenameSpillInHeader((folder / "sub/abcdefghi.img").string(), "../secret.ige");
             return "abcdefghi.img";
         },
         "its data are kept in another file, '../secret.ige'"},
        {"GTIFF_DIR: before a FIFO's name", withPipeAndOther(picture("GTIFF_DIR:1:pipe.tif")), nullptr},
        {"GTIFF_DIR: before another picture's name", withPipeAndOther(picture("GTIFF_DIR:1:elsewhere.tif")), nullptr},
        {"HDF5: before another picture's name", withPipeAndOther(picture("HDF5:elsewhere.tif")), nullptr},
        {"NETCDF: before another picture's name", withPipeAndOther(picture("NETCDF:elsewhere.tif:z")), nullptr},
        {"EHdr pair, both regular files", picture("pair.bil", "EHdr"), nullptr},
        {"EHdr pair with its header in capitals",
         [&](const fs::path& folder) {
             picture("pair.bil", "EHdr")(folder);
             fs::rename(folder / "sub/pair.hdr", folder / "sub/pair.HDR");
             return "pair.bil";
         },
         nullptr},
        {"EHdr data whose header is a FIFO",
         [&](const fs::path& folder) {
             picture("pair.bil", "EHdr")(folder);
             fs::remove(folder / "sub/pair.hdr");
             ::mkfifo((folder / "sub/pair.hdr").c_str(), 0600);
             return "pair.bil";
         },
         "is not a regular file (a FIFO))"},
        {"EHdr data whose header is elsewhere",
         [&](const fs::path& folder) {
             picture("pair.bil", "EHdr")(folder);
             fs::rename(folder / "sub/pair.hdr", folder / "pair.hdr");
             return "pair.bil";
         },
         "not a picture in a supported format"},
    };
    for (const ElsewhereCase& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "sub");
        const std::string path = (folder_ / "sub" / c.Make(folder_)).string();
        try {
            const Picture read = ReadPictureFile(path);
            EXPECT_EQ(c.Problem, nullptr) << "read";
            EXPECT_EQ(read.Pixels.ReadPixel(0, 0).Red, kOwnLevel);
            EXPECT_EQ(ReadPictureFacts(path).Range->High, kOwnLevel);
        } catch (const Error& e) {
            ASSERT_NE(c.Problem, nullptr) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.Problem), std::string::npos) << e.what();
        }
    }
}

// GDAL's own file systems are no files of the user's: their names are
// looked for on the disk, and not found there.
TEST_F(ElsewhereTest, GdalFileSystemNamesAreNotFound) {
    test::WriteWithGdal("/vsimem/orvalis-elsewhere.tif", "GTiff", Level(kElsewhereLevel));
    for (const std::string& path : {std::string("/vsimem/orvalis-elsewhere.tif"),
                                    "/vsisubfile/0_100," + PathOf("none.tif"),
                                    std::string("/vsicurl/http://localhost/x.tif")}) {
        EXPECT_THROW(ReadPictureFile(path), FileNotFoundError) << path;
    }
    VSIUnlink("/vsimem/orvalis-elsewhere.tif");
}

}  // namespace
}  // namespace orvalis
