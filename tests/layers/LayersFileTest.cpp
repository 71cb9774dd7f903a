#include "layers/LayersFile.h"

#include <gtest/gtest.h>

#include "files/Error.h"
#include "common/ErrorMessage.h"
#include "common/Files.h"
#include "common/ScratchFolder.h"

namespace orvalis {
namespace {

constexpr const char* kHead = "[layers]\nfallback = grass\n[layer grass]\ntile = g.bmp\n";  // lines 1 .. 4

TEST(LayersFile, EveryErrorNamesTheFileTheLineAndTheKey) {
    struct Case {
        std::string Text;
        const char* Message;
    };
    const std::string seventeen = [] {
        std::string text = kHead;
        for (int k = 0; k < 16; ++k) text += "[layer l" + std::to_string(k) + "]\ntile = t\n";
        return text;
    }();
    const Case cases[] = {
        {std::string(kHead) + "slop = above 3 deg", "line 5, slop: unknown key; a layer takes tile"},
        {std::string(kHead) + "slope = above 120 deg", "line 5, slope: the bound 120 deg lies outside 0 .. 90 deg"},
        {std::string(kHead) + "slope = above 30 m", "line 5, slope: the unit here is deg, not \"m\""},
        {std::string(kHead) + "slope = 40 .. 30 deg", "line 5, slope: the range starts at 40 deg, above its end"},
        {std::string(kHead) + "slope = 30 deg", "line 5, slope: write a range as \"A .. B deg\""},
        {std::string(kHead) + "height = below 3 m, ramp -1 m", "line 5, height: the ramp -1 m lies outside 0 .. "},
        {std::string(kHead) + "height = below 3 m, ramp 1 m, ramp 2 m", "line 5, height: ramp given twice"},
        {std::string(kHead) + "height = below 3 ft", "line 5, height: the unit here is m, not \"ft\""},
        {std::string(kHead) + "aspect = 400 deg, width 90 deg", "line 5, aspect: the direction 400 deg lies outside"},
        {std::string(kHead) + "aspect = 40 deg", "line 5, aspect: an aspect needs a width"},
        {std::string(kHead) + "curvature = below 0 m", "line 5, curvature: a curvature needs the radius"},
        {std::string(kHead) + "coverage = 1.5", "line 5, coverage: the coverage 1.5 lies outside 0 .. 1"},
        {std::string(kHead) + "coverage = lots", "line 5, coverage: \"lots\" is not a number"},
        {std::string(kHead) + "tile = h.bmp", "line 5, tile: given twice (first on line 4)"},
        {std::string(kHead) + "height = below 3 m, noise 1 m", "line 5, height: noise needs a noise-scale"},
        {std::string(kHead) + "[layer grass]", "line 5, [layer grass]: given twice (first on line 3)"},
        {std::string(kHead) + "[layer rock]\n", "line 5, tile: missing; every layer names its tile"},
        {std::string(kHead) + "[layer ro ck]", "line 5, [layer ro ck]: unknown section"},
        {std::string(kHead) + "[layer r@ck]", "line 5, [layer r@ck]: a name holds only letters"},
        {std::string(kHead) + "just words", "line 5: expected \"key = value\""},
        {std::string(kHead) + "bad\x01", "line 5: a control character"},
        {"[layers]\nseed = -1\n", "line 2, seed: a seed is a whole number"},
        {"[layers]\nheight-unit = deg\n", "line 2, height-unit: deg is the unit of angles"},
        {"[layers]\nnoise-scale = 0 m\n", "line 2, noise-scale: the noise scale 0 m lies outside"},
        {"[layers]\n[layer a]\ntile = a\n", "line 1, fallback: missing"},
        {"[layers]\nfallback = snow\n[layer a]\ntile = a\n", "line 2, fallback: no layer is named \"snow\""},
        {"fallback = a\n", "line 1, fallback: a key before the first section"},
        {"[layer a]\ntile = a\n", "line 3, [layers]: no such section"},
        {seventeen, "line 35, [layer l15]: more than 16 layers"},
    };
    for (const Case& c : cases) {
        const std::string expected = std::string("hills-layers.txt: ") + c.Message;
        EXPECT_EQ(test::MessageOf<Error>([&] { ParseLayers(c.Text, "hills-layers.txt"); }).substr(0, expected.size()),
                  expected);
    }
}

TEST(LayersFile, WrittenSetsReadBackEqual) {
    const LayerSet set = ParseLayers(R"(# comments and blanks go; the rules stay
[layer sand]   # before [layers]: the order of the sections is free
tile = tiles/sand#1.bmp  # a "#" after a blank starts a comment
height = -2..6.5 ft, ramp 3 ft, noise 1.25 ft
slope = below 12 deg
[layers]
fallback = sand
seed = 4294967295
noise-scale = 0.1 m
height-unit = ft
[layer rock]
tile = /abs/rock.bmp
slope = above 35 deg, ramp 8 deg, noise 4 deg
aspect = 350 deg, width 60 deg, ramp 20 deg, noise 5 deg
curvature = -1e3 .. 0.3 ft, noise 0.2 ft, ramp 1e-2 ft, radius 120 m
coverage = 0.35
)", "rules");
    ASSERT_EQ(set.Layers.size(), 2u);
    EXPECT_EQ(set.Layers[0].Tile, "tiles/sand#1.bmp");
    EXPECT_EQ(set.Layers[0].Height, (RangeRule{-2, 6.5, 3, 1.25}));
    EXPECT_EQ(set.Layers[1].Curvature, (CurvatureRule{{-1000, 0.3, 0.01, 0.2}, 120}));
    const std::string text = LayersText(set);
    EXPECT_EQ(ParseLayers(text, "written"), set);
    EXPECT_EQ(LayersText(ParseLayers(text, "written")), text);

    // A set the file cannot hold is refused on writing, not written otherwise.
    LayerSet unwritable = set;
    unwritable.Layers[1].Tile = "rock #2.bmp";
    EXPECT_EQ(test::MessageOf<Error>([&] { LayersText(unwritable); }), "layer rock, tile: the tile's path holds \" #\"");
}

// The layers files the sample ships.
TEST(LayersFile, TheSampleFilesRead) {
    for (const char* name : {"classic-layers.txt", "six-layers.txt"}) {
        const LayerSet set = ParseLayers(test::ReadBytes(std::string(ORVALIS_SAMPLE_DIR "/") + name), name);
        EXPECT_EQ(set.Layers.size(), name[0] == 'c' ? 5u : 6u) << name;
    }
}

TEST(LayersFile, TilesAreLookedForBesideTheFile) {
    const test::ScratchFolder folder;
    std::filesystem::create_directories(folder.Folder() / "tiles");
    folder.Write("tiles/g.bmp", "BM");
    const std::string path = folder.Write("rules.txt", "[layers]\nfallback = grass\n[layer grass]\ntile = tiles/g.bmp\n"
                                                         "[layer rock]\ntile = tiles/rock.bmp\n");
    EXPECT_EQ(test::MessageOf<Error>([&] { ReadLayersFile(path); }),
              path + ": line 6, tile: tiles/rock.bmp: Datei nicht gefunden");
    folder.Write("tiles/rock.bmp", "BM");
    LayerSet set = ReadLayersFile(path);
    EXPECT_EQ(TilePath(path, set.Layers[1].Tile), folder.PathOf("tiles/rock.bmp"));
    set.Layers[1].Coverage = 0.5;
    WriteLayersFile(path, set);
    EXPECT_EQ(ReadLayersFile(path), set);
}

}  // namespace
}  // namespace orvalis
