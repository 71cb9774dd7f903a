#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

TDibBuffer Picture(int width, int rows, int shade) {
    TDibBuffer picture;
    picture.Allocate(width, rows, 24);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x) {
            const auto h = static_cast<std::uint8_t>((x * 29 + y * 53 + x * y * 7 + shade) % 256);
            picture.WritePixel(y, x, MakeColour(h, shade ? h / 2 : h, shade ? 255 - h : h));
        }
    return picture;
}

bool SamePixels(const std::string& bmpPath, const std::string& otherPath) {
    TDibBuffer bmp;
    bmp.ReadBmpFile(bmpPath);
    const TDibBuffer other = ReadPictureFile(otherPath).Pixels;
    return bmp.PixelBytes() == other.PixelBytes() &&
           std::memcmp(bmp.PixelData(), other.PixelData(), bmp.PixelBytes()) == 0;
}

class EngineOutputsTest : public test::ScratchFolderTest {
protected:
    // The exit code of orvalis-cli run in the scratch folder; stderr goes to "err.txt".
    int Run(const std::string& arguments) const {
        const std::string command = "cd " + folder_.string() + " && " + ORVALIS_BIN_DIR +
                                    "/orvalis-cli " + arguments + " 2>err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Writes the tiles t0 .. t4 as BMP and PNG; gives the list of one kind.
    std::string WriteTiles(const std::string& extension) const {
        std::string tiles;
        for (int i = 0; i < 5; ++i) {
            const std::string stem = PathOf("t") + static_cast<char>('0' + i);
            Picture(3 + i, 4, 40 * i + 1).WriteBmpFile(stem + ".bmp");
            WritePngFile(stem + ".png", Picture(3 + i, 4, 40 * i + 1));
            tiles += (i ? "," : "") + stem + extension;
        }
        return tiles;
    }
};

// A 16-bit PNG heightmap of multiples of 257 with PNG tiles gives the
// texture and lightmap of its 8-bit BMP, as PNG too; the splat and normal
// maps come at the texture's and the heightmap's size.
TEST_F(EngineOutputsTest, SixteenBitPngGivesTheBmpResultInEveryOutputFormat) {
    fs::create_directories(folder_ / "ref");
    fs::create_directories(folder_ / "png");
    const std::string bmpTiles = WriteTiles(".bmp"), pngTiles = WriteTiles(".png");
    const TDibBuffer heightmap = Picture(10, 10, 0);
    heightmap.WriteBmpFile(PathOf("h.bmp"));
    test::GdalPicture words{10, 10, 1, GDT_UInt16};
    for (int y = 9; y >= 0; --y)
        for (int x = 0; x < 10; ++x) words.Samples.push_back(heightmap.ReadPixel(y, x).Red * 257.0);
    test::WriteWithGdal(PathOf("h16.png"), "PNG", words);

    const std::string common = "generate --quiet --size 16 --tiles ";
    ASSERT_EQ(Run(common + bmpTiles + " --heightmap h.bmp --output-dir ref"), 0);
    ASSERT_EQ(Run(common + pngTiles + " --heightmap h16.png --output-dir png --format png"
                                      " --splat-map png/splat.png --normal-map png/normals.png"),
              0);
    EXPECT_TRUE(SamePixels(PathOf("ref/terrain_tex.bmp"), PathOf("png/terrain_tex.png")));
    EXPECT_TRUE(SamePixels(PathOf("ref/lm.bmp"), PathOf("png/lm.png")));
    EXPECT_EQ(ReadPictureFacts(PathOf("png/splat.png")).Layout.Width, 16);
    EXPECT_EQ(ReadPictureFacts(PathOf("png/splat_1.png")).Layout.Rows, 16);
    EXPECT_EQ(ReadPictureFacts(PathOf("png/normals.png")).Layout.Width, 10);

    // A default-named PNG moves on to the next free name; no BMP is written
    // on the way, nor any staging file left.
    ASSERT_EQ(Run(common + bmpTiles + " --heightmap h.bmp --output-dir png --format png"), 0);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_ / "png")) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"terrain_tex.png", "terrain_tex0.png", "lm.png",
                                            "splat.png", "splat_1.png", "normals.png"}));
    EXPECT_TRUE(SamePixels(PathOf("ref/terrain_tex.bmp"), PathOf("png/terrain_tex0.png")));
}

// --height-range reaches the generation's one read of the heightmap: a
// Float32 TIFF of 2h - 300 metres read as -300 .. 210 gives every output of
// the BMP of h.
TEST_F(EngineOutputsTest, HeightRangeReachesTheHeightmapRead) {
    const TDibBuffer heightmap = Picture(10, 10, 0);
    heightmap.WriteBmpFile(PathOf("h.bmp"));
    test::GdalPicture metres{10, 10, 1, GDT_Float32};
    for (int y = 9; y >= 0; --y)
        for (int x = 0; x < 10; ++x) metres.Samples.push_back(2.0 * heightmap.ReadPixel(y, x).Red - 300);
    test::WriteWithGdal(PathOf("h.tif"), "GTiff", metres);

    const std::string common = "generate --quiet --size 16 --tiles " + WriteTiles(".bmp") + " --heightmap ";
    const std::pair<std::string, std::string> runs[] = {{"bmp", "h.bmp"}, {"tif", "h.tif --height-range -300:210"}};
    for (const auto& [out, heightmapArguments] : runs) {
        fs::create_directories(folder_ / out);
        ASSERT_EQ(Run(common + heightmapArguments + " --output-dir " + out + " --splat-map " + out +
                      "/splat.png --normal-map " + out + "/normals.png"),
                  0)
            << heightmapArguments;
    }
    for (const char* file : {"terrain_tex.bmp", "lm.bmp", "splat.png", "splat_1.png", "normals.png"}) {
        EXPECT_EQ(test::ReadBytes(PathOf("tif/") + file), test::ReadBytes(PathOf("bmp/") + file)) << file;
    }
}

// --png-compression reaches every PNG of a run: the zlib header in each
// names the level, and the pixels stay those of the fast level.
TEST_F(EngineOutputsTest, PngCompressionReachesEveryFileAndKeepsThePixels) {
    std::string tiles;
    for (int i = 0; i < 5; ++i) {
        Picture(3 + i, 4, 40 * i + 1).WriteBmpFile(PathOf("t") + static_cast<char>('0' + i) + ".bmp");
        tiles += (i ? ",t" : "t") + std::to_string(i) + ".bmp";
    }
    Picture(10, 10, 0).WriteBmpFile(PathOf("h.bmp"));
    // Signature (8 bytes), header chunk (25), the first IDAT's length and type (8).
    constexpr std::size_t kZlibFlags = 8 + 25 + 8 + 1;
    const struct {
        const char* Level;
        int HeaderLevel;
    } levels[] = {{"fast", 0}, {"default", 2}, {"best", 3}};
    for (const auto& level : levels) {
        SCOPED_TRACE(level.Level);
        const std::string out = level.Level;
        fs::create_directories(folder_ / out);
        ASSERT_EQ(Run("generate --quiet --size 16 --tiles " + tiles + " --heightmap h.bmp --output " + out +
                      "/tex.png --splat-map " + out + "/s.png --normal-map " + out + "/n.png --png-compression " +
                      out),
                  0);
        for (const char* file : {"tex.png", "tex_lm.png", "s.png", "s_1.png", "n.png"}) {
            SCOPED_TRACE(file);
            const std::string bytes = test::ReadBytes(folder_ / out / file);
            ASSERT_GT(bytes.size(), kZlibFlags);
            EXPECT_EQ(static_cast<std::uint8_t>(bytes[kZlibFlags]) >> 6, level.HeaderLevel);
            EXPECT_EQ(test::ReadWithGdal(PathOf(out + "/" + file)).Samples,
                      test::ReadWithGdal(PathOf(std::string("fast/") + file)).Samples);
        }
    }
}

}  // namespace
}  // namespace orvalis
