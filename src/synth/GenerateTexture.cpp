#include "synth/GenerateTexture.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "raster/DibBlend.h"
#include "raster/RasterError.h"

namespace orvalis {

namespace {

constexpr int kLastNumberedName = 65534;

// Everything is checked before the first file is written, so bad input
// leaves the folder as it was. A heightmap that opens but is no picture
// fails in the blend's read, which also comes before any write.
void CheckSettings(const GenerateSettings& settings) {
    if (settings.TextureSize < 1 || settings.TextureSize > kLargestTextureSize) {
        throw std::invalid_argument("texture size " + std::to_string(settings.TextureSize) +
                                    " is outside 1 .. " + std::to_string(kLargestTextureSize));
    }
    for (int i = 0; i < kTileCount; ++i) {
        const TDibBuffer* tile = settings.Tiles[i];
        if (tile == nullptr || tile->IsEmpty()) {
            throw RasterError("tile " + std::to_string(i) + " has no picture");
        }
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(settings.HeightmapFile, error)) {
        throw RasterError("Heightmap " + settings.HeightmapFile + " doesn't exist!");
    }
    if (!std::ifstream(settings.HeightmapFile, std::ios::binary)) {
        throw RasterError(settings.HeightmapFile, "cannot be opened");
    }
}

}  // namespace

// The lightmap has the heightmap's size and keeps it; the stretched copy
// lives only for the multiply.
void ApplyLightmap(TDibBuffer& texture, const TDibBuffer& lightmap) {
    if (lightmap.Width() == texture.Width() && lightmap.Height() == texture.Height()) {
        MultiplyBuffers(texture, texture, lightmap);
        return;
    }
    TDibBuffer stretched;
    stretched.Allocate(texture.Width(), texture.Height(), 24);
    lightmap.StretchTo(stretched.DeviceContext(), 0, 0, texture.Width(), texture.Height());
    MultiplyBuffers(texture, texture, stretched);
}

void GenerateTexture(const GenerateSettings& settings, const std::string& outputPath,
                     const std::string& lightmapPath, TDibBuffer& lightmap) {
    CheckSettings(settings);
    // The blend hands back the bytes it wrote, so the texture is not read back.
    TDibBuffer texture = SynthesizeTexture(settings.HeightmapFile, outputPath, settings.Tiles,
                                           settings.TextureSize, settings.Run);
    if (settings.BlendWritten) settings.BlendWritten(outputPath);
    if (settings.UseLighting) {
        BuildLightmap(settings.HeightmapFile, settings.Light, lightmap, lightmapPath,
                      settings.Run);
        ApplyLightmap(texture, lightmap);
    }
    // Written a second time even when unlit: every generation writes the file twice.
    texture.WriteBmpFile(outputPath);
}

std::optional<std::string> ChooseOutputName(const std::filesystem::path& folder) {
    // Any directory entry blocks a name, a dangling link included: writing
    // through it would land somewhere else.
    const auto isFree = [&folder](const std::string& name) {
        std::error_code error;
        return !std::filesystem::exists(std::filesystem::symlink_status(folder / name, error));
    };
    if (isFree("terrain_tex.bmp")) return "terrain_tex.bmp";
    for (int n = 0; n <= kLastNumberedName; ++n) {
        std::string name = "terrain_tex" + std::to_string(n) + ".bmp";
        if (isFree(name)) return name;
    }
    return std::nullopt;
}

}  // namespace orvalis
