// Makes the sample terrain in the folder given as the only argument:
// sample/terrain.bmp, the same terrain at 16-bit precision as
// sample/terrain16.png, the five tiles sample/<name>.bmp and default.txt,
// and the forest tile that the sample layers files name besides them.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "SampleTerrain.h"
#include "io/PngFile.h"
#include "generation/TextureInfo.h"

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
constexpr const char* kForestTileFile = "sample/forest.bmp";
constexpr const char* kHeightmapFile = "sample/terrain.bmp";
constexpr const char* kFineHeightmapFile = "sample/terrain16.png";
constexpr int kHeightmapSize = 256;

// PNG stores the top row first.
void WriteFineHeightmap(const std::string& path) {
    const std::vector<std::uint16_t> levels = orvalis::sample::HeightmapLevels(kHeightmapSize, 65535);
    std::vector<std::uint16_t> topFirst;
    topFirst.reserve(levels.size());
    for (int y = kHeightmapSize - 1; y >= 0; --y) {
        const auto row = levels.begin() + static_cast<std::ptrdiff_t>(y) * kHeightmapSize;
        topFirst.insert(topFirst.end(), row, row + kHeightmapSize);
    }
    orvalis::WritePngFile(path, {kHeightmapSize, kHeightmapSize, 1}, topFirst);
}

void MakeSample(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "sample");
    orvalis::TextureInfo info;
    for (int i = 0; i < 5; ++i) {
        orvalis::sample::MakeTile(kTiles[i].Kind).WriteBmpFile((folder / kTiles[i].File).string());
        info.TileFiles[i] = kTiles[i].File;
    }
    orvalis::sample::MakeTile(TileKind::Forest).WriteBmpFile((folder / kForestTileFile).string());
    orvalis::sample::MakeHeightmap(kHeightmapSize).WriteBmpFile((folder / kHeightmapFile).string());
    WriteFineHeightmap((folder / kFineHeightmapFile).string());
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
