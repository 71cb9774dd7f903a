#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/DisplayPath.h"
#include "generation/GenerationRequest.h"
#include "generation/OutputNames.h"

namespace orvalis {

namespace {

[[noreturn]] void Refuse(const std::string& problem) { throw RequestError(problem); }

// Each name option names a file (or, --output-dir, a folder).
void CheckNames(const GenerationRequest& request) {
    if (request.Output && request.OutputFolder) Refuse("give --output or --output-dir, not both");
    if (request.OutputFolder && request.OutputFolder->empty()) Refuse("--output-dir needs a folder name");
    const std::pair<const char*, const std::optional<std::string>&> files[] = {
        {"--output", request.Output},         {"--lightmap", request.Lightmap},   {"--splat-map", request.SplatMap},
        {"--normal-map", request.NormalMap}, {"--shadow-map", request.ShadowMap}};
    for (const auto& [option, file] : files) {
        if (!file) continue;
        if (file->empty()) Refuse(std::string(option) + " needs a file name");
        if (std::filesystem::path(*file).filename().empty()) {
            Refuse(std::string(option) + " needs a file name, not the folder '" + DisplayPath(*file) + "'");
        }
    }
    if (request.Lightmap && !request.Settings.UseLighting) Refuse("--lightmap and --no-lighting exclude each other");
}

// The sun comes with both angles, the options of real-scale lighting come
// with the sun, a water level with the sun or resampled heights, and the sun
// not without lighting.
void CheckTerrain(const GenerationRequest& request) {
    const TerrainOptions& terrain = request.Terrain;
    if (terrain.SunAzimuth.has_value() != terrain.SunElevation.has_value()) {
        Refuse("--sun-azimuth and --sun-elevation come together");
    }
    if (terrain.WaterLevel && !terrain.ResampledOrRealScale()) {
        Refuse("--water-level goes with real-scale lighting (--sun-azimuth and --sun-elevation) or --resample smooth "
               "or spline");
    }
    if (terrain.RealScale()) {
        if (!request.Settings.UseLighting) Refuse("--sun-azimuth and --no-lighting exclude each other");
        return;
    }
    const std::pair<const char*, bool> realScaleOnly[] = {
        {"--z-factor", terrain.ZFactor.has_value()}, {"--cell-size", terrain.CellX.has_value()},
        {"--ambient", terrain.Ambient.has_value()},   {"--sun-size", terrain.SunSize.has_value()},
        {"--sky-light", terrain.SkyLight},            {"--shadow-map", request.ShadowMap.has_value()}};
    for (const auto& [name, given] : realScaleOnly) {
        if (given) Refuse(std::string(name) + " goes with real-scale lighting (--sun-azimuth and --sun-elevation)");
    }
}

}  // namespace

void CheckGenerationRequest(const GenerationRequest& request) {
    CheckNames(request);
    CheckTerrain(request);
    if (request.WorldFile && request.Format != OutputFormat::Png) {
        Refuse("--world-file goes with PNG outputs (--format png); GeoTIFF holds its place itself");
    }
    CheckOutputNames(OutputNames(request), request.Format);
}

}  // namespace orvalis
