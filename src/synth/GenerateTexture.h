#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "raster/DibBuffer.h"
#include "synth/BandBlend.h"
#include "synth/Lightmap.h"
#include "synth/Progress.h"

namespace orvalis {

inline constexpr const char* kLightmapFileName = "lm.bmp";
// Largest texture edge a generation accepts; the window offers 256 .. 4096.
inline constexpr std::int32_t kLargestTextureSize = 16384;

// Everything one generation needs; the window and the command line fill it.
struct GenerateSettings {
    std::string HeightmapFile;
    TileSet Tiles{};
    std::int32_t TextureSize = 256;
    bool UseLighting = true;
    LightSettings Light;
    RunOptions Run;
    // Called once the unlit texture has been written, with its path.
    std::function<void(const std::string&)> BlendWritten;
    // When set, receives a copy of the blended texture before it is lit.
    TDibBuffer* UnlitTexture = nullptr;
};

// One whole generation: blend and write the texture to outputPath; when
// lighting is on, build the lightmap (written to lightmapPath and left in
// `lightmap`), stretch it to the texture's size if needed and multiply it
// in; then write the texture again. Inputs are checked before any file is
// written; every write replaces its file only when complete.
void GenerateTexture(const GenerateSettings& settings, const std::string& outputPath,
                     const std::string& lightmapPath, TDibBuffer& lightmap);

// Multiplies the lightmap into the texture, through a copy stretched to the
// texture's size when their sizes (or row orders) differ.
void ApplyLightmap(TDibBuffer& texture, const TDibBuffer& lightmap);

// "terrain_tex.bmp", then "terrain_tex0.bmp" .. "terrain_tex65534.bmp": the
// first name under which no file exists in folder; none when all exist.
std::optional<std::string> ChooseOutputName(const std::filesystem::path& folder);

}  // namespace orvalis
