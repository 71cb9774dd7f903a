#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "raster/DibBuffer.h"
#include "raster/ResultFile.h"
#include "synth/BandBlend.h"
#include "synth/Lightmap.h"
#include "synth/Progress.h"
#include "synth/SettingsCheck.h"

namespace orvalis {

inline constexpr const char* kLightmapFileName = "lm.bmp";

// Everything one generation needs; the window and the command line fill it.
struct GenerateSettings {
    std::string HeightmapFile;
    TileSet Tiles{};
    std::int32_t TextureSize = 256;
    bool UseLighting = true;
    LightSettings Light;
    RunOptions Run;
    // Called on the generating thread once the blend is done, with the unlit
    // texture (a window shows it while the lighting runs).
    std::function<void(const TDibBuffer& unlit)> BlendDone;
    // When set, receives a copy of the blended texture before it is lit.
    TDibBuffer* UnlitTexture = nullptr;
};

// One whole generation: blend; when lighting is on, build the lightmap,
// stretch it to the texture's size if needed and multiply it in. The texture
// and the lightmap go to staging files, and only a run that has done
// everything commits them: the texture first, then the lightmap (needed when
// lighting is on), taking the texture back if the lightmap cannot be
// committed. So a run that fails or is cancelled (RunCancelled) leaves
// nothing under either name and no staging file, and an earlier lightmap
// stays. `lightmap` receives the new lightmap only when the run completes.
void GenerateTexture(const GenerateSettings& settings, ResultFile& texture,
                     ResultFile* lightmapFile, TDibBuffer& lightmap);

// The same with the texture claimed under outputPath (which must not exist)
// and the lightmap replacing lightmapPath.
void GenerateTexture(const GenerateSettings& settings, const std::string& outputPath,
                     const std::string& lightmapPath, TDibBuffer& lightmap);

// Multiplies the lightmap into the texture, through a copy stretched to the
// texture's size when their sizes (or row orders) differ.
void ApplyLightmap(TDibBuffer& texture, const TDibBuffer& lightmap);

// Claims the first of "terrain_tex.bmp", "terrain_tex0.bmp" ..
// "terrain_tex65534.bmp" in folder (empty: the current folder) under which
// nothing exists; none when all are taken. Raises RasterError when the
// folder cannot take a file.
std::optional<ResultFile> ClaimOutputName(const std::filesystem::path& folder);

}  // namespace orvalis
