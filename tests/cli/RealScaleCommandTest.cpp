#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/RunProgram.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

// Runs orvalis-cli generate in the scratch folder with five small tiles
// t0.bmp .. t4.bmp and the heightmaps the test writes there.
class RealScaleCommandTest : public test::ScratchFolderTest {
protected:
    // Solid tiles, so that the texture's colour follows the heights alone.
    void SetUp() override {
        ScratchFolderTest::SetUp();
        const char* const names[] = {"t0.bmp", "t1.bmp", "t2.bmp", "t3.bmp", "t4.bmp"};
        for (int i = 0; i < 5; ++i) test::GreyPicture(5 + i, 4, 50 * i).WriteBmpFile(PathOf(names[i]));
    }

    test::ProgramResult Generate(const std::string& arguments) const {
        return test::RunShell("cd " + folder_.string() + " && " + ORVALIS_BIN_DIR +
                                  "/orvalis-cli generate --tiles t0.bmp,t1.bmp,t2.bmp,t3.bmp,t4.bmp " + arguments,
                              folder_);
    }

    void WriteHill(const std::string& name, int width, int rows, std::vector<double> transform = {}) const {
        test::WriteWithGdal(PathOf(name), "GTiff", test::Hill(width, rows, std::move(transform)));
    }

    // Lights the test's dem.tif from the north-west by a low sun.
    test::ProgramResult LightDem(const std::string& arguments) const {
        return Generate("--heightmap dem.tif --sun-azimuth 300 --sun-elevation 12 --quiet " + arguments);
    }

    bool Exists(const std::string& name) const { return fs::exists(folder_ / name); }
};

TEST_F(RealScaleCommandTest, RefusesOptionsThatDoNotGoTogether) {
    struct Case {
        const char* Arguments;
        const char* Message;
    };
    const Case cases[] = {
        {"--sun-azimuth 300", "--sun-azimuth and --sun-elevation come together"},
        {"--sun-elevation 20", "--sun-azimuth and --sun-elevation come together"},
        {"--sun-azimuth 300 --sun-elevation 91", "--sun-elevation wants a number from 0 to 90"},
        {"--sun-azimuth 361 --sun-elevation 9", "--sun-azimuth wants a number from 0 to 360"},
        {"--sun-azimuth 30 --sun-elevation 9 --light-dir 20", "light the classic way"},
        {"--sun-azimuth 30 --sun-elevation 9 --no-lighting", "exclude each other"},
        {"--z-factor 2", "--z-factor goes with real-scale lighting"},
        {"--sky-light", "--sky-light goes with real-scale lighting"},
        {"--shadow-map s.png", "--shadow-map goes with real-scale lighting"},
        {"--sun-azimuth 30 --sun-elevation 9 --z-factor 0", "--z-factor wants a number from 1e-09 to 1e+09"},
        {"--sun-azimuth 30 --sun-elevation 9 --cell-size 30:x", "--cell-size wants a number from 1e-09 to 1e+09, not 'x'"},
        {"--sun-azimuth 30 --sun-elevation 9 --cell-size 1e-40", "--cell-size wants a number from 1e-09 to 1e+09"},
        {"--sun-azimuth 30 --sun-elevation 9 --cell-size 30:", "--cell-size wants X or X:Y, not '30:': the Y part is missing"},
        {"--sun-azimuth 30 --sun-elevation 9 --ambient 1.5", "--ambient wants a number from 0 to 1"},
        {"--sun-azimuth 30 --sun-elevation 9 --sun-size 11", "--sun-size wants a number from 0 to 10"},
        {"--resample nearest", "--resample wants smooth, spline or classic"},
        {"--water-level 0", "--water-level goes with real-scale lighting"},
        {"--water-level 0 --resample classic", "--water-level goes with real-scale lighting"},
        {"--resample smooth --water-level sea", "--water-level wants a height in the data's units, not 'sea'"},
        {"--resample smooth --water-level inf", "--water-level wants a height"},
        {"--bands 1,2,3,4,5", "each height below the one before it"},
        {"--bands 500,400,300,200", "five heights separated by commas"},
        {"--sun-azimuth 30 --sun-elevation 9 --shadow-map out.png --output out.png", "--output and --shadow-map collide"},
    };
    for (const Case& c : cases) {
        const test::ProgramResult result = Generate(std::string("--heightmap h.bmp ") + c.Arguments);
        EXPECT_EQ(result.ExitCode, 2) << c.Arguments;
        EXPECT_NE(result.Err.find(c.Message), std::string::npos) << c.Arguments << ": " << result.Err;
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "t0.bmp") == false);
}

// A heightmap of 403 x 344 cells makes a 4096 x 3496 texture; at 1/8 of that
// 101 x 86 cells make 512 x 436. The lightmap and the shadow map share the
// texture's size.
TEST_F(RealScaleCommandTest, ATextureKeepsTheHeightmapsAspect) {
    struct Case {
        int Width, Rows, Size, TextureWidth, TextureRows;
    };
    const Case cases[] = {{101, 86, 512, 512, 436}, {40, 90, 300, 133, 300}, {33, 33, 64, 64, 64}};
    for (const Case& c : cases) {
        const std::string stem = "hill" + std::to_string(c.Width) + "x" + std::to_string(c.Rows);
        WriteHill(stem + ".tif", c.Width, c.Rows);
        const test::ProgramResult result =
            Generate("--heightmap " + stem + ".tif --size " + std::to_string(c.Size) +
                     " --sun-azimuth 300 --sun-elevation 12 --cell-size 10 --sky-light --output " + stem +
                     ".png --shadow-map " + stem + "_shadow.png --quiet");
        ASSERT_EQ(result.ExitCode, 0) << result.Err;
        for (const std::string suffix : {".png", "_lm.png", "_shadow.png"}) {
            const Picture picture = ReadPictureFile(PathOf(stem + suffix));
            EXPECT_EQ(picture.Pixels.Width(), c.TextureWidth) << stem << suffix;
            EXPECT_EQ(picture.Pixels.RowCount(), c.TextureRows) << stem << suffix;
        }
        // The hill's side toward the sun (west-north-west) is lit, and its
        // shadow falls the other way, east-south-east (0.87 east, 0.5 south).
        const TDibBuffer shadow = ReadPictureFile(PathOf(stem + "_shadow.png")).Pixels;
        const auto visibility = [&shadow](double x, double y) {
            return shadow.ReadPixel(shadow.BufferRow(static_cast<std::int32_t>(y)), static_cast<std::int32_t>(x)).Blue;
        };
        const double x = c.TextureWidth / 2.0, y = c.TextureRows / 2.0, away = c.TextureWidth / 4.0;
        EXPECT_EQ(visibility(x - away, y - away * 0.5 / 0.87), 255) << stem;
        EXPECT_EQ(visibility(x + away, y + away * 0.5 / 0.87), 0) << stem;
    }
}

// A height range on unsigned samples names their heights: band heights or
// the real-scale light use it; alone it is refused, where it used to be
// ignored.
TEST_F(RealScaleCommandTest, AHeightRangeOnUnsignedSamplesMustBeUsed) {
    test::MakePicture(30, 20, [](std::int32_t row, std::int32_t column) { return test::Grey(5 * row + column); })
        .WriteBmpFile(PathOf("h.bmp"));
    const test::ProgramResult alone = Generate("--heightmap h.bmp --height-range 0:1000 --size 32 --output a.bmp");
    EXPECT_EQ(alone.ExitCode, 1);
    EXPECT_NE(alone.Err.find("h.bmp: a height range gives the levels of unsigned samples their heights"),
              std::string::npos) << alone.Err;
    EXPECT_FALSE(Exists("a.bmp"));
    const test::ProgramResult banded =
        Generate("--heightmap h.bmp --height-range 0:1000 --bands 400,300,200,100,0 --size 32 --output b.bmp --quiet");
    EXPECT_EQ(banded.ExitCode, 0) << banded.Err;
    const test::ProgramResult lit = Generate(
        "--heightmap h.bmp --height-range 0:1000 --sun-azimuth 10 --sun-elevation 30 --size 32 --output c.bmp --quiet");
    EXPECT_EQ(lit.ExitCode, 0) << lit.Err;
}

// Smooth resampling: no blocks of the enlarged heightmap. The classic
// stretch shows each cell as a block of 10 x 10 pixels, with steps of many
// grey levels between the blocks; the smooth ones (cubic and spline) change by a
// level or two from pixel to pixel.
TEST_F(RealScaleCommandTest, SmoothResamplingLeavesNoBlocks) {
    WriteHill("hill.tif", 40, 34);
    const auto largestStep = [this](const std::string& mode) {
        const test::ProgramResult result = Generate("--heightmap hill.tif --size 400 --no-lighting --resample " + mode +
                                                    " --output " + mode + ".png --quiet");
        EXPECT_EQ(result.ExitCode, 0) << result.Err;
        const TDibBuffer texture = ReadPictureFile(PathOf(mode + ".png")).Pixels;
        int largest = 0;
        for (std::int32_t row = 0; row < texture.RowCount(); ++row) {
            for (std::int32_t column = 1; column < texture.Width(); ++column) {
                largest = std::max(largest, std::abs(texture.ReadPixel(row, column).Blue -
                                                     texture.ReadPixel(row, column - 1).Blue));
            }
        }
        return largest;
    };
    EXPECT_GE(largestStep("classic"), 8);
    EXPECT_LE(largestStep("smooth"), 2);
    EXPECT_LE(largestStep("spline"), 2);
}

// Below --water-level the sea is all water in the splat map and the texture
// and lies flat for the light, real-scale or classic: the ridges of the sea
// floor west of the coast show in neither. Without it they show.
TEST_F(RealScaleCommandTest, TheSeaBelowTheWaterLevelIsFlatWater) {
    test::GdalPicture sea{40, 30, 1, GDT_Float32};
    for (int row = 0; row < 30; ++row) {
        for (int column = 0; column < 40; ++column) {
            sea.Samples.push_back(column < 20 ? -40 + 15 * std::sin(column * 1.3 + row * 0.7) : 10.0 * (column - 19));
        }
    }
    test::WriteWithGdal(PathOf("sea.tif"), "GTiff", sea);
    const std::pair<std::string, bool> cases[] = {{"--water-level 0 --sun-azimuth 270 --sun-elevation 30", true},
                                                  {"--water-level 0 --resample smooth --light-dir 180", true},
                                                  {"--sun-azimuth 270 --sun-elevation 30", false}};
    for (const auto& [arguments, flat] : cases) {
        const std::string name = "sea" + std::to_string(&arguments - &cases[0].first);
        ASSERT_EQ(Generate("--heightmap sea.tif --size 120 --bands 300,200,100,50,-60 --format png --output " + name +
                           ".png --splat-map " + name + "_splat.png --quiet " + arguments).ExitCode, 0);
        // The values of a picture over the open sea, the coast lying in the
        // middle, away from the classic light's own border.
        const auto seaValues = [this](const std::string& file) {
            const TDibBuffer picture = ReadPictureFile(PathOf(file)).Pixels;
            std::set<int> values;
            for (std::int32_t row = picture.RowCount() / 5; row < picture.RowCount() * 4 / 5; ++row) {
                for (std::int32_t column = picture.Width() / 5; column < picture.Width() / 3; ++column) {
                    values.insert(picture.ReadPixel(row, column).Red);
                }
            }
            return values;
        };
        EXPECT_EQ(seaValues(name + "_lm.png").size() == 1, flat) << arguments;
        EXPECT_EQ(seaValues(name + ".png").size() == 1, flat) << arguments;
        EXPECT_EQ(seaValues(name + "_splat_1.png") == std::set<int>{255}, flat) << arguments;
    }
}

// A GeoTIFF texture of a georeferenced DEM has the DEM's system and extent,
// at its own size; so have its lightmap and shadow map. A texture named
// ".tiff" is GeoTIFF without --format.
TEST_F(RealScaleCommandTest, GeoTiffOutputsKeepTheSystemAndTheExtent) {
    WriteHill("dem.tif", 60, 40, test::kArcSecondCells);
    const test::ProgramResult result = LightDem("--size 150 --output tex.tiff --shadow-map shadow.png");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    for (const std::string name : {"tex.tiff", "tex_lm.tif", "shadow.tif"}) {
        const Picture picture = ReadPictureFile(PathOf(name));
        ASSERT_TRUE(picture.Geo && picture.Geo->Transform) << name;
        EXPECT_TRUE(picture.Geo->Geographic) << name;
        const std::array<double, 6>& t = *picture.Geo->Transform;
        const double cell = 3 / 3600.0;
        EXPECT_EQ(picture.Pixels.Width(), 150);
        EXPECT_EQ(picture.Pixels.RowCount(), 100);
        EXPECT_NEAR(t[0], -84.4, cell / 2) << name;
        EXPECT_NEAR(t[3], 36.6, cell / 2) << name;
        EXPECT_NEAR(t[0] + 150 * t[1], -84.4 + 60 * cell, cell / 2) << name;
        EXPECT_NEAR(t[3] + 100 * t[5], 36.6 - 40 * cell, cell / 2) << name;
    }
}

// The cells of a geographic DEM are lit in metres: the same as giving the
// metres at its centre latitude.
TEST_F(RealScaleCommandTest, GeographicCellsAreLitInMetres) {
    WriteHill("dem.tif", 60, 40, test::kArcSecondCells);
    // 36.6 - 20 cells of 3": the centre's latitude, 36.58333.
    const test::ProgramResult fromFile = LightDem("--size 120 --output a.png --shadow-map a_shadow.png");
    const test::ProgramResult given =
        LightDem("--size 120 --cell-size 74.5792:92.4749 --output b.png --shadow-map b_shadow.png");
    const test::ProgramResult unit = LightDem("--size 120 --cell-size 1 --output c.png --shadow-map c_shadow.png");
    ASSERT_EQ(fromFile.ExitCode + given.ExitCode + unit.ExitCode, 0) << fromFile.Err << given.Err << unit.Err;
    const auto shadowed = [this](const std::string& name) {
        const TDibBuffer shadow = ReadPictureFile(PathOf(name)).Pixels;
        int count = 0;
        for (std::int32_t row = 0; row < shadow.RowCount(); ++row) {
            for (std::int32_t column = 0; column < shadow.Width(); ++column) count += shadow.ReadPixel(row, column).Blue < 128;
        }
        return count;
    };
    EXPECT_NEAR(shadowed("a_shadow.png"), shadowed("b_shadow.png"), 3);
    EXPECT_GT(shadowed("c_shadow.png"), 2 * shadowed("a_shadow.png") + 100) << "cells of 1 m make a steep hill";
}

// A DEM of one height, even of one cell, is lit as level ground: at 12
// degrees 0.3 + 0.7 sin 12 = 0.446 of full light, 114. What cannot be lit is
// refused before any work, naming the file and why.
TEST_F(RealScaleCommandTest, DemsAtTheEdgesAreLitFlatOrRefusedWithTheReason) {
    const std::tuple<int, double, double, const char*> cases[] = {
        {7, 123, 30, nullptr}, {1, 57, 30, nullptr}, {4, -9999, 30, "dem.tif: no cell has data"},
        {6, 1, 1e-300, "dem.tif: its georeference gives cells of 1e-300 x 1e-300"},
        {3, 2e30, 1, "times the z-factor 1 lie outside -1e+30 .. 1e+30"}};
    for (const auto& [side, height, pixel, message] : cases) {
        test::WriteWithGdal(PathOf("dem.tif"), "GTiff", {side, side, 1, GDT_Float32, std::vector<double>(side * side, height),
                                                        {}, {0, pixel, 0, 0, 0, -pixel}, {}, true, -9999, nullptr});
        const test::ProgramResult result = LightDem("--sky-light --size 16 --output-dir .");
        EXPECT_EQ(result.ExitCode, message ? 1 : 0) << side << ": " << result.Err;
        if (message) EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
        else EXPECT_TRUE(test::SamePixels(ReadPictureFile(PathOf("lm.bmp")).Pixels, test::GreyPicture(16, 16, 114)));
    }
}

// Every picture at the texture's size (120 x 80) has the texture's world
// file; the normal map, at the heightmap's, one of cells of 3 arc-seconds.
TEST_F(RealScaleCommandTest, WorldFilesLieBesidePngOutputs) {
    WriteHill("dem.tif", 60, 40, test::kArcSecondCells);
    const test::ProgramResult result =
        LightDem("--size 120 --world-file --output tex.png --shadow-map shadow.png --splat-map s.png --normal-map n.png");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    const std::string texture = test::ReadBytes(PathOf("tex.pgw"));
    for (const char* file : {"shadow.pgw", "tex_lm.pgw", "s.pgw", "s_1.pgw"}) {
        EXPECT_EQ(test::ReadBytes(PathOf(file)), texture) << file;
    }
    const double pixel = 60 * 3 / 3600.0 / 120, cell = 3 / 3600.0;
    for (const auto& [file, width, height] : {std::tuple{"tex.pgw", pixel, -40 * cell / 80}, {"n.pgw", cell, -cell}}) {
        std::istringstream lines(test::ReadBytes(PathOf(file)));
        double values[6];
        for (double& v : values) lines >> v;
        EXPECT_NEAR(values[0], width, 1e-12) << file;
        EXPECT_NEAR(values[3], height, 1e-12) << file;
        EXPECT_NEAR(values[4], -84.4 + width / 2, 1e-12) << file;
        EXPECT_NEAR(values[5], 36.6 + height / 2, 1e-12) << file;
    }

    // Without a georeference a world file cannot be made, and nothing is left.
    WriteHill("plain.tif", 60, 40);
    const test::ProgramResult plain = Generate("--heightmap plain.tif --size 64 --world-file --output p.png");
    EXPECT_EQ(plain.ExitCode, 1);
    EXPECT_NE(plain.Err.find("plain.tif: has no georeference for a world file"), std::string::npos) << plain.Err;
    EXPECT_FALSE(Exists("p.png") || Exists("p.pgw") || Exists("p_lm.png"));
    const test::ProgramResult bmp = Generate("--heightmap dem.tif --world-file --output q.bmp");
    EXPECT_EQ(bmp.ExitCode, 2);

    // A numbered texture passes over a name whose world file is taken. A
    // replaced lm.png keeps no world file of an earlier run; a run that
    // fails changes neither.
    fs::create_directory(folder_ / "d");
    test::WriteBytes(PathOf("d/terrain_tex.pgw"), "stale");
    ASSERT_EQ(LightDem("--size 32 --format png --world-file --output-dir d").ExitCode, 0);
    EXPECT_TRUE(Exists("d/terrain_tex0.pgw") && !Exists("d/terrain_tex.png"));
    const std::string lightmap = test::ReadBytes(PathOf("d/lm.png")), place = test::ReadBytes(PathOf("d/lm.pgw"));
    EXPECT_EQ(Generate("--heightmap plain.tif --size 32 --format png --world-file --output-dir d").ExitCode, 1);
    EXPECT_EQ(test::ReadBytes(PathOf("d/lm.png")), lightmap);
    EXPECT_EQ(test::ReadBytes(PathOf("d/lm.pgw")), place);
    ASSERT_EQ(Generate("--heightmap plain.tif --size 32 --format png --output-dir d --quiet").ExitCode, 0);
    EXPECT_NE(test::ReadBytes(PathOf("d/lm.png")), lightmap);
    EXPECT_FALSE(Exists("d/lm.pgw"));
}

TEST_F(RealScaleCommandTest, InfoShowsTheSystemTheCellsAndNoData) {
    WriteHill("dem.tif", 60, 40, test::kArcSecondCells);
    const test::ProgramResult info =
        test::RunShell(std::string(ORVALIS_BIN_DIR) + "/orvalis-cli info " + PathOf("dem.tif"), folder_);
    ASSERT_EQ(info.ExitCode, 0) << info.Err;
    EXPECT_NE(info.Out.find("crs: WGS 84 (geographic)\n"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("(74.5792 x 92.4749 m on the ground)"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("nodata: none\n"), std::string::npos) << info.Out;
}

}  // namespace
}  // namespace orvalis
