// Makes the sample terrain in the folder given as the only argument:
// sample/terrain.bmp, the five tiles sample/<name>.bmp and default.txt.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "SampleTerrain.h"
#include "synth/TextureInfo.h"

namespace {

using orvalis::sample::TileKind;

struct SampleTile {
    TileKind Kind;
    const char* File;
};

// Tile 0 is the highest band.
constexpr SampleTile kTiles[] = {{TileKind::Snow, "sample/snow.bmp"},
                                 {TileKind::Rock, "sample/rock.bmp"},
                                 {TileKind::Grass, "sample/grass.bmp"},
                                 {TileKind::Sand, "sample/sand.bmp"},
                                 {TileKind::Water, "sample/water.bmp"}};
constexpr const char* kHeightmapFile = "sample/terrain.bmp";
constexpr int kHeightmapSize = 256;

void MakeSample(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "sample");
    orvalis::TextureInfo info;
    for (int i = 0; i < 5; ++i) {
        orvalis::sample::MakeTile(kTiles[i].Kind).WriteBmpFile((folder / kTiles[i].File).string());
        info.TileFiles[i] = kTiles[i].File;
    }
    orvalis::sample::MakeHeightmap(kHeightmapSize).WriteBmpFile((folder / kHeightmapFile).string());
    info.HeightmapFile = kHeightmapFile;
    info.BandTexts = {"256", "192", "128", "64", "0"};
    orvalis::WriteTextureInfo((folder / "default.txt").string(), info);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvalis-samplegen FOLDER\n");
        return 2;
    }
    try {
        MakeSample(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvalis-samplegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
