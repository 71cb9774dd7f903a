#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/GdalFiles.h"
#include "common/RunCli.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

constexpr int kSide = 10;

int HeightAt(int x, int y) { return (x * 29 + y * 53 + x * y * 7) % 256; }

TDibBuffer Tile(int shade) {
    TDibBuffer tile;
    tile.Allocate(3 + shade % 4, 4, 24);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < tile.Width(); ++column)
            tile.WritePixel(row, column, MakeColour(static_cast<std::uint8_t>(shade + 9 * row),
                                                    static_cast<std::uint8_t>(shade + 5 * column),
                                                    static_cast<std::uint8_t>(shade)));
    return tile;
}

// One heightmap in several formats and depths, tiles as BMP and as PNG.
class EngineOutputsTest : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        work_ = folder_ / "work";
        fs::create_directories(work_ / "in");
        const char* const stems[] = {"t0", "t1", "t2", "t3", "t4"};
        for (int i = 0; i < 5; ++i) {
            Tile(40 * i).WriteBmpFile(In(std::string(stems[i]) + ".bmp"));
            WritePngFile(In(std::string(stems[i]) + ".png"), Tile(40 * i));
        }
        TDibBuffer heightmap;
        heightmap.Allocate(kSide, kSide, 24);
        test::GdalPicture grey, words, real;
        grey.Width = words.Width = real.Width = grey.Rows = words.Rows = real.Rows = kSide;
        words.Type = GDT_UInt16;
        real.Type = GDT_Float32;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const auto h = static_cast<std::uint8_t>(HeightAt(x, y));
                heightmap.WritePixel(heightmap.BufferRow(y), x, MakeColour(h, h, h));
                grey.Samples.push_back(h);
                words.Samples.push_back(h * 257.0);
                real.Samples.push_back(h * 0.5);
            }
        }
        heightmap.WriteBmpFile(In("h.bmp"));
        test::WriteWithGdal(In("h8.png"), "PNG", grey);
        test::WriteWithGdal(In("h16.png"), "PNG", words);
        test::WriteWithGdal(In("h16.r16"), "ENVI", words);  // headerless little-endian samples
        fs::remove(In("h16.hdr"));
        test::WriteWithGdal(In("hf.tif"), "GTiff", real);
    }

    std::string In(const std::string& name) const { return (work_ / "in" / name).string(); }

    test::CliResult Run(const std::string& arguments) const {
        return test::RunCli(work_, folder_, arguments);
    }

    // Generates into a fresh folder; empty when the run failed.
    fs::path Generate(const std::string& folder, const std::string& arguments) const {
        fs::create_directories(work_ / folder);
        const test::CliResult result =
            Run("generate --size 16 --quiet --output-dir " + folder + " " + arguments);
        EXPECT_EQ(result.ExitCode, 0) << result.Err;
        return work_ / folder;
    }

    static std::string Tiles(const char* extension) {
        std::string list;
        for (int i = 0; i < 5; ++i) {
            if (i > 0) list += ',';
            list += "in/t";
            list += std::to_string(i);
            list += extension;
        }
        return list;
    }

    fs::path work_;
};

// Whole-number heights in any format give the texture and lightmap of the BMP, byte for byte.
TEST_F(EngineOutputsTest, EveryFormatGivesTheBmpTextureAndLightmap) {
    const fs::path reference = Generate("ref", "--heightmap in/h.bmp --tiles " + Tiles(".bmp"));
    const std::string texture = test::ReadFileText(reference / "terrain_tex.bmp");
    const std::string lightmap = test::ReadFileText(reference / "lm.bmp");
    ASSERT_FALSE(texture.empty());
    const char* const runs[] = {
        "--heightmap in/h8.png --tiles ",  "--heightmap in/h16.png --tiles ",
        "--heightmap in/h16.r16 --tiles ", "--heightmap in/hf.tif --height-range 0:127.5 --tiles ",
    };
    int n = 0;
    for (const char* run : runs) {
        for (const char* tiles : {".bmp", ".png"}) {
            SCOPED_TRACE(std::string(run) + tiles);
            const fs::path out = Generate("out" + std::to_string(n++), run + Tiles(tiles));
            EXPECT_EQ(test::ReadFileText(out / "terrain_tex.bmp"), texture);
            EXPECT_EQ(test::ReadFileText(out / "lm.bmp"), lightmap);
        }
    }
}

TEST_F(EngineOutputsTest, PngTextureSplatAndNormalMapsHaveTheirProperties) {
    const std::string inputs = "--heightmap in/h16.png --tiles " + Tiles(".bmp");
    const fs::path reference = Generate("ref", inputs);
    const fs::path png = Generate("png", inputs + " --format png --splat-map png/splat.png"
                                                  " --normal-map png/normals.png");
    EXPECT_FALSE(fs::exists(png / "terrain_tex.bmp"));
    EXPECT_FALSE(fs::exists(png / "lm.bmp"));
    for (const char* name : {"terrain_tex", "lm"}) {
        TDibBuffer bmp;
        bmp.ReadBmpFile((reference / (std::string(name) + ".bmp")).string());
        const Picture read = ReadPictureFile((png / (std::string(name) + ".png")).string());
        EXPECT_TRUE(test::ReadWithGdal((png / (std::string(name) + ".png")).string()).Type == GDT_Byte);
        ASSERT_EQ(read.Pixels.PixelBytes(), bmp.PixelBytes()) << name;
        EXPECT_EQ(0, std::memcmp(read.Pixels.PixelData(), bmp.PixelData(), bmp.PixelBytes())) << name;
    }

    const test::GdalPicture splat = test::ReadWithGdal((png / "splat.png").string());
    const test::GdalPicture band0 = test::ReadWithGdal((png / "splat_1.png").string());
    ASSERT_EQ(splat.Bands, 4);
    ASSERT_EQ(splat.Width * splat.Rows, 16 * 16);
    ASSERT_EQ(band0.Samples.size(), splat.Samples.size());
    const std::size_t plane = 16 * 16;
    for (std::size_t i = 0; i < plane; ++i) {
        const double sum = splat.Samples[i] + splat.Samples[i + plane] +
                           splat.Samples[i + 2 * plane] + splat.Samples[i + 3 * plane] +
                           band0.Samples[i];
        EXPECT_EQ(sum, 255) << i;
    }

    const test::GdalPicture normals = test::ReadWithGdal((png / "normals.png").string());
    EXPECT_EQ(normals.Width, kSide);
    EXPECT_EQ(normals.Rows, kSide);
    EXPECT_EQ(normals.Bands, 3);
}

TEST_F(EngineOutputsTest, PngNamesAreCheckedAndInfoDescribesOtherFormats) {
    const std::string inputs = " --heightmap in/h.bmp --tiles " + Tiles(".bmp");
    fs::create_directories(work_ / "taken");
    std::ofstream(work_ / "taken" / "terrain_tex.png") << "earlier";
    const test::CliResult taken = Run("generate --quiet --format png --output-dir taken" + inputs);
    EXPECT_EQ(taken.ExitCode, 1);
    EXPECT_NE(taken.Err.find("terrain_tex.png: already exists"), std::string::npos) << taken.Err;
    EXPECT_FALSE(fs::exists(work_ / "taken" / "terrain_tex.bmp"));

    const test::CliResult clash = Run("generate --quiet --format bmp --output x.png" + inputs);
    EXPECT_EQ(clash.ExitCode, 2);

    const test::CliResult info = Run("info in/h16.png");
    EXPECT_EQ(info.ExitCode, 0);
    EXPECT_EQ(info.Out,
              "format: PNG\nwidth: 10\nheight: 10\nchannels: 1\nbits per sample: 16\n"
              "sample type: UInt16\nheight range: 0 .. 65021\n");
}

}  // namespace
}  // namespace orvalis
