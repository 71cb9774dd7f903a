#include "generation/GenerateTexture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/ErrorMessage.h"
#include "common/FileSizeLimit.h"
#include "common/GdalFiles.h"
#include "common/Files.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "files/Error.h"
#include "io/PngFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;

// The 32-bit FNV-1a hash of a file's bytes, for pinned whole-file results.
std::uint32_t Fnv1a(const std::string& bytes) {
    std::uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    return hash;
}

class GenerateTextureTest : public test::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        // Tiles of different sizes and colours, with some pattern in each.
        const int sizes[kTileCount][2] = {{4, 4}, {3, 5}, {8, 2}, {5, 5}, {1, 1}};
        for (int i = 0; i < kTileCount; ++i) {
            tiles_[i] = test::MakePicture(sizes[i][0], sizes[i][1], [i](int row, int column) {
                return MakeColour(static_cast<std::uint8_t>(40 * i + 17 * row),
                                  static_cast<std::uint8_t>(250 - 30 * i - 13 * column),
                                  static_cast<std::uint8_t>(99 + 7 * (row + column) + i));
            });
            settings_.Tiles[i] = &tiles_[i];
        }
        UseHeightmap(16, 16);
        settings_.TextureSize = 32;
    }
    void UseHeightmap(int width, int height) {
        settings_.HeightmapFile = PathOf("height.bmp");
        test::RuggedTerrain(width, height).WriteBmpFile(settings_.HeightmapFile);
    }


    void Touch(const std::string& name) const { std::ofstream(folder_ / name) << "x"; }

    // The name a claim takes now; the claim ends at once.
    std::optional<std::string> NextFreeName() const {
        const std::optional<ResultFile> claimed = ClaimOutputName(folder_);
        if (!claimed) return std::nullopt;
        return fs::path(claimed->Path()).filename().string();
    }

    // Every file of the folder with its bytes ("<folder>" for a folder).
    std::map<std::string, std::string> Contents() const {
        std::map<std::string, std::string> contents;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            contents[entry.path().filename().string()] =
                entry.is_directory() ? "<folder>" : ReadBytes(entry.path());
        }
        return contents;
    }

    // Keeps the unlit texture in "unlit.bmp" when the blend hands it over.
    void KeepUnlit() {
        settings_.BlendDone = [this](const TDibBuffer& unlit) {
            unlit.WriteBmpFile(PathOf("unlit.bmp"));
        };
    }

    void Generate(const std::string& output = "texture.bmp") {
        GenerateTexture(settings_, PathOf(output), PathOf(kLightmapFileName), lightmap_);
    }

    // Each channel of the lit texture is the unlit one times the lightmap at
    // that place, over 256; a smaller lightmap repeats its rows and columns.
    void ExpectLitIsUnlitTimesLightmap(const TDibBuffer& unlit, const TDibBuffer& lit) const {
        const int size = lit.Width();
        for (int row = 0; row < size; ++row) {
            for (int column = 0; column < size; ++column) {
                const int light = lightmap_.ReadPixel(row * lightmap_.Height() / size,
                                                      column * lightmap_.Width() / size).Green;
                const PixelColour c = unlit.ReadPixel(row, column);
                const PixelColour expected{static_cast<std::uint8_t>(c.Blue * light >> 8),
                                           static_cast<std::uint8_t>(c.Green * light >> 8),
                                           static_cast<std::uint8_t>(c.Red * light >> 8)};
                ASSERT_EQ(lit.ReadPixel(row, column), expected)
                    << "row " << row << ", column " << column;
            }
        }
    }

    std::array<TDibBuffer, kTileCount> tiles_;
    GenerateSettings settings_;
    TDibBuffer lightmap_;
};

TEST_F(GenerateTextureTest, OutputNameIsTheFirstFreeCandidate) {
    Touch("terrain_tex0.bmp");
    Touch("terrain_tex1.bmp");
    EXPECT_EQ(NextFreeName(), "terrain_tex.bmp");
    Touch("terrain_tex.bmp");
    EXPECT_EQ(NextFreeName(), "terrain_tex2.bmp");
    fs::remove(folder_ / "terrain_tex1.bmp");
    EXPECT_EQ(NextFreeName(), "terrain_tex1.bmp");  // with 0 and 2 present
    for (int n = 1; n <= 9; ++n) Touch("terrain_tex" + std::to_string(n) + ".bmp");
    EXPECT_EQ(NextFreeName(), "terrain_tex10.bmp");
}

TEST_F(GenerateTextureTest, AnyEntryBlocksANameUntilNoneIsLeft) {
    fs::create_directory(folder_ / "terrain_tex.bmp");
    fs::create_symlink(folder_ / "nowhere.bmp", folder_ / "terrain_tex0.bmp");
    for (int n = 1; n <= 65533; ++n) Touch("terrain_tex" + std::to_string(n) + ".bmp");
    EXPECT_EQ(NextFreeName(), "terrain_tex65534.bmp");
    Touch("terrain_tex65534.bmp");
    EXPECT_EQ(NextFreeName(), std::nullopt);
}

TEST_F(GenerateTextureTest, UnlitRunKeepsTheBlendAndWritesNoLightmap) {
    settings_.UseLighting = false;
    KeepUnlit();
    Generate();

    const std::string unlitBytes = ReadBytes(PathOf("unlit.bmp"));
    EXPECT_EQ(ReadBytes(PathOf("texture.bmp")), unlitBytes);
    EXPECT_FALSE(fs::exists(PathOf(kLightmapFileName)));
    EXPECT_TRUE(lightmap_.IsEmpty());
    EXPECT_EQ(Fnv1a(unlitBytes), 740629015u);
}

TEST_F(GenerateTextureTest, UnlitRunWritesTheBlendOfTheHeightmapFile) {
    const TDibBuffer heightmap = test::RuggedTerrain(40, 30);
    heightmap.WriteBmpFile(settings_.HeightmapFile);
    settings_.TextureSize = 64;
    settings_.UseLighting = false;
    TDibBuffer unlit;
    settings_.UnlitTexture = &unlit;
    Generate();

    EXPECT_TRUE(test::SamePixels(unlit, BlendTexture(heightmap, settings_.Tiles, 64, {})));
    TDibBuffer written;
    written.ReadBmpFile(PathOf("texture.bmp"));
    EXPECT_TRUE(test::SamePixels(written, unlit));
}

// The heightmap is read once, through the one reader: a 16-bit PNG or RAW
// file of the heights 257 x h gives the bytes of the grey 8-bit BMP of h, lit
// and unlit, and a heightmap gone after the blend changes nothing.
TEST_F(GenerateTextureTest, ReadsEveryHeightmapFormatOnceThroughTheOneReader) {
    const TDibBuffer terrain = test::RuggedTerrain(16, 16);
    test::MakePicture(16, 16, [&terrain](std::int32_t row, std::int32_t column) {
        return test::Grey(terrain.ReadPixel(row, column).Green);
    }).WriteBmpFile(PathOf("height.bmp"));
    std::vector<std::uint16_t> words;  // top row first
    std::string raw;
    for (std::int32_t y = 0; y < 16; ++y) {
        for (std::int32_t x = 0; x < 16; ++x) {
            words.push_back(static_cast<std::uint16_t>(257 * terrain.ReadPixel(terrain.BufferRow(y), x).Green));
            raw += {static_cast<char>(words.back() & 0xFF), static_cast<char>(words.back() >> 8)};
        }
    }
    WritePngFile(PathOf("height16.png"), {16, 16, 1}, words);
    std::ofstream(PathOf("height.r16"), std::ios::binary) << raw;
    const auto removeHeightmap = [this](const TDibBuffer&) { fs::remove(settings_.HeightmapFile); };
    for (const bool lit : {false, true}) {
        settings_.UseLighting = lit;
        settings_.HeightmapFile = PathOf("height.bmp");
        const std::string reference = std::string(lit ? "lit" : "unlit") + ".bmp";
        Generate(reference);
        const std::string texture = ReadBytes(PathOf(reference));
        const std::string lightmap = lit ? ReadBytes(PathOf(kLightmapFileName)) : "";
        for (const char* file : {"height16.png", "height.r16", "copy.bmp"}) {
            SCOPED_TRACE(std::string(file) + (lit ? ", lit" : ", unlit"));
            if (file == std::string("copy.bmp")) {
                fs::copy_file(PathOf("height.bmp"), PathOf(file));
                settings_.BlendDone = removeHeightmap;
            }
            settings_.HeightmapFile = PathOf(file);
            const std::string output = std::string(lit ? "lit_" : "unlit_") + file + ".bmp";
            Generate(output);
            settings_.BlendDone = {};
            EXPECT_EQ(ReadBytes(PathOf(output)), texture);
            if (lit) {
                EXPECT_EQ(ReadBytes(PathOf(kLightmapFileName)), lightmap);
            }
        }
    }
}

TEST_F(GenerateTextureTest, LitRunMultipliesTheLightmapIn) {
    settings_.TextureSize = 16;
    KeepUnlit();
    Generate();
    TDibBuffer unlit;
    unlit.ReadBmpFile(PathOf("unlit.bmp"));

    TDibBuffer lit, written;
    lit.ReadBmpFile(PathOf("texture.bmp"));
    written.ReadBmpFile(PathOf(kLightmapFileName));
    EXPECT_TRUE(test::SamePixels(written, lightmap_));
    ExpectLitIsUnlitTimesLightmap(unlit, lit);
    EXPECT_EQ(Fnv1a(ReadBytes(PathOf("texture.bmp"))), 3732405156u);
    EXPECT_EQ(Fnv1a(ReadBytes(PathOf(kLightmapFileName))), 1442790885u);
}

TEST_F(GenerateTextureTest, LightmapOfAnotherShapeIsStretchedAndKeepsItsSize) {
    UseHeightmap(256, 128);  // the widths match the texture's, the heights do not
    settings_.TextureSize = 256;
    KeepUnlit();
    Generate();
    TDibBuffer unlit;
    unlit.ReadBmpFile(PathOf("unlit.bmp"));

    EXPECT_EQ(lightmap_.Width(), 256);
    EXPECT_EQ(lightmap_.Height(), 128);
    TDibBuffer lit;
    lit.ReadBmpFile(PathOf("texture.bmp"));
    ExpectLitIsUnlitTimesLightmap(unlit, lit);
    EXPECT_EQ(Fnv1a(ReadBytes(PathOf("texture.bmp"))), 711533742u);
}

// Float heights are lit before the blend when nobody waits for the unlit
// texture, and after it otherwise: both write the same files, under every light.
TEST_F(GenerateTextureTest, FloatHeightsWriteTheSameFilesLitBeforeOrAfterTheBlend) {
    test::GdalPicture dem{41, 29, 1, GDT_Float32};
    for (int y = 0; y < 29; ++y) {
        for (int x = 0; x < 41; ++x) {
            const bool hole = y == 7 && x < 9;
            dem.Samples.push_back(hole ? -9999 : 100 + 35 * std::sin(x * 0.7) * std::cos(y * 0.45) + 0.37 * x * y);
        }
    }
    dem.HasNoData = true;
    dem.NoData = -9999;
    test::WriteWithGdal(PathOf("dem.tif"), "GTiff", dem);
    settings_.HeightmapFile = PathOf("dem.tif");
    settings_.TextureSize = 50;
    for (const LightSettings light : {LightSettings{90, 50}, LightSettings{315, 5}, LightSettings{181, 1},
                                      LightSettings{45, 400}}) {
        SCOPED_TRACE("light " + std::to_string(light.LightDir) + " / " + std::to_string(light.SunPos));
        settings_.Light = light;
        settings_.BlendDone = {};
        Generate("first.bmp");
        const std::string lightmap = ReadBytes(PathOf(kLightmapFileName));
        KeepUnlit();
        Generate("after.bmp");
        EXPECT_EQ(ReadBytes(PathOf("first.bmp")), ReadBytes(PathOf("after.bmp")));
        EXPECT_EQ(ReadBytes(PathOf(kLightmapFileName)), lightmap);
        fs::remove(PathOf("first.bmp"));
        fs::remove(PathOf("after.bmp"));
    }
}

// Float32 heights are kept as their samples and a scale, Float64 ones as
// doubles: the same heights in either type write the same files, lit by the
// classic light and at the real scale (whose finer grid takes the heights over).
TEST_F(GenerateTextureTest, FloatAndDoubleFilesOfTheSameHeightsWriteTheSameFiles) {
    for (const GDALDataType type : {GDT_Float32, GDT_Float64}) {
        test::GdalPicture dem{23, 17, 1, type};
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 23; ++x) dem.Samples.push_back(static_cast<float>(300 + 40 * std::sin(x * 0.5) * std::cos(y * 0.6)));
        }
        test::WriteWithGdal(PathOf(type == GDT_Float32 ? "single.tif" : "double.tif"), "GTiff", dem);
    }
    RealScaleLight real;
    real.Sun = SunPosition{300, 12, 0.53};
    real.SkyLight = true;
    for (const bool realScale : {false, true}) {
        SCOPED_TRACE(realScale ? "real scale" : "classic");
        settings_.TextureSize = 40;
        settings_.Sampling = {};
        if (realScale) {
            settings_.Sampling.Resample = Resampling::Smooth;
            settings_.Sampling.RealScale = real;
        }
        std::string lightmaps[2];
        for (int i = 0; i < 2; ++i) {
            settings_.HeightmapFile = PathOf(i == 0 ? "single.tif" : "double.tif");
            Generate(i == 0 ? "single.bmp" : "double.bmp");
            lightmaps[i] = ReadBytes(PathOf(kLightmapFileName));
        }
        EXPECT_EQ(ReadBytes(PathOf("single.bmp")), ReadBytes(PathOf("double.bmp")));
        EXPECT_EQ(lightmaps[0], lightmaps[1]);
        fs::remove(PathOf("single.bmp"));
        fs::remove(PathOf("double.bmp"));
    }
}

TEST_F(GenerateTextureTest, OneAndTwoThreadsWriteTheSameFiles) {
    settings_.TextureSize = 37;
    settings_.Run.Threads = 1;
    Generate("one.bmp");
    const std::string oneLightmap = ReadBytes(PathOf(kLightmapFileName));
    settings_.Run.Threads = 2;
    Generate("two.bmp");
    EXPECT_EQ(ReadBytes(PathOf("one.bmp")), ReadBytes(PathOf("two.bmp")));
    EXPECT_EQ(ReadBytes(PathOf(kLightmapFileName)), oneLightmap);
}

TEST_F(GenerateTextureTest, BadInputWritesNothingAndKeepsAnEarlierLightmap) {
    std::ofstream(PathOf(kLightmapFileName)) << "earlier lightmap";
    std::ofstream(PathOf("garbage.bmp")) << "not a picture";
    const GenerateSettings good = settings_;
    const TDibBuffer empty;
    const auto before = Contents();

    const auto expectRefused = [&](const char* what, const std::string& message) {
        SCOPED_TRACE(what);
        const std::string error = test::MessageOf([&] { Generate(); });
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(Contents(), before);
        EXPECT_TRUE(lightmap_.IsEmpty());
        settings_ = good;
    };
    settings_.HeightmapFile = "hills.bmp";
    expectRefused("missing heightmap", "Heightmap hills.bmp doesn't exist!");
    // Only where nothing exists does the heightmap "not exist".
    settings_.HeightmapFile = folder_.string();
    expectRefused("heightmap is a folder", folder_.string() + ": is a folder, not a file");
    const test::ScratchFolder elsewhere;  // the folder's contents are compared, a FIFO would block
    settings_.HeightmapFile = elsewhere.PathOf("pipe.bmp");
    ASSERT_EQ(::mkfifo(settings_.HeightmapFile.c_str(), 0600), 0);
    expectRefused("heightmap is a FIFO", "pipe.bmp: is not a regular file (a FIFO)");
    settings_.HeightmapFile = PathOf("garbage.bmp");
    expectRefused("heightmap is no picture", "garbage.bmp");
    settings_.Tiles[2] = nullptr;
    expectRefused("tile missing", "tile 3 (middle box, band 128) has no picture");
    settings_.Tiles[4] = &empty;
    expectRefused("tile empty", "tile 5 (bottom box, band 0) has no picture");
    settings_.TextureSize = 0;
    expectRefused("size 0", "texture size 0");
    settings_.TextureSize = 16385;
    expectRefused("size 16385", "texture size 16385 is outside 1 .. 16384");
}

// A run that fails at any step after its name is claimed leaves the folder
// as it was: no texture, no staging file, the earlier lightmap, and whatever
// someone else put under the texture's name.
TEST_F(GenerateTextureTest, FailureAtEveryStepLeavesTheFolderAsItWas) {
    CancelFlag cancel{false};
    struct Case {
        const char* What;
        std::function<void()> Before;      // before the run
        std::function<void()> AfterBlend;  // while it runs
        rlim_t FileSizeLimit;              // 0: none
        std::string Message;
        std::string TextureLeft;  // what "texture.bmp" holds afterwards; empty: nothing
    };
    const auto intrude = [this] { std::ofstream(PathOf("texture.bmp")) << "intruder"; };
    const auto none = [] {};
    // The lightmap (16 x 16) needs 822 bytes, the texture (32 x 32) 3126.
    const std::vector<Case> cases = {
        {"lm.bmp cannot be replaced",
         [this] {
             fs::remove(PathOf(kLightmapFileName));
             fs::create_directories(folder_ / kLightmapFileName / "inside");
         },
         none, 0, kLightmapFileName, ""},
        {"disk full at the lightmap", none, none, 500, "File too large", ""},
        {"disk full at the texture", none, none, 2000, "File too large", ""},
        {"name replaced during the run", none,
         [this] {
             std::ofstream(PathOf("intruder.bmp")) << "intruder";
             fs::rename(PathOf("intruder.bmp"), PathOf("texture.bmp"));
         },
         0, "taken by another program", "intruder"},
        {"name written into during the run", none, intrude, 0, "taken by another program",
         "intruder"},
        {"name removed during the run and taken again", none,
         [&] {
             fs::remove(PathOf("texture.bmp"));
             intrude();
         },
         0, "taken by another program", "intruder"},
        {"cancelled", none, [&] { cancel = true; }, 0, "cancelled", ""},
    };
    settings_.TextureSize = 32;
    settings_.Run.Cancel = &cancel;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        UseHeightmap(16, 16);
        std::ofstream(PathOf(kLightmapFileName)) << "earlier lightmap";
        cancel = false;
        c.Before();
        auto expected = Contents();
        if (!c.TextureLeft.empty()) expected["texture.bmp"] = c.TextureLeft;
        settings_.BlendDone = [&c](const TDibBuffer&) { c.AfterBlend(); };
        const std::string error = test::MessageOf([&] {
            std::optional<test::FileSizeLimit> limit;
            if (c.FileSizeLimit != 0) limit.emplace(c.FileSizeLimit);
            Generate();
        });
        EXPECT_NE(error.find(c.Message), std::string::npos) << error;
        EXPECT_EQ(Contents(), expected);
        EXPECT_TRUE(lightmap_.IsEmpty());
    }
}

// Threads that claim names in one folder at once all get names of their own.
TEST_F(GenerateTextureTest, ConcurrentClaimsNeverShareAName) {
    constexpr int kThreads = 8, kClaimsEach = 40;
    Touch("terrain_tex3.bmp");
    std::vector<std::vector<ResultFile>> held(kThreads);
    {
        std::vector<std::jthread> threads;
        for (auto& mine : held) {
            threads.emplace_back([this, &mine] {
                for (int i = 0; i < kClaimsEach; ++i) mine.push_back(*ClaimOutputName(folder_));
            });
        }
    }
    std::set<std::string> names;
    for (const auto& mine : held) {
        for (const ResultFile& claim : mine) names.insert(claim.Path());
    }
    EXPECT_EQ(names.size(), std::size_t{kThreads * kClaimsEach});
    EXPECT_EQ(names.count(PathOf("terrain_tex3.bmp")), 0u);
    held.clear();
    EXPECT_EQ(Contents().size(), 2u);  // the heightmap and terrain_tex3.bmp
}

}  // namespace
}  // namespace orvalis
