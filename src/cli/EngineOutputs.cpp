#include "cli/EngineOutputs.h"

#include <cctype>
#include <filesystem>
#include <vector>

#include "cli/Commands.h"
#include "io/PngFile.h"
#include "synth/NormalMapColours.h"
#include "synth/SplatMap.h"

namespace orvalis::cli {

namespace {

namespace fs = std::filesystem;

bool EndsInPng(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".png";
}

bool WantsPng(const EngineOutputs& outputs, const std::string& texturePath) {
    return outputs.Format ? *outputs.Format == "png" : EndsInPng(texturePath);
}

std::string AsPng(const std::string& path) {
    return EndsInPng(path) ? path : fs::path(path).replace_extension(".png").string();
}

// The BMP the generation wrote becomes a PNG of the same pixels; a BMP
// under another name than the PNG's is removed.
void RewriteAsPng(const std::string& bmpPath, const TDibBuffer& pixels) {
    const std::string pngPath = AsPng(bmpPath);
    WritePngFile(pngPath, pixels);
    if (pngPath != bmpPath) fs::remove(bmpPath);
}

// Rows counted from the bottom, as the lighting counts them.
TDibBuffer Upright(TDibBuffer heightmap) {
    if (!heightmap.IsTopDown()) return heightmap;
    TDibBuffer upright;
    upright.Allocate(heightmap.Width(), heightmap.RowCount(), 24);
    heightmap.BlitTo(upright.DeviceContext(), 0, 0);
    return upright;
}

void WriteSplatMap(const std::string& path, const TDibBuffer& heightmap, std::int32_t size) {
    const std::vector<SplatWeights> weights = BuildSplatMap(heightmap, size);
    std::vector<std::uint8_t> first, second;
    first.reserve(weights.size() * 4);
    second.reserve(weights.size() * 4);
    for (const SplatWeights& w : weights) {
        first.insert(first.end(), {w[0], w[1], w[2], w[3]});
        second.insert(second.end(), {w[4], 0, 0, 0});
    }
    fs::path secondPath(path);
    secondPath.replace_filename(secondPath.stem().string() + "_1" + secondPath.extension().string());
    WritePngFile(path, {size, size, 4}, first);
    WritePngFile(secondPath.string(), {size, size, 4}, second);
}

void WriteNormalMap(const std::string& path, const TDibBuffer& heightmap) {
    TNormalMap normals;
    BuildNormalMap(heightmap, normals, 1.0f);
    const std::int32_t width = heightmap.Width(), rows = heightmap.RowCount();
    WritePngFile(path, {width, rows, 3}, NormalMapColours(normals, width, rows));
}

}  // namespace

bool ParseEngineOption(const std::string& option, const std::function<const std::string&()>& value,
                       EngineOutputs& outputs) {
    if (option == "--format") {
        outputs.Format = value();
        if (*outputs.Format != "png" && *outputs.Format != "bmp") {
            throw UsageError("generate: --format wants png or bmp, not '" + *outputs.Format + "'");
        }
    } else if (option == "--splat-map") {
        outputs.SplatMap = value();
    } else if (option == "--normal-map") {
        outputs.NormalMap = value();
    } else if (option == "--height-range") {
        try {
            outputs.Read.Range = ParseHeightRange(value());
        } catch (const UsageError&) {
            throw;
        } catch (const Error& e) {
            throw UsageError(std::string("generate: --height-range: ") + e.what());
        }
    } else {
        return false;
    }
    return true;
}

void CheckEngineOutputs(const EngineOutputs& outputs, const std::string& texturePath) {
    if (outputs.Format == "bmp" && EndsInPng(texturePath)) {
        throw UsageError("generate: --format bmp does not go with the name " + texturePath);
    }
    if (!WantsPng(outputs, texturePath) || EndsInPng(texturePath)) return;
    std::error_code error;
    const std::string pngPath = AsPng(texturePath);
    if (fs::exists(fs::symlink_status(pngPath, error))) {
        throw Error(pngPath, "already exists; choose another name");
    }
}

std::string WriteEngineOutputs(const EngineOutputs& outputs, const GenerateSettings& settings,
                               const std::string& texturePath, const std::string& lightmapPath,
                               const TDibBuffer& lightmap) {
    if (outputs.SplatMap || outputs.NormalMap) {
        const TDibBuffer heightmap = Upright(settings.Run.ReadPicture(settings.HeightmapFile).Pixels);
        if (outputs.SplatMap) WriteSplatMap(*outputs.SplatMap, heightmap, settings.TextureSize);
        if (outputs.NormalMap) WriteNormalMap(*outputs.NormalMap, heightmap);
    }
    if (!WantsPng(outputs, texturePath)) return texturePath;
    TDibBuffer texture;
    texture.ReadBmpFile(texturePath);
    RewriteAsPng(texturePath, texture);
    if (settings.UseLighting) RewriteAsPng(lightmapPath, lightmap);
    return AsPng(texturePath);
}

}  // namespace orvalis::cli
