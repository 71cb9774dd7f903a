#include "generation/TextureInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/ScratchFolderTest.h"
#include "files/Error.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;
using Lines = std::array<std::string, 5>;

class TextureInfoTest : public test::ScratchFolderTest {
protected:
    std::string WriteRaw(const std::string& bytes) const {
        const std::string path = PathOf("info.txt");
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

};

TextureInfo SampleInfo() {
    TextureInfo info;
    info.TileFiles = {"/tiles/snow.bmp", "rock.bmp", "grass tile.bmp", "sand.bmp", "w\xe4sser.bmp"};
    info.HeightmapFile = "maps/hills.bmp";
    info.BandTexts = {"256", "192", "", "64", "0"};
    return info;
}

TEST_F(TextureInfoTest, WritesElevenCrLfLinesThatReadBackUnchanged) {
    const std::string path = PathOf("setup.txt");
    WriteTextureInfo(path, SampleInfo());

    EXPECT_EQ(test::ReadBytes(path),
              "/tiles/snow.bmp\r\nrock.bmp\r\ngrass tile.bmp\r\nsand.bmp\r\nw\xe4sser.bmp\r\n"
              "maps/hills.bmp\r\n256\r\n192\r\n\r\n64\r\n0\r\n");
    const TextureInfo read = ReadTextureInfo(path);
    EXPECT_EQ(read.TileFiles, SampleInfo().TileFiles);
    EXPECT_EQ(read.HeightmapFile, "maps/hills.bmp");
    EXPECT_EQ(read.BandTexts, SampleInfo().BandTexts);
    EXPECT_FALSE(fs::exists(path + ".partial"));
}

TEST_F(TextureInfoTest, AbsentBandTextsAreWrittenAsFiveEmptyLines) {
    TextureInfo info = SampleInfo();
    info.BandTexts.reset();
    const std::string path = PathOf("setup.txt");
    WriteTextureInfo(path, info);

    EXPECT_TRUE(test::ReadBytes(path).ends_with("hills.bmp\r\n\r\n\r\n\r\n\r\n\r\n"));
    EXPECT_EQ(ReadTextureInfo(path).BandTexts, Lines{});
}

TEST_F(TextureInfoTest, ReadsLinesUpToLfOrCrLfUntilCtrlZ) {
    using Bands = std::optional<Lines>;
    struct Case {
        std::string Bytes;
        Lines Tiles;
        std::string Heightmap;
        Bands BandTexts;
    };
    const Lines abcde = {"a", "b", "c", "d", "e"};
    const Case cases[] = {
        {"a\r\nb\r\nc\r\nd\r\ne\r\nhm\r\n", abcde, "hm", std::nullopt},
        {"a\nb\nc\nd\ne\nhm", abcde, "hm", std::nullopt},
        {"a\nb\nc\nd\ne\nhm\r\n\x1A" "1\r\n", abcde, "hm", std::nullopt},
        {"a\nb\r\ncd\n\ne\r\nhm\n1\n2\r\n3\n4\n5", {"a", "b", "cd", "", "e"}, "hm",
         Lines{"1", "2", "3", "4", "5"}},
        {"a\r\nb\x1A" "c\r\nd\r\ne\r\nf\r\n", {"a", "b", "", "", ""}, "", std::nullopt},
        {"", {}, "", std::nullopt},
        // An empty seventh line still counts as the file going on.
        {"a\nb\nc\nd\ne\nhm\n\n", abcde, "hm", Lines{}},
        {"a\nb\nc\nd\ne\nhm\n256\n192\n", abcde, "hm", Lines{"256", "192", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Bytes));
        const TextureInfo info = ReadTextureInfo(WriteRaw(c.Bytes));
        EXPECT_EQ(info.TileFiles, c.Tiles);
        EXPECT_EQ(info.HeightmapFile, c.Heightmap);
        EXPECT_EQ(info.BandTexts, c.BandTexts);
    }
}

TEST_F(TextureInfoTest, MissingFileIsReportedByName) {
    const std::string path = PathOf("absent.txt");
    EXPECT_EQ(test::MessageOf<Error>([&] { ReadTextureInfo(path); }),
              path + ": Datei nicht gefunden");
    EXPECT_THROW(ReadTextureInfo(folder_.string()), Error);
}

TEST_F(TextureInfoTest, FailedWriteKeepsTheEarlierFile) {
    const std::string path = PathOf("setup.txt");
    WriteTextureInfo(path, SampleInfo());
    const std::string before = test::ReadBytes(path);

    TextureInfo broken = SampleInfo();
    broken.HeightmapFile = "two\nlines.bmp";
    EXPECT_THROW(WriteTextureInfo(path, broken), Error);
    EXPECT_EQ(test::ReadBytes(path), before);

    EXPECT_THROW(WriteTextureInfo(PathOf("no-such-folder/setup.txt"), SampleInfo()), Error);
}

// A set-up's relative paths are found from the current folder first, then
// beside the set-up file.
TEST_F(TextureInfoTest, RelativePathsNotInTheCurrentFolderAreFoundBesideTheFile) {
    fs::create_directories(folder_ / "work");
    fs::create_directories(folder_ / "sets");
    for (const char* name : {"work/both.bmp", "sets/both.bmp", "sets/beside.bmp", "up.bmp"}) {
        test::WriteBytes(PathOf(name), "x");
    }
    const fs::path previous = fs::current_path();
    fs::current_path(folder_ / "work");
    const std::string info = PathOf("sets/setup.txt");
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"both.bmp", "both.bmp"},
        {"beside.bmp", PathOf("sets/beside.bmp")},
        {"../up.bmp", "../up.bmp"},
        {"../sets/beside.bmp", "../sets/beside.bmp"},
        {"nowhere.bmp", "nowhere.bmp"},
        {"/no/such/absolute.bmp", "/no/such/absolute.bmp"},
    };
    for (const auto& [written, expected] : cases) {
        EXPECT_EQ(ResolveInfoPath(written, info), expected) << written;
    }
    // A relative info path is taken from the current folder as well.
    EXPECT_EQ(ResolveInfoPath("beside.bmp", "../sets/setup.txt"), PathOf("sets/beside.bmp"));
    fs::current_path(previous);
}

}  // namespace
}  // namespace orvalis
