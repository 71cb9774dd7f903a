#include "generation/OutputNames.h"

#include <cctype>
#include <filesystem>
#include <utility>

#include "files/DisplayPath.h"

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
OutputFormat MapFormat(OutputFormat format) { return format == OutputFormat::Tiff ? format : OutputFormat::Png; }

std::string MapName(const GenerationRequest& request, const std::string& path) {
    return request.Format == OutputFormat::Tiff ? InFormat(request.Format, path) : path;
}

std::string SecondSplatName(const std::string& splatMap) {
    fs::path second(splatMap);
    second.replace_filename(second.stem().string() + "_1" + second.extension().string());
    return second.string();
}

NamedOutput WorldFileOf(const NamedOutput& picture, NameUse use) {
    return {"the world file of " + picture.Label, WorldFileName(picture.Path), picture.Kind, true, use};
}

// A picture, and its world file when the run writes world files.
void AddPicture(std::vector<NamedOutput>& outputs, const GenerationRequest& request, const NamedOutput& picture) {
    outputs.push_back(picture);
    if (request.WorldFile) outputs.push_back(WorldFileOf(picture, picture.Use));
}

// The lightmap comes last, after its world file: a replaced one cannot
// always come back. A replaced PNG lightmap keeps no world file of an
// earlier run, which would place it where that run's heightmap lay.
void AddLightmap(std::vector<NamedOutput>& outputs, const GenerationRequest& request) {
    if (!request.Settings.UseLighting) return;
    const fs::path folder = request.OutputFolder.value_or("");
    NamedOutput lightmap{"the lightmap", (folder / kLightmapFileName).string(), OutputKind::Lightmap, false,
                         NameUse::Replace};
    if (request.Lightmap) lightmap = {"--lightmap", *request.Lightmap, OutputKind::Lightmap};
    else if (request.Output) lightmap = {"the lightmap of --output", LightmapBeside(*request.Output), OutputKind::Lightmap};
    lightmap.Path = InFormat(request.Format, lightmap.Path);
    if (request.WorldFile) {
        outputs.push_back(WorldFileOf(lightmap, lightmap.Use));
    } else if (lightmap.Use == NameUse::Replace && request.Format == OutputFormat::Png) {
        outputs.push_back(WorldFileOf(lightmap, NameUse::Remove));
    }
    outputs.push_back(lightmap);
}

// Every file but the texture's, in the order of their commits.
std::vector<NamedOutput> OtherOutputs(const GenerationRequest& request) {
    std::vector<NamedOutput> outputs;
    if (request.SplatMap) {
        const std::string splat = MapName(request, *request.SplatMap);
        AddPicture(outputs, request, {"--splat-map", splat, OutputKind::SplatMap});
        AddPicture(outputs, request, {"the second file of --splat-map", SecondSplatName(splat), OutputKind::SplatMapSecond});
    }
    if (request.NormalMap) AddPicture(outputs, request, {"--normal-map", MapName(request, *request.NormalMap), OutputKind::NormalMap});
    if (request.ShadowMap) AddPicture(outputs, request, {"--shadow-map", MapName(request, *request.ShadowMap), OutputKind::ShadowMap});
    AddLightmap(outputs, request);
    return outputs;
}

const char* FormatName(OutputFormat format) {
    switch (format) {
        case OutputFormat::Png: return "PNG";
        case OutputFormat::Tiff: return "GeoTIFF";
        case OutputFormat::Bmp: break;
    }
    return "BMP";
}

// The picture format a name's ending asks for, as messages name it; empty
// for an ending of no picture format.
std::string FormatNamedBy(const std::string& path) {
    for (const OutputFormat format : {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Tiff}) {
        if (NamesFormat(path, format)) return FormatName(format);
    }
    const std::string extension = LowerExtension(path);
    const std::pair<const char*, const char*> others[] = {
        {".jpg", "JPEG"}, {".jpeg", "JPEG"}, {".gif", "GIF"}, {".webp", "WebP"}};
    for (const auto& [ending, name] : others) {
        if (extension == ending) return name;
    }
    return {};
}

void CheckNamedAsWritten(const NamedOutput& picture, OutputFormat written) {
    const std::string named = FormatNamedBy(picture.Path);
    if (named.empty() || named == FormatName(written)) return;
    throw RequestError(picture.Label + " '" + DisplayPath(picture.Path) + "' ends as a " + named +
                       " file, but it is written as " + FormatName(written) + ": give it a name ending in " +
                       ExtensionOf(written));
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

std::string WorldFileName(const std::string& png) { return fs::path(png).replace_extension(".pgw").string(); }

std::vector<NamedOutput> TextureOutputs(const GenerationRequest& request, const std::string& texture) {
    std::vector<NamedOutput> outputs;
    AddPicture(outputs, request, {request.Output ? "--output" : "the texture", texture, OutputKind::Texture});
    return outputs;
}

std::vector<NamedOutput> OutputNames(const GenerationRequest& request, const std::string& texture) {
    std::vector<NamedOutput> outputs = TextureOutputs(request, texture);
    for (NamedOutput& other : OtherOutputs(request)) outputs.push_back(std::move(other));
    return outputs;
}

std::vector<NamedOutput> OutputNames(const GenerationRequest& request) {
    if (const std::optional<std::string> texture = TextureName(request)) return OutputNames(request, *texture);
    return OtherOutputs(request);
}

bool SameName(const std::string& first, const std::string& second) {
    return fs::path(first).lexically_normal() == fs::path(second).lexically_normal();
}

// Two outputs under one name would have the second run into the first.
void CheckOutputNames(const std::vector<NamedOutput>& outputs, OutputFormat format) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            if (!SameName(outputs[i].Path, outputs[j].Path)) continue;
            throw RequestError(outputs[i].Label + " and " + outputs[j].Label + " collide: both are '" +
                               DisplayPath(outputs[i].Path) + "'; give them different names");
        }
    }
    for (const NamedOutput& output : outputs) {
        const bool runFormat = output.Kind == OutputKind::Texture || output.Kind == OutputKind::Lightmap;
        if (!output.WorldFile) CheckNamedAsWritten(output, runFormat ? format : MapFormat(format));
    }
}

}  // namespace orvalis
