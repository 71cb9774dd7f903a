#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "files/DisplayPath.h"
#include "generation/GenerationRequest.h"
#include "generation/OutputNames.h"

namespace orvalis {

namespace {

[[noreturn]] void Refuse(const std::string& problem) { throw RequestError(problem); }

void CheckNames(const GenerationRequest& request) {
    if (request.Output && request.OutputFolder) Refuse("give --output or --output-dir, not both");
    if (request.Output && request.Output->empty()) Refuse("--output needs a file name");
    if (request.OutputFolder && request.OutputFolder->empty()) Refuse("--output-dir needs a folder name");
    if (request.Lightmap && request.Lightmap->empty()) Refuse("--lightmap needs a file name");
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
        if (request.ShadowMap && request.ShadowMap->empty()) Refuse("--shadow-map needs a file name");
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

// Two outputs of one run under one name would have the second run into the
// first; the names derived from others count too.
void CheckOutputsDiffer(const GenerationRequest& request) {
    const std::vector<NamedOutput> outputs = OutputNames(request);
    const auto same = [](const std::string& first, const std::string& second) {
        return std::filesystem::path(first).lexically_normal() == std::filesystem::path(second).lexically_normal();
    };
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            if (!same(outputs[i].Path, outputs[j].Path)) continue;
            Refuse(outputs[i].Label + " and " + outputs[j].Label + " collide: both are '" +
                   DisplayPath(outputs[i].Path) + "'; give them different names");
        }
    }
}

}  // namespace

void CheckGenerationRequest(const GenerationRequest& request) {
    CheckNames(request);
    CheckTerrain(request);
    if (request.WorldFile && request.Format != OutputFormat::Png) {
        Refuse("--world-file goes with PNG outputs (--format png); GeoTIFF holds its place itself");
    }
    CheckOutputsDiffer(request);
}

}  // namespace orvalis
