#include <unistd.h>

#include <array>
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
#include "cli/GenerateOptionParsing.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "generation/GenerationRequest.h"
#include "raster/DibBuffer.h"

namespace orvalis::cli {

const char* const kGenerateUsage =
    "  generate [OPTIONS]         blend, light and save a texture; never overwrites an\n"
    "                             earlier terrain_tex*.bmp (or .png)\n"
    "    --info FILE              texture-info file: five tiles, then the heightmap\n"
    "                             (default: default.txt)\n"
    "    --heightmap FILE         heightmap instead of the one in the info file\n"
    "    --tiles T0,T1,T2,T3,T4   tiles instead of those in the info file, T0 the highest\n"
    "    --size N                 texture edge, 1 .. 16384 (default: 256)\n"
    "    --light-dir DEG          light direction, 0 .. 360 (default: 90), counted\n"
    "                             counter-clockwise from east (the picture's right):\n"
    "                             0 east, 90 north (the top), 180 west; the sun of\n"
    "                             --sun-azimuth A is --light-dir (450 - A) mod 360\n"
    "                             (azimuth 300 is --light-dir 150)\n"
    "    --sun-pos P              sun scrollbar position, 0 .. 400 (default: 50); the\n"
    "                             window shows P / 100: 50 is 0.500\n"
    "    --no-lighting            no lightmap, no lm.bmp\n"
    "    --output FILE            write the texture to FILE, which must not exist yet,\n"
    "                             and the lightmap to FILE's name + _lm.bmp beside it\n"
    "                             (tex.bmp: tex_lm.bmp), which must not exist either;\n"
    "                             a name ending in .png, .tif or .bmp gives the format\n"
    "    --output-dir DIR         write the first free terrain_tex*.bmp in DIR, and\n"
    "                             the lightmap to DIR/lm.bmp, replacing it\n"
    "    --lightmap FILE          write the lightmap to FILE, which must not exist yet\n"
    "    --threads N              worker threads, 1 .. 1024 (default: all cores)\n"
    "    --format png|bmp|tif     texture and lightmap as PNG, BMP or GeoTIFF (default: BMP,\n"
    "                             or the format of the --output name); the names\n"
    "                             end in .png (terrain_tex*.png, lm.png, tex_lm.png) or\n"
    "                             .tif; GeoTIFF keeps the heightmap's coordinate system\n"
    "                             and extent, and makes the splat, normal and shadow maps\n"
    "                             GeoTIFF too (names ending in .tif)\n"
    "    --splat-map FILE         the blend's band weights as RGBA PNG (bands 256, 192,\n"
    "                             128, 64) and FILE_1 (band 0 in red); each pixel's\n"
    "                             weights add up to 255; neither may exist yet\n"
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
    "                             georeferenced heightmap, the splat and normal maps\n"
    "                             included; without it a replaced lm.png loses its\n"
    "                             earlier lm.pgw\n"
    "    --resample smooth|spline|classic\n"
    "                             heights onto the texture: smooth interpolates (cubic)\n"
    "                             when enlarging and averages when shrinking; spline\n"
    "                             enlarges by the cubic B-spline through the cells,\n"
    "                             whose curvature is continuous too: no cell lattice\n"
    "                             in the light of a DEM enlarged 10 times and more;\n"
    "                             classic stretches as ever (default: classic, smooth\n"
    "                             with --sun-azimuth)\n"
    "    --water-level H          open water up to height H in the data's units (with\n"
    "                             --resample smooth or spline, or --sun-azimuth): the\n"
    "                             ground below it is all water (band 0) in the texture\n"
    "                             and the splat map, and lies flat at H for the light\n"
    "    --memory-limit SIZE      the most memory reading one picture may take, in bytes\n"
    "                             or with K, M, G or T (800M, 4G; default: half of this\n"
    "                             machine's memory); a picture that needs more is refused\n"
    "                             before it is decoded\n"
    "  Real-scale lighting (both angles switch it on; the texture keeps the heightmap's\n"
    "  aspect, --size its longer side):\n"
    "    --sun-azimuth DEG        the sun's direction, 0 .. 360 clockwise from north (the\n"
    "                             top of the picture), as GIS tools count; --light-dir\n"
    "                             D is azimuth (450 - D) mod 360\n"
    "    --sun-elevation DEG      the sun's height above the horizon, 0 .. 90\n"
    "    --z-factor F             heights multiplied by F, 1e-9 .. 1e9 (default: 1); the\n"
    "                             heights times F must lie within -1e30 .. 1e30\n"
    "    --cell-size X[:Y]        ground size of a cell in the heights' unit, 1e-9 .. 1e9\n"
    "                             (default: from the heightmap's georeference in metres,\n"
    "                             which must lie in that range too, else 1)\n"
    "    --ambient A              share of sky light on level ground, 0 .. 1 (default:\n"
    "                             0.3), from a clear sky brighter toward the sun\n"
    "    --sun-size DEG           the sun's diameter for soft shadows, 0 .. 10 (default:\n"
    "                             0.53)\n"
    "    --sky-light              the sky light dimmed where the terrain hides the sky\n"
    "                             (horizons in 16 directions); not a sky-view factor:\n"
    "                             the clear sky is brighter toward the sun, so under a\n"
    "                             low sun it follows how much of the sky on the sun's\n"
    "                             side a pixel sees, far more than its share of the\n"
    "                             whole sky\n"
    "    --shadow-map FILE        the sun's visibility as grey PNG (or GeoTIFF) at the\n"
    "                             texture's size (255 sunlit, 0 in shadow); FILE must not\n"
    "                             exist yet\n"
    "    --quiet                  print neither progress nor the result line\n"
    "                             Files appear only when the run completes; a run that\n"
    "                             fails or is interrupted (SIGINT, SIGTERM, SIGHUP:\n"
    "                             exit code 128 + signal) leaves nothing behind.";

namespace {

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

using Tiles = std::array<TDibBuffer, kTileCount>;

// Reads the tiles into `tiles`, which the request then points to.
void ReadTiles(GenerateOptions& options, Tiles& tiles, const CancelFlag& stop) {
    GenerateSettings& settings = options.Request.Settings;
    settings.Read.Cancel = &stop;
    for (int i = 0; i < kTileCount; ++i) {
        tiles[i] = ReadPictureFile((*options.Tiles)[i], settings.Read).Pixels;
        settings.Tiles[i] = &tiles[i];
    }
    settings.HeightmapFile = *options.Heightmap;
    settings.Run.Cancel = &stop;
}

// The run's texture path. A failure after the names are claimed says that
// nothing was saved, in the command line's words.
std::string Generate(const GenerationRequest& request) {
    try {
        return RunGeneration(request).Texture;
    } catch (const NothingSaved& failure) {
        try {
            std::rethrow_exception(failure.Cause());
        } catch (const std::exception& error) {
            throw std::runtime_error(ErrorMessage(error) + " (nothing was saved)");
        }
    }
}

void ReportSaved(const std::string& path, std::chrono::steady_clock::time_point start) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("%s saved (%lldms)\n", DisplayPath(path).c_str(),
                static_cast<long long>(elapsed.count()));
}

}  // namespace

int RunGenerate(const std::vector<std::string>& args, const CancelFlag& stop) {
    GenerateOptions options = ParseGenerateOptions(args);
    FillFromInfoFile(options);
    Tiles tiles;
    ReadTiles(options, tiles, stop);

    TerminalProgress progress;
    if (!options.Quiet && isatty(STDERR_FILENO)) options.Request.Settings.Run.Progress = std::ref(progress);
    const auto start = std::chrono::steady_clock::now();
    std::string saved;
    try {
        saved = Generate(options.Request);
    } catch (...) {
        progress.Clear();
        throw;
    }
    progress.Clear();
    if (!options.Quiet) ReportSaved(saved, start);
    return 0;
}

}  // namespace orvalis::cli
