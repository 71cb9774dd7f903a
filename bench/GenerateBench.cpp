// Wall time per stage and peak memory of whole generations.
//
//   orvalis-bench [--sizes 256,1024,4096] [--threads 1,2] [--lighting unlit,lit]
//                 [--heightmaps A.bmp,B.bmp]
//   orvalis-bench --inputs FOLDER      writes the bench's tiles and heightmaps there
//   orvalis-bench --child stages|whole FOLDER HEIGHTMAP SIZE LIT THREADS [LIGHT SUN]
//                                      one generation, stage by stage or whole
//   orvalis-bench --child relight FOLDER HEIGHTMAP SIZE 1 THREADS
//                                      the window's relight: median ms of the
//                                      shading and of the whole relight
//
// Makes the sample tiles, the sample terrain and a 1024 x 1024 heightmap in a
// temporary folder (the heightmaps given replace those two), then runs every
// combination of heightmap, texture size, lighting and thread count twice,
// each in a child process of its own so that memory peaks do not mix: once
// stage by stage for the stage times, once through GenerateTexture for the
// whole time and the peak resident memory.

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "SampleTerrain.h"
#include "raster/DibBuffer.h"
#include "blending/BandBlend.h"
#include "generation/GenerateTexture.h"
#include "lighting/Lightmap.h"
#include "lighting/NormalMap.h"

namespace {

namespace fs = std::filesystem;
using orvalis::TDibBuffer;

constexpr const char* kTileNames[orvalis::kTileCount] = {"snow.bmp", "rock.bmp", "grass.bmp",
                                                         "sand.bmp", "water.bmp"};
constexpr orvalis::sample::TileKind kTileKinds[orvalis::kTileCount] = {
    orvalis::sample::TileKind::Snow, orvalis::sample::TileKind::Rock,
    orvalis::sample::TileKind::Grass, orvalis::sample::TileKind::Sand,
    orvalis::sample::TileKind::Water};

// The lighting's fixed shading constants, as LightHeightmap passes them.
constexpr float kHeightScale = 1.0f, kAmbient = 0.6f, kDiffuse = 0.5f;

struct Configuration {
    std::string Heightmap;  // file name in the work folder
    int TextureSize = 256;
    bool Lit = true;
    int Threads = 1;
    orvalis::LightSettings Light{};
};

// Wall time between laps, and the CPU time of all threads (which other
// work on a shared machine disturbs less).
class Stopwatch {
public:
    double Lap() {
        const auto now = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - last_).count();
        last_ = now;
        const double cpu = CpuMs();
        lastCpuLap_ = cpu - lastCpu_;
        lastCpu_ = cpu;
        return ms;
    }
    double LastCpuLap() const { return lastCpuLap_; }

private:
    static double CpuMs() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
    double lastCpu_ = CpuMs();
    double lastCpuLap_ = 0;
};

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

struct LoadedTiles {
    std::array<TDibBuffer, orvalis::kTileCount> Pictures;
    orvalis::TileSet Set{};
};

void LoadTiles(const fs::path& folder, LoadedTiles& tiles) {
    for (int i = 0; i < orvalis::kTileCount; ++i) {
        tiles.Pictures[i].ReadBmpFile((folder / kTileNames[i]).string());
        tiles.Set[i] = &tiles.Pictures[i];
    }
}

// The steps of GenerateTexture one by one, timed. Prints the stage times in ms:
// blend (with the heightmap read), normal map, shading with shadows, multiply (with the stretch), writes (the
// lightmap when lit, and the texture); then the CPU ms of the blend, normal
// map and shading.
void RunStages(const fs::path& folder, const Configuration& c) {
    LoadedTiles tiles;
    LoadTiles(folder, tiles);
    orvalis::RunOptions run;
    run.Threads = c.Threads;
    const std::string heightmapPath = (folder / c.Heightmap).string();
    const std::string texturePath = (folder / "texture.bmp").string();
    double blend = 0, normals = 0, shading = 0, multiply = 0, writes = 0;
    double blendCpu = 0, normalsCpu = 0, shadingCpu = 0;

    Stopwatch clock;
    TDibBuffer heightmap;
    heightmap.ReadBmpFile(heightmapPath);
    TDibBuffer texture = orvalis::BlendTexture(heightmap, tiles.Set, c.TextureSize, run);
    blend = clock.Lap();
    blendCpu = clock.LastCpuLap();
    if (c.Lit) {
        TDibBuffer lightmap;
        const orvalis::HeightPlane plane = orvalis::HeightsOfPixels(heightmap);
        orvalis::TNormalMap normalMap;
        orvalis::BuildNormalMap(plane, normalMap, kHeightScale, run);
        normals = clock.Lap();
        normalsCpu = clock.LastCpuLap();
        lightmap.Allocate(heightmap.Width(), heightmap.Height(), 24);
        orvalis::ShadeLightmap(plane, normalMap, orvalis::LightVector(c.Light), kHeightScale,
                               lightmap, kAmbient, kDiffuse, true, run);
        shading = clock.Lap();
        shadingCpu = clock.LastCpuLap();
        lightmap.WriteBmpFile((folder / orvalis::kLightmapFileName).string());
        writes += clock.Lap();
        orvalis::ApplyLightmap(texture, lightmap, run);
        multiply = clock.Lap();
    }
    texture.WriteBmpFile(texturePath);
    writes += clock.Lap();
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f\n", blend, normals, shading, multiply, writes,
                blendCpu, normalsCpu, shadingCpu);
}

// One GenerateTexture call. Prints its time in ms and the process's peak KiB.
void RunWhole(const fs::path& folder, const Configuration& c) {
    LoadedTiles tiles;
    LoadTiles(folder, tiles);
    orvalis::GenerateSettings settings;
    settings.HeightmapFile = (folder / c.Heightmap).string();
    settings.Tiles = tiles.Set;
    settings.TextureSize = c.TextureSize;
    settings.UseLighting = c.Lit;
    settings.Light = c.Light;
    settings.Run.Threads = c.Threads;
    TDibBuffer lightmap;
    // A generation never replaces a texture; the stage run wrote one.
    fs::remove(folder / "texture.bmp");
    Stopwatch clock;
    orvalis::GenerateTexture(settings, (folder / "texture.bmp").string(),
                             (folder / orvalis::kLightmapFileName).string(), lightmap);
    const double total = clock.Lap();
    std::printf("%.1f %ld\n", total, PeakResidentKiB());
}

// The window's relight of a finished texture: the terrain's heights and
// normals are ready, so each light costs the shading, a copy of the unlit
// texture and the multiply. Prints the median ms over several lights of
// the shading alone and of the whole relight.
void RunRelight(const fs::path& folder, const Configuration& c) {
    LoadedTiles tiles;
    LoadTiles(folder, tiles);
    orvalis::RunOptions run;
    run.Threads = c.Threads;
    const std::string heightmapPath = (folder / c.Heightmap).string();
    orvalis::Picture heightmap = orvalis::ReadHeightmapPicture(heightmapPath);
    const TDibBuffer unlit = orvalis::BlendTexture(heightmap.Pixels, tiles.Set, c.TextureSize, run);
    const orvalis::TerrainLighting terrain = orvalis::PrepareTerrainLighting(std::move(heightmap), run);
    std::vector<double> shading, whole;
    for (const int direction : {0, 45, 90, 135, 200, 270, 315}) {
        Stopwatch clock;
        const TDibBuffer lightmap = orvalis::ShadeTerrain(terrain, {direction, 50}, run);
        shading.push_back(clock.Lap());
        TDibBuffer relit;
        relit.CopyFromBitmap(unlit);
        orvalis::ApplyLightmap(relit, lightmap, run);
        whole.push_back(shading.back() + clock.Lap());
    }
    std::sort(shading.begin(), shading.end());
    std::sort(whole.begin(), whole.end());
    std::printf("%.1f %.1f\n", shading[shading.size() / 2], whole[whole.size() / 2]);
}

void MakeInputs(const fs::path& folder) {
    fs::create_directories(folder);
    for (int i = 0; i < orvalis::kTileCount; ++i) {
        orvalis::sample::MakeTile(kTileKinds[i]).WriteBmpFile((folder / kTileNames[i]).string());
    }
    orvalis::sample::MakeHeightmap(256).WriteBmpFile((folder / "terrain.bmp").string());
    orvalis::sample::MakeHeightmap(1024).WriteBmpFile((folder / "hills1024.bmp").string());
}

std::string ChildCommand(const std::string& self, const std::string& mode, const fs::path& folder,
                         const Configuration& c) {
    std::ostringstream command;
    command << "'" << self << "' --child " << mode << " '" << folder.string() << "' "
            << "'" << c.Heightmap << "' " << c.TextureSize << ' ' << (c.Lit ? 1 : 0) << ' ' << c.Threads;
    return command.str();
}

std::string RunChild(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot start " + command);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    if (pclose(pipe) != 0) throw std::runtime_error("failed: " + command);
    return output;
}

std::vector<int> ParseList(const std::string& text) {
    std::vector<int> values;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) values.push_back(std::stoi(item));
    return values;
}

std::vector<std::string> ParseNames(const std::string& text) {
    std::vector<std::string> names;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) names.push_back(item);
    return names;
}

struct TableOptions {
    std::vector<int> Sizes = {256, 1024, 4096};
    std::vector<int> Threads = {1, 2};
    std::vector<bool> Lighting = {false, true};
    std::vector<std::string> Heightmaps;  // paths; empty: the two made here
};

// "sample 256", "1024" or the file's name with its size.
std::string HeightmapLabel(const fs::path& path) {
    if (path.filename() == "terrain.bmp") return "sample 256";
    if (path.filename() == "hills1024.bmp") return "1024";
    TDibBuffer heightmap;
    heightmap.ReadBmpFile(path.string());
    return path.filename().string() + " " + std::to_string(heightmap.Width()) + "x" +
           std::to_string(heightmap.RowCount());
}

int RunTable(const std::string& self, const TableOptions& options) {
    const fs::path folder =
        fs::temp_directory_path() / ("orvalis-bench-" + std::to_string(getpid()));
    MakeInputs(folder);
    std::vector<std::string> heightmaps = options.Heightmaps;
    if (heightmaps.empty()) heightmaps = {"terrain.bmp", "hills1024.bmp"};
    std::printf("| heightmap | texture | light | threads | blend ms | normals ms | shading ms "
                "| multiply ms | writes ms | whole ms | peak MiB |\n"
                "|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const std::string& heightmap : heightmaps) {
        const std::string label = HeightmapLabel(folder / heightmap);
        for (const int size : options.Sizes) {
            for (const bool lit : options.Lighting) {
                for (const int threads : options.Threads) {
                    const Configuration c{heightmap, size, lit, threads};
                    std::istringstream stages(RunChild(ChildCommand(self, "stages", folder, c)));
                    std::istringstream whole(RunChild(ChildCommand(self, "whole", folder, c)));
                    double blend, normals, shading, multiply, writes, total;
                    long peakKiB;
                    stages >> blend >> normals >> shading >> multiply >> writes;
                    whole >> total >> peakKiB;
                    std::printf("| %s | %d | %s | %d ", label.c_str(), size,
                                lit ? "lit" : "unlit", threads);
                    std::printf("| %.0f | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f |\n", blend,
                                normals, shading, multiply, writes, total, peakKiB / 1024.0);
                    std::fflush(stdout);
                }
            }
        }
    }
    fs::remove_all(folder);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if ((args.size() == 7 || args.size() == 9) && args[0] == "--child") {
            Configuration c{args[3], std::stoi(args[4]), args[5] == "1", std::stoi(args[6])};
            if (args.size() == 9) c.Light = {std::stoi(args[7]), std::stoi(args[8])};
            if (args[1] == "stages") RunStages(args[2], c);
            else if (args[1] == "relight") RunRelight(args[2], c);
            else RunWhole(args[2], c);
            return 0;
        }
        if (args.size() == 2 && args[0] == "--inputs") {
            MakeInputs(args[1]);
            return 0;
        }
        TableOptions options;
        for (std::size_t i = 0; i < args.size(); i += 2) {
            if (i + 1 == args.size()) throw std::invalid_argument(args[i] + " needs a value");
            const std::string& value = args[i + 1];
            if (args[i] == "--sizes") options.Sizes = ParseList(value);
            else if (args[i] == "--threads") options.Threads = ParseList(value);
            else if (args[i] == "--heightmaps") options.Heightmaps = ParseNames(value);
            else if (args[i] == "--lighting") {
                options.Lighting.clear();
                for (const std::string& item : ParseNames(value)) {
                    if (item != "lit" && item != "unlit") throw std::invalid_argument("--lighting wants lit or unlit");
                    options.Lighting.push_back(item == "lit");
                }
            } else throw std::invalid_argument("unknown option " + args[i]);
        }
        return RunTable(fs::read_symlink("/proc/self/exe").string(), options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvalis-bench: %s\n", e.what());
        return 1;
    }
}
