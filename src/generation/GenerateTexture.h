#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "raster/DibBuffer.h"
#include "files/ResultFile.h"
#include "blending/BandBlend.h"
#include "io/PictureFile.h"
#include "lighting/Lightmap.h"
#include "raster/Progress.h"
#include "blending/SettingsCheck.h"
#include "blending/SplatMap.h"
#include "generation/TerrainSampling.h"

namespace orvalis {

inline constexpr const char* kLightmapFileName = "lm.bmp";

// Writes a finished picture (a texture, a lightmap) to a file.
using PictureEncoder = std::function<void(const TDibBuffer& picture, const std::string& path,
                                          const CancelFlag* cancel)>;

// The weights the blend gives every pixel of the texture, as splat-map
// bytes: ForEach hands them over a row at a time, top row first.
struct BandWeightRows {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::function<void(const SplatRow& row)> ForEach;
};

// Everything one generation needs; the window and the command line fill it.
struct GenerateSettings {
    std::string HeightmapFile;
    PictureReadOptions Read;  // how the heightmap file is read
    TileSet Tiles{};
    std::int32_t TextureSize = 256;
    bool UseLighting = true;
    LightSettings Light;
    // Smooth resampling, band heights and real-scale lighting; the default
    // is the classic synthesis.
    TerrainSampling Sampling;
    RunOptions Run;
    // Called on the generating thread once the blend is done, with the unlit
    // texture (a window shows it while the lighting runs).
    std::function<void(const TDibBuffer& unlit)> BlendDone;
    // When set, receives a copy of the blended texture before it is lit.
    TDibBuffer* UnlitTexture = nullptr;
    // How the texture and the lightmap are written; empty: as BMP.
    PictureEncoder Encode;
    // Writes the files passed to GenerateTexture as `alongside` to their
    // staging files from the heightmap as read; called once the settings
    // have been checked and the heightmap read, before the blend. When it has
    // prepared the terrain for lighting on the way (for a normal map), it
    // hands that back, and a lit run lights from it rather than building the
    // normals once more.
    std::function<std::optional<TerrainLighting>(const Picture& heightmap)> StageAlongside;
    // Called once the heights are sampled onto the texture, before the
    // blend, with the weights the blend will give its pixels.
    std::function<void(const BandWeightRows& weights)> BandWeightsReady;
    // Called with the sun's visibility (grey, the texture's size) of a
    // terrain lit at its real scale, once the lightmap is staged.
    std::function<void(const TDibBuffer& sunVisibility)> SunVisibilityDone;
};

// One whole generation: read the heightmap once and blend; when lighting is
// on, build the lightmap, stretch it to the texture's size if needed and
// multiply it in. The texture and the lightmap go to staging files, and only
// a run that has done everything commits them: the texture first, then the files alongside, then
// the lightmap (needed when lighting is on), taking back those committed if
// a later one cannot be committed. So a run that fails or is cancelled
// (RunCancelled) leaves nothing under any of its names and no staging file,
// and an earlier lightmap stays. `lightmap` receives the new lightmap only
// when the run completes.
void GenerateTexture(const GenerateSettings& settings, ResultFile& texture,
                     ResultFile* lightmapFile, TDibBuffer& lightmap,
                     std::span<ResultFile* const> alongside = {});

// The same with the texture claimed under outputPath (which must not exist)
// and the lightmap replacing lightmapPath.
void GenerateTexture(const GenerateSettings& settings, const std::string& outputPath,
                     const std::string& lightmapPath, TDibBuffer& lightmap);

// Multiplies the lightmap into the texture, through a copy stretched to the
// texture's size when their sizes (or row orders) differ.
void ApplyLightmap(TDibBuffer& texture, const TDibBuffer& lightmap, const RunOptions& options);

// Whether the files a run writes beside a texture of that name are free too.
using CompanionsFree = std::function<bool(const std::string& texture)>;

// Claims the first of "terrain_tex.bmp", "terrain_tex0.bmp" ..
// "terrain_tex65534.bmp" (or with another extension) in folder (empty: the
// current folder) under which nothing exists and whose companions are free;
// none when all are taken. Raises Error when the folder cannot take a file.
std::optional<ResultFile> ClaimOutputName(const std::filesystem::path& folder,
                                          const std::string& extension = ".bmp",
                                          const CompanionsFree& companionsFree = {});
// The same, raising Error naming the folder when every name is taken.
ResultFile ClaimFreeOutputName(const std::filesystem::path& folder, const std::string& extension = ".bmp",
                               const CompanionsFree& companionsFree = {});

}  // namespace orvalis
