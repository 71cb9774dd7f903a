#include "generation/OutputNames.h"

#include <cctype>
#include <filesystem>

namespace orvalis {

namespace {

namespace fs = std::filesystem;

std::string LowerExtension(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// A named texture brings its own lightmap name, so that it never touches a
// lightmap of another run; only the numbered textures share "lm.bmp".
std::string LightmapBeside(const std::string& output) {
    const fs::path path(output);
    return (path.parent_path() / (path.stem().string() + "_lm.bmp")).string();
}

// The splat and normal maps are PNG but for GeoTIFF runs.
std::string EngineMapName(const GenerationRequest& request, const std::string& path) {
    return request.Format == OutputFormat::Tiff ? InFormat(request.Format, path) : path;
}

}  // namespace

bool NamesFormat(const std::string& path, OutputFormat format) {
    const std::string extension = LowerExtension(path);
    switch (format) {
        case OutputFormat::Png: return extension == ".png";
        case OutputFormat::Tiff: return extension == ".tif" || extension == ".tiff";
        case OutputFormat::Bmp: break;
    }
    return extension == ".bmp";
}

std::string InFormat(OutputFormat format, const std::string& path) {
    if (format == OutputFormat::Bmp || NamesFormat(path, format)) return path;
    return fs::path(path).replace_extension(ExtensionOf(format)).string();
}

std::optional<std::string> TextureName(const GenerationRequest& request) {
    if (!request.Output) return std::nullopt;
    return InFormat(request.Format, *request.Output);
}

std::optional<NamedOutput> LightmapName(const GenerationRequest& request) {
    if (!request.Settings.UseLighting) return std::nullopt;
    if (request.Lightmap) return NamedOutput{"--lightmap", InFormat(request.Format, *request.Lightmap)};
    if (request.Output) {
        return NamedOutput{"the lightmap of --output", InFormat(request.Format, LightmapBeside(*request.Output))};
    }
    const fs::path folder = request.OutputFolder.value_or("");
    return NamedOutput{"the lightmap", InFormat(request.Format, (folder / kLightmapFileName).string())};
}

bool LightmapReplaced(const GenerationRequest& request) { return !request.Lightmap && !request.Output; }

std::string SecondSplatName(const std::string& splatMap) {
    fs::path second(splatMap);
    second.replace_filename(second.stem().string() + "_1" + second.extension().string());
    return second.string();
}

std::vector<NamedOutput> EngineMapNames(const GenerationRequest& request) {
    std::vector<NamedOutput> names;
    if (request.SplatMap) {
        const std::string splat = EngineMapName(request, *request.SplatMap);
        names.push_back({"--splat-map", splat});
        names.push_back({"the second file of --splat-map", SecondSplatName(splat)});
    }
    if (request.NormalMap) names.push_back({"--normal-map", EngineMapName(request, *request.NormalMap)});
    return names;
}

std::optional<std::string> ShadowMapName(const GenerationRequest& request) {
    if (!request.ShadowMap) return std::nullopt;
    return EngineMapName(request, *request.ShadowMap);
}

std::string WorldFileName(const std::string& png) { return fs::path(png).replace_extension(".pgw").string(); }

std::vector<NamedOutput> OutputNames(const GenerationRequest& request) {
    std::vector<NamedOutput> names;
    if (const std::optional<std::string> texture = TextureName(request)) names.push_back({"--output", *texture});
    if (std::optional<NamedOutput> lightmap = LightmapName(request)) names.push_back(std::move(*lightmap));
    for (NamedOutput& map : EngineMapNames(request)) names.push_back(std::move(map));
    if (const std::optional<std::string> shadow = ShadowMapName(request)) names.push_back({"--shadow-map", *shadow});
    return names;
}

}  // namespace orvalis
