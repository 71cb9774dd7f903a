#include <unistd.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cli/Commands.h"
#include "cli/EngineOutputs.h"
#include "cli/TerrainFiles.h"
#include "cli/TerrainOptions.h"
#include "raster/DibBuffer.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "generation/GenerateTexture.h"
#include "generation/TextureInfo.h"

namespace orvalis::cli {

const char* const kGenerateUsage =
    "  generate [OPTIONS]         blend, light and save a texture; never overwrites an\n"
    "                             earlier terrain_tex*.bmp (or .png)\n"
    "    --info FILE              texture-info file: five tiles, then the heightmap\n"
    "                             (default: default.txt)\n"
    "    --heightmap FILE         heightmap instead of the one in the info file\n"
    "    --tiles T0,T1,T2,T3,T4   tiles instead of those in the info file, T0 the highest\n"
    "    --size N                 texture edge, 1 .. 16384 (default: 256)\n"
    "    --light-dir DEG          light direction, 0 .. 360 (default: 90)\n"
    "    --sun-pos P              sun scrollbar position, 0 .. 400 (default: 50); the\n"
    "                             window shows P / 100: 50 is 0.500\n"
    "    --no-lighting            no lightmap, no lm.bmp\n"
    "    --output FILE            write the texture to FILE, which must not exist yet,\n"
    "                             and the lightmap to FILE's name + _lm.bmp beside it\n"
    "                             (tex.bmp: tex_lm.bmp), which must not exist either\n"
    "    --output-dir DIR         write the first free terrain_tex*.bmp in DIR, and\n"
    "                             the lightmap to DIR/lm.bmp, replacing it\n"
    "    --lightmap FILE          write the lightmap to FILE, which must not exist yet\n"
    "    --threads N              worker threads, 1 .. 1024 (default: all cores)\n"
    "    --format png|bmp|tif     texture and lightmap as PNG, BMP or GeoTIFF (default: BMP,\n"
    "                             or PNG for an --output name ending in .png); the names\n"
    "                             end in .png (terrain_tex*.png, lm.png, tex_lm.png) or\n"
    "                             .tif; GeoTIFF keeps the heightmap's coordinate system\n"
    "                             and extent\n"
    "    --splat-map FILE         band weights as RGBA PNG (bands 256, 192, 128, 64) and\n"
    "                             FILE_1 (band 0 in red); each pixel's weights add up to\n"
    "                             255; neither may exist yet\n"
    "    --normal-map FILE        the heightmap's normals as RGB PNG (x red, z green, up\n"
    "                             blue); FILE must not exist yet\n"
    "    --png-compression fast|default|best\n"
    "                             how hard every PNG is compressed, on all threads\n"
    "                             (default: fast); the pixels are the same. fast:\n"
    "                             zlib level 1 on runs of a byte, rows filtered by\n"
    "                             the row above; default: level 6, each row by the\n"
    "                             best of the five PNG filters (files a sixth\n"
    "                             smaller, several times slower); best: level 9\n"
    "                             (a little smaller again, twice as slow as default)\n"
    "    --height-range LOW:HIGH  map signed or floating-point heights LOW .. HIGH onto\n"
    "                             0 .. 255 (default: their own lowest .. highest); for\n"
    "                             unsigned samples (8, 16 bits), the heights of their\n"
    "                             lowest and highest value, which --bands and the\n"
    "                             real-scale lighting use (else it is an error)\n"
    "    --bands H256,H192,H128,H64,H0\n"
    "                             heights in the data's units where the five bands are\n"
    "                             centred, highest first, e.g. 2000,800,0,-20,-200 puts\n"
    "                             sea level on band 128 (default: from the data's range)\n"
    "    --world-file             a world file (.pgw) beside each PNG output of a\n"
    "                             georeferenced heightmap\n"
    "    --resample smooth|classic  heights onto the texture: smooth interpolates (cubic)\n"
    "                             when enlarging and averages when shrinking; classic\n"
    "                             stretches as ever (default: classic, smooth with\n"
    "                             --sun-azimuth)\n"
    "    --memory-limit SIZE      the most memory reading one picture may take, in bytes\n"
    "                             or with K, M, G or T (800M, 4G; default: half of this\n"
    "                             machine's memory); a picture that needs more is refused\n"
    "                             before it is decoded\n"
    "  Real-scale lighting (both angles switch it on; the texture keeps the heightmap's\n"
    "  aspect, --size its longer side):\n"
    "    --sun-azimuth DEG        the sun's direction, 0 .. 360 clockwise from north (the\n"
    "                             top of the picture)\n"
    "    --sun-elevation DEG      the sun's height above the horizon, 0 .. 90\n"
    "    --z-factor F             heights multiplied by F (default: 1)\n"
    "    --cell-size X[:Y]        ground size of a cell in the heights' unit (default: from\n"
    "                             the heightmap's georeference in metres, else 1)\n"
    "    --ambient A              share of sky light on level ground, 0 .. 1 (default:\n"
    "                             0.3), from a clear sky brighter toward the sun\n"
    "    --sun-size DEG           the sun's diameter for soft shadows, 0 .. 10 (default:\n"
    "                             0.53)\n"
    "    --sky-light              the sky light dimmed where the terrain hides the sky\n"
    "                             (horizons in 16 directions)\n"
    "    --shadow-map FILE        the sun's visibility as grey PNG (or GeoTIFF) at the\n"
    "                             texture's size (255 sunlit, 0 in shadow); FILE must not\n"
    "                             exist yet\n"
    "    --quiet                  print neither progress nor the result line\n"
    "                             Files appear only when the run completes; a run that\n"
    "                             fails or is interrupted (SIGINT, SIGTERM, SIGHUP:\n"
    "                             exit code 128 + signal) leaves nothing behind.";

namespace {

constexpr const char* kDefaultInfoFile = "default.txt";

struct GenerateOptions {
    std::string InfoFile = kDefaultInfoFile;
    std::optional<std::string> Heightmap;
    std::optional<std::array<std::string, kTileCount>> Tiles;
    std::int32_t TextureSize = 256;
    LightSettings Light;
    bool UseLighting = true;
    std::optional<std::string> Output;
    std::optional<std::string> OutputDir;
    std::optional<std::string> Lightmap;
    int Threads = 0;
    bool Quiet = false;
    EngineOutputs Engine;
    TerrainOptions Terrain;
    bool ClassicLightGiven = false;  // --light-dir or --sun-pos
};

[[noreturn]] void FailUsage(const std::string& problem) {
    throw UsageError("generate: " + problem + " (see orvalis-cli generate --help)");
}

// A whole decimal number and nothing else, within [lowest, highest].
int ParseNumber(const std::string& option, const std::string& text, int lowest, int highest) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || value < lowest || value > highest) {
        FailUsage(option + " wants a whole number from " + std::to_string(lowest) + " to " +
                  std::to_string(highest) + ", not '" + DisplayPath(text) + "'");
    }
    return value;
}

std::array<std::string, kTileCount> ParseTiles(const std::string& text) {
    std::array<std::string, kTileCount> tiles;
    std::size_t start = 0;
    for (int i = 0; i < kTileCount; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i == kTileCount - 1;
        if (last != (comma == std::string::npos)) {
            FailUsage("--tiles wants five paths separated by commas, not '" + DisplayPath(text) +
                      "'");
        }
        tiles[i] = text.substr(start, last ? std::string::npos : comma - start);
        if (tiles[i].empty()) FailUsage("--tiles has an empty path in '" + DisplayPath(text) + "'");
        start = comma + 1;
    }
    return tiles;
}

// A named texture brings its own lightmap name, so that it never touches a
// lightmap of another run; only the numbered textures share "lm.bmp".
std::string LightmapBeside(const std::string& output) {
    const std::filesystem::path path(output);
    return (path.parent_path() / (path.stem().string() + "_lm.bmp")).string();
}

// The lightmap a lit run writes, in the run's format.
std::optional<NamedOutput> LightmapOf(const GenerateOptions& options) {
    if (!options.UseLighting) return std::nullopt;
    if (options.Lightmap) return NamedOutput{"--lightmap", InFormat(options.Engine, *options.Lightmap)};
    if (options.Output) {
        return NamedOutput{"the lightmap of --output",
                           InFormat(options.Engine, LightmapBeside(*options.Output))};
    }
    const std::filesystem::path folder = options.OutputDir.value_or("");
    return NamedOutput{"the lightmap", InFormat(options.Engine, (folder / kLightmapFileName).string())};
}

// Two outputs of one run under one name would have the second run into the
// first; the names derived from the options count too. Found before any work.
void CheckOutputsDiffer(const GenerateOptions& options) {
    std::vector<NamedOutput> outputs;
    if (options.Output) outputs.push_back({"--output", InFormat(options.Engine, *options.Output)});
    if (std::optional<NamedOutput> lightmap = LightmapOf(options)) outputs.push_back(*lightmap);
    for (NamedOutput& engine : EngineOutputNames(options.Engine)) outputs.push_back(std::move(engine));
    if (options.Terrain.ShadowMap) outputs.push_back({"--shadow-map", ShadowMapName(options.Terrain, options.Engine)});
    const auto same = [](const std::string& first, const std::string& second) {
        return std::filesystem::path(first).lexically_normal() ==
               std::filesystem::path(second).lexically_normal();
    };
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            if (!same(outputs[i].Path, outputs[j].Path)) continue;
            FailUsage(outputs[i].Label + " and " + outputs[j].Label + " collide: both are '" +
                      DisplayPath(outputs[i].Path) + "'; give them different names");
        }
    }
}

GenerateOptions ParseOptions(const std::vector<std::string>& args) {
    GenerateOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) FailUsage(option + " needs a value");
            return args[++i];
        };
        const auto number = [&](int lowest, int highest) {
            return ParseNumber(option, value(), lowest, highest);
        };
        if (option == "--info") options.InfoFile = value();
        else if (option == "--heightmap") options.Heightmap = value();
        else if (option == "--tiles") options.Tiles = ParseTiles(value());
        else if (option == "--size") options.TextureSize = number(1, kLargestTextureSize);
        else if (option == "--light-dir") {
            options.Light.LightDir = number(0, 360);
            options.ClassicLightGiven = true;
        } else if (option == "--sun-pos") {
            options.Light.SunPos = number(0, 400);
            options.ClassicLightGiven = true;
        }
        else if (option == "--no-lighting") options.UseLighting = false;
        else if (option == "--output") options.Output = value();
        else if (option == "--output-dir") options.OutputDir = value();
        else if (option == "--lightmap") options.Lightmap = value();
        else if (option == "--threads") options.Threads = number(1, 1024);
        else if (option == "--quiet") options.Quiet = true;
        else if (ParseEngineOption(option, value, options.Engine)) continue;
        else if (ParseTerrainOption(option, value, options.Terrain)) continue;
        else FailUsage("unknown option '" + DisplayPath(option) + "'");
    }
    if (options.Output && options.OutputDir) FailUsage("give --output or --output-dir, not both");
    if (options.Output && options.Output->empty()) FailUsage("--output needs a file name");
    if (options.OutputDir && options.OutputDir->empty()) FailUsage("--output-dir needs a folder name");
    if (options.Lightmap && options.Lightmap->empty()) FailUsage("--lightmap needs a file name");
    if (options.Lightmap && !options.UseLighting) {
        FailUsage("--lightmap and --no-lighting exclude each other");
    }
    CheckTerrainOptions(options.Terrain, options.ClassicLightGiven, options.UseLighting);
    if (options.Engine.SplatMap && !SamplingOf(options.Terrain).IsClassic()) {
        FailUsage("--splat-map follows the classic blend; not with --resample smooth, --bands or --sun-azimuth");
    }
    SettleFormat(options.Engine, options.Output);
    if (options.Terrain.WorldFile && !options.Engine.Png()) {
        FailUsage("--world-file goes with PNG outputs (--format png); GeoTIFF holds its place itself");
    }
    CheckOutputsDiffer(options);
    return options;
}

// The info file is read only for what the command line leaves open.
void FillFromInfoFile(GenerateOptions& options) {
    if (options.Heightmap && options.Tiles) return;
    const TextureInfo info = ReadTextureInfo(options.InfoFile);
    if (!options.Tiles) {
        for (int i = 0; i < kTileCount; ++i) {
            if (info.TileFiles[i].empty()) {
                throw Error(options.InfoFile, "line " + std::to_string(i + 1) +
                                                        " names no picture for " +
                                                        TileDescription(i));
            }
        }
        options.Tiles = info.TileFiles;
    }
    if (!options.Heightmap) {
        if (info.HeightmapFile.empty()) {
            throw Error(options.InfoFile, "line 6 names no heightmap");
        }
        options.Heightmap = info.HeightmapFile;
    }
}

// A bar on the terminal, redrawn only when a stage's share changes.
class TerminalProgress {
public:
    void operator()(SynthesisStage stage, int rowsDone, int rowsTotal) {
        const int percent = rowsTotal > 0 ? static_cast<int>(100LL * rowsDone / rowsTotal) : 100;
        if (stage == stage_ && percent == percent_) return;
        stage_ = stage;
        percent_ = percent;
        constexpr int kWidth = 40;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r%-8s [%s%s] %3d%%",
                     stage == SynthesisStage::Blend ? "blend" : "lightmap",
                     std::string(filled, '#').c_str(), std::string(kWidth - filled, ' ').c_str(),
                     percent);
        std::fflush(stderr);
    }

    void Clear() const {
        if (percent_ >= 0) std::fprintf(stderr, "\r%60s\r", "");
    }

private:
    SynthesisStage stage_ = SynthesisStage::Blend;
    int percent_ = -1;
};

// The files of one run, claimed before the work begins.
struct OutputFiles {
    ResultFile Texture;
    std::optional<ResultFile> Lightmap;
    EngineFiles Engine;
    TerrainFiles Terrain;

    // Committed with the texture, before the lightmap.
    std::vector<ResultFile*> Alongside() {
        std::vector<ResultFile*> files = Engine.Files();
        const std::vector<ResultFile*> terrain = Terrain.Files();
        files.insert(files.end(), terrain.begin(), terrain.end());
        return files;
    }
};

ResultFile ClaimDefaultName(const GenerateOptions& options) {
    namespace fs = std::filesystem;
    const fs::path folder = options.OutputDir.value_or("");
    if (options.OutputDir) {
        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (!fs::exists(status)) throw Error(folder.string(), "no such folder");
        if (!fs::is_directory(status)) throw Error(folder.string(), "is not a folder");
    }
    return ClaimFreeOutputName(folder, options.Engine.Extension());
}

std::optional<ResultFile> ClaimLightmap(const GenerateOptions& options) {
    const std::optional<NamedOutput> lightmap = LightmapOf(options);
    if (!lightmap) return std::nullopt;
    if (options.Lightmap || options.Output) return ResultFile::Claim(lightmap->Path);
    return ResultFile::Replacing(lightmap->Path);
}

// Every name the run writes is claimed before the work, in the order of the
// commits; a taken one releases those claimed before it.
OutputFiles ClaimOutputs(const GenerateOptions& options) {
    ResultFile texture = options.Output
                             ? ResultFile::Claim(InFormat(options.Engine, *options.Output))
                             : ClaimDefaultName(options);
    std::optional<ResultFile> lightmap = ClaimLightmap(options);
    EngineFiles engine(options.Engine);
    const std::optional<std::string> lightmapName = lightmap ? std::optional(lightmap->Path()) : std::nullopt;
    TerrainFiles terrain(options.Terrain, options.Engine, texture.Path(), lightmapName,
                         !options.Lightmap && !options.Output);
    return {std::move(texture), std::move(lightmap), std::move(engine), std::move(terrain)};
}

using Tiles = std::array<TDibBuffer, kTileCount>;

// Reads the tiles into `tiles`, which the settings then point to.
GenerateSettings SettingsFrom(const GenerateOptions& options, Tiles& tiles,
                              const CancelFlag& stop) {
    GenerateSettings settings;
    PictureReadOptions read = options.Engine.Read;
    read.Cancel = &stop;
    for (int i = 0; i < kTileCount; ++i) {
        tiles[i] = ReadPictureFile((*options.Tiles)[i], read).Pixels;
        settings.Tiles[i] = &tiles[i];
    }
    settings.HeightmapFile = *options.Heightmap;
    settings.Read = read;
    settings.TextureSize = options.TextureSize;
    settings.UseLighting = options.UseLighting;
    settings.Light = options.Light;
    settings.Sampling = SamplingOf(options.Terrain);
    settings.Run.Threads = options.Threads;
    settings.Run.Cancel = &stop;
    settings.Encode = EncoderFor(options.Engine, options.Threads);
    return settings;
}

// Claims the outputs and generates into them; returns the texture's path. A
// failure after the claim says that nothing was saved: the claimed names and
// the staging files are gone again.
std::string GenerateIntoClaimedFiles(const GenerateOptions& options, GenerateSettings settings) {
    std::string texture;
    try {
        OutputFiles files = ClaimOutputs(options);
        texture = files.Texture.Path();
        settings.StageAlongside = [&files, &settings](const Picture& heightmap) {
            return files.Engine.Stage(heightmap, settings);
        };
        files.Terrain.Attach(settings);
        TDibBuffer lightmap;
        GenerateTexture(settings, files.Texture, files.Lightmap ? &*files.Lightmap : nullptr,
                        lightmap, files.Alongside());
    } catch (const RunCancelled&) {
        throw;  // main reports the stop
    } catch (const std::exception& error) {
        if (texture.empty()) throw;
        throw std::runtime_error(ErrorMessage(error) + " (nothing was saved)");
    }
    return texture;
}

void ReportSaved(const std::string& path, std::chrono::steady_clock::time_point start) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("%s saved (%lldms)\n", DisplayPath(path).c_str(),
                static_cast<long long>(elapsed.count()));
}

}  // namespace

int RunGenerate(const std::vector<std::string>& args, const CancelFlag& stop) {
    GenerateOptions options = ParseOptions(args);
    FillFromInfoFile(options);
    Tiles tiles;
    GenerateSettings settings = SettingsFrom(options, tiles, stop);

    TerminalProgress progress;
    if (!options.Quiet && isatty(STDERR_FILENO)) settings.Run.Progress = std::ref(progress);
    const auto start = std::chrono::steady_clock::now();
    std::string saved;
    try {
        saved = GenerateIntoClaimedFiles(options, settings);
    } catch (...) {
        progress.Clear();
        throw;
    }
    progress.Clear();
    if (!options.Quiet) ReportSaved(saved, start);
    return 0;
}

}  // namespace orvalis::cli
