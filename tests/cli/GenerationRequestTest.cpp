#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "common/TestTiles.h"
#include "generation/GenerationRequest.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

// The same run asked for by orvalis-cli's words and by a request filled in
// as the window fills it, each writing into a folder of its own.
class GenerationRequestTest : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        for (int i = 0; i < kTileCount; ++i) {
            tiles_.Pictures[i].WriteBmpFile(PathOf("t" + std::to_string(i) + ".bmp"));
        }
        test::RuggedTerrain(24, 24).WriteBmpFile(PathOf("rugged.bmp"));
        // 30 x 20 cells of 3 arc-seconds in WGS 84.
        test::WriteWithGdal(PathOf("hill.tif"), "GTiff", test::Hill(30, 20, test::kArcSecondCells));
    }

    test::ProgramResult Generate(const std::string& arguments) const {
        return test::RunShell("cd " + folder_.string() + " && " + ORVALIS_BIN_DIR +
                                  "/orvalis-cli generate --quiet --tiles t0.bmp,t1.bmp,t2.bmp,t3.bmp,t4.bmp " +
                                  arguments,
                              folder_);
    }

    // The window's request: its tiles read, the first free name in its folder.
    GenerationRequest WindowRequest(const std::string& heightmap, const std::string& folder) {
        for (int i = 0; i < kTileCount; ++i) {
            windowTiles_[i] = ReadPictureFile(PathOf("t" + std::to_string(i) + ".bmp")).Pixels;
        }
        GenerationRequest request;
        for (int i = 0; i < kTileCount; ++i) request.Settings.Tiles[i] = &windowTiles_[i];
        request.Settings.HeightmapFile = PathOf(heightmap);
        request.OutputFolder = PathOf(folder);
        return request;
    }

    test::Tiles tiles_ = test::PatternedTiles();
    std::array<TDibBuffer, kTileCount> windowTiles_;
};

// Every output, in each format: the same files under the same names, byte
// for byte, from the command line and from the request.
TEST_F(GenerationRequestTest, CommandLineAndWindowWriteTheSameFiles) {
    using Fill = std::function<void(GenerationRequest&, const std::function<std::string(const char*)>& in)>;
    struct Case {
        const char* Name;
        const char* Heightmap;
        int Size;           // --size, the request's TextureSize
        const char* Words;  // "@" stands for the run's folder
        Fill Request;
    };
    const Case cases[] = {
        {"classic", "rugged.bmp", 64, "--light-dir 120 --sun-pos 70",
         [](GenerationRequest& r, auto&) { r.Settings.Light = {120, 70}; }},
        {"unlit", "rugged.bmp", 32, "--no-lighting",
         [](GenerationRequest& r, auto&) { r.Settings.UseLighting = false; }},
        {"png", "rugged.bmp", 40, "--format png --png-compression best",
         [](GenerationRequest& r, auto&) {
             r.Format = OutputFormat::Png;
             r.Compression = PngCompression::Best;
         }},
        {"splat and normal maps", "rugged.bmp", 48, "--splat-map @/s.png --normal-map @/n.png",
         [](GenerationRequest& r, auto& in) {
             r.SplatMap = in("s.png");
             r.NormalMap = in("n.png");
         }},
        {"smooth splat map", "rugged.bmp", 72, "--resample smooth --splat-map @/s.png --no-lighting",
         [](GenerationRequest& r, auto& in) {
             r.Settings.UseLighting = false;
             r.Terrain.Resample = Resampling::Smooth;
             r.SplatMap = in("s.png");
         }},
        {"geotiff", "hill.tif", 60, "--format tif --splat-map @/s.png --normal-map @/n.png",
         [](GenerationRequest& r, auto& in) {
             r.Format = OutputFormat::Tiff;
             r.SplatMap = in("s.png");
             r.NormalMap = in("n.png");
         }},
        {"real scale", "hill.tif", 50,
         "--sun-azimuth 300 --sun-elevation 12 --sky-light --z-factor 2 --bands 300,200,100,0,-20 "
         "--format png --world-file --shadow-map @/shadow.png --splat-map @/s.png",
         [](GenerationRequest& r, auto& in) {
             TerrainOptions& t = r.Terrain;
             t.SunAzimuth = 300, t.SunElevation = 12, t.SkyLight = true, t.ZFactor = 2;
             t.Bands = BandHeights{300, 200, 100, 0, -20};
             r.Format = OutputFormat::Png;
             r.WorldFile = true;
             r.ShadowMap = in("shadow.png");
             r.SplatMap = in("s.png");
         }},
        {"real scale geotiff", "hill.tif", 45,
         "--sun-azimuth 10 --sun-elevation 30 --cell-size 90 --ambient 0.2 --sun-size 2 "
         "--resample classic --height-range -20:380 --format tif --shadow-map @/shadow.png",
         [](GenerationRequest& r, auto& in) {
             TerrainOptions& t = r.Terrain;
             t.SunAzimuth = 10, t.SunElevation = 30, t.CellX = t.CellY = 90, t.Ambient = 0.2, t.SunSize = 2;
             t.Resample = Resampling::Classic;
             r.Settings.Read.Range = HeightRange{-20, 380};
             r.Format = OutputFormat::Tiff;
             r.ShadowMap = in("shadow.png");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string name(c.Name);
        const std::string cli = "cli " + name, window = "window " + name;
        fs::create_directory(folder_ / cli);
        fs::create_directory(folder_ / window);
        std::string words = "--size " + std::to_string(c.Size) + " " + c.Words;
        for (std::size_t at; (at = words.find('@')) != std::string::npos;) words.replace(at, 1, "'" + cli + "'");
        const test::ProgramResult run =
            Generate("--heightmap " + std::string(c.Heightmap) + " --output-dir '" + cli + "' " + words);
        ASSERT_EQ(run.ExitCode, 0) << run.Err;

        GenerationRequest request = WindowRequest(c.Heightmap, window);
        request.Settings.TextureSize = c.Size;
        c.Request(request, [&](const char* file) { return PathOf(window + "/" + file); });
        RunGeneration(request);

        const auto fromCli = test::FilesIn(folder_ / cli);
        const auto fromWindow = test::FilesIn(folder_ / window);
        ASSERT_FALSE(fromCli.empty());
        for (const auto& [file, bytes] : fromCli) {
            ASSERT_EQ(fromWindow.count(file), 1u) << file;
            EXPECT_TRUE(fromWindow.at(file) == bytes) << file;
        }
        EXPECT_EQ(fromWindow.size(), fromCli.size());
    }
}

// With GeoTIFF outputs, the splat and normal maps keep the heightmap's
// extent too, each at its own size: the splat map the texture's, the normal
// map the heightmap's.
TEST_F(GenerationRequestTest, GeoTiffSplatAndNormalMapsKeepTheExtent) {
    const test::ProgramResult run =
        Generate("--heightmap hill.tif --size 90 --format tif --output tex.tif --splat-map s.png --normal-map n.png");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    struct Case {
        const char* File;
        int Width, Rows, Bands;
    };
    for (const Case& c : {Case{"s.tif", 90, 90, 4}, Case{"s_1.tif", 90, 90, 4}, Case{"n.tif", 30, 20, 3}}) {
        SCOPED_TRACE(c.File);
        const test::GdalPicture map = test::ReadWithGdal(PathOf(c.File));
        ASSERT_EQ(map.GeoTransform.size(), 6u);
        EXPECT_EQ(map.Width, c.Width);
        EXPECT_EQ(map.Rows, c.Rows);
        EXPECT_EQ(map.Bands, c.Bands);
        const std::vector<double>& t = map.GeoTransform;
        EXPECT_NEAR(t[0], test::kArcSecondCells[0], 1e-9);
        EXPECT_NEAR(t[3], test::kArcSecondCells[3], 1e-9);
        EXPECT_NEAR(t[0] + c.Width * t[1], test::kArcSecondCells[0] + 30 * test::kArcSecondCells[1], 1e-9);
        EXPECT_NEAR(t[3] + c.Rows * t[5], test::kArcSecondCells[3] + 20 * test::kArcSecondCells[5], 1e-9);
    }
    EXPECT_FALSE(fs::exists(folder_ / "s.png"));
}

// A smoothly resampled splat map holds the weights the texture was blended
// by: with one colour a tile, each texture pixel is the tiles' colours mixed
// by its splat bytes (within rounding); and the smooth weights are more
// than the 8-bit levels could give.
TEST_F(GenerationRequestTest, SmoothSplatMapHoldsTheBlendsWeights) {
    const std::array<int, kTileCount> reds = {250, 190, 130, 70, 10};
    for (int i = 0; i < kTileCount; ++i) {
        test::OneColourPicture(4, 4, PixelColour{.Red = static_cast<std::uint8_t>(reds[i])})
            .WriteBmpFile(PathOf("t" + std::to_string(i) + ".bmp"));
    }
    const test::ProgramResult run = Generate(
        "--heightmap rugged.bmp --size 96 --resample smooth --no-lighting --output tex.bmp --splat-map s.png");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const TDibBuffer texture = ReadPictureFile(PathOf("tex.bmp")).Pixels;
    const test::GdalPicture first = test::ReadWithGdal(PathOf("s.png"));
    const test::GdalPicture second = test::ReadWithGdal(PathOf("s_1.png"));
    ASSERT_EQ(first.Width, 96);
    const std::size_t plane = 96 * 96;
    std::set<std::array<double, kTileCount>> mixes;
    for (std::int32_t y = 0; y < 96; ++y) {
        for (std::int32_t x = 0; x < 96; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * 96 + x;
            const std::array<double, kTileCount> weights = {first.Samples[i], first.Samples[plane + i],
                                                            first.Samples[2 * plane + i], first.Samples[3 * plane + i],
                                                            second.Samples[i]};
            double red = 0, sum = 0;
            for (int b = 0; b < kTileCount; ++b) {
                red += reds[b] * weights[b] / 255;
                sum += weights[b];
            }
            ASSERT_EQ(sum, 255) << x << "," << y;
            ASSERT_NEAR(texture.ReadPixel(texture.BufferRow(y), x).Red, red, 1.5) << x << "," << y;
            mixes.insert(weights);
        }
    }
    // The classic stretch gives one mix a grey level, at most 256.
    EXPECT_GT(mixes.size(), 256u);
}

}  // namespace
}  // namespace orvalis
