#include "generation/GenerateTexture.h"

#include <algorithm>
#include <future>
#include <stdexcept>
#include <utility>
#include <vector>

#include "raster/DibBlend.h"
#include "raster/ParallelRows.h"
#include "files/Error.h"
#include "blending/SettingsCheck.h"
#include "io/RasterSamples.h"
#include "lighting/Lightmap.h"
#include "generation/HeightmapSampling.h"
#include "generation/SampledTerrain.h"

namespace orvalis {

namespace {

constexpr int kLastNumberedName = 65534;

// Everything is checked before the first file is written, so bad input
// leaves the folder as it was. A heightmap that opens but is no picture
// fails when it is read, which also comes before any write.
void CheckSettings(const GenerateSettings& settings) {
    CheckTextureSettings(settings.Tiles, settings.TextureSize);
    CheckHeightmapFile(settings.HeightmapFile, settings.HeightmapFile);
}

}  // namespace

// The lightmap has the heightmap's size and keeps it. Stretched to the
// texture's size it is only needed a band of rows at a time: each band is
// the stretch drawn shifted up by the band's first row, so it holds exactly
// those rows of the whole stretched picture.
void ApplyLightmap(TDibBuffer& texture, const TDibBuffer& lightmap, const RunOptions& options) {
    if (lightmap.Width() == texture.Width() && lightmap.Height() == texture.Height()) {
        MultiplyBuffers(texture, texture, lightmap, options);
        return;
    }
    if (texture.BitsPerPixel() != 24) throw Error("the texture is not a 24-bit picture");
    constexpr std::int32_t kBandRows = 64;
    const std::int32_t width = texture.Width(), rows = texture.RowCount();
    TDibBuffer band;
    for (std::int32_t top = 0; top < rows; top += kBandRows) {
        const std::int32_t bandRows = std::min(kBandRows, rows - top);
        band.Allocate(width, -bandRows, 24);  // top-down: buffer row v is device row v
        lightmap.StretchTo(band.DeviceContext(), 0, -top, width, rows);
        for (std::int32_t v = 0; v < bandRows; ++v) {
            const std::int32_t y = top + v;
            std::uint8_t* row = texture.RowTable(texture.BufferRow(y));
            MultiplyRowBytes(row, row, band.RowTable(v), static_cast<std::size_t>(width) * 3);
        }
    }
}

namespace {

void WritePicture(const GenerateSettings& settings, const TDibBuffer& picture,
                  const std::string& path) {
    if (settings.Encode) settings.Encode(picture, path, settings.Run.Cancel);
    else picture.WriteBmpFile(path, settings.Run.Cancel);
}

// Multiplies the light in and writes the lightmap and the lit texture to
// their staging files. A BMP lightmap is written on a thread of its own while
// the texture is lit and written: both only read it. Encoders may use every
// core themselves, and write one file after the other.
void LightAndWrite(const GenerateSettings& settings, TDibBuffer& texture, const TDibBuffer& light,
                   const TDibBuffer& lightmap, ResultFile& textureFile, ResultFile& lightmapFile) {
    const CancelFlag* const cancel = settings.Run.Cancel;
    const bool alongside = !settings.Encode && ThreadCount(settings.Run.Threads) > 1;
    std::future<void> lightmapWritten =
        std::async(alongside ? std::launch::async : std::launch::deferred,
                   [&] { WritePicture(settings, lightmap, lightmapFile.StagingPath()); });
    if (!alongside) lightmapWritten.get();
    ThrowIfCancelled(cancel);
    ApplyLightmap(texture, light, settings.Run);
    WritePicture(settings, texture, textureFile.StagingPath());
    if (alongside) lightmapWritten.get();
    ThrowIfCancelled(cancel);
}

// When one file cannot be committed, those before it are taken back, a
// replaced one too. Where the file system cannot swap two names a replaced
// file cannot come back, so Replacing files come last.
void CommitTogether(const std::vector<ResultFile*>& files) {
    try {
        for (ResultFile* file : files) file->Commit();
    } catch (...) {
        for (ResultFile* file : files) file->Withdraw();
        throw;
    }
}

// A height range gives an unsigned picture's levels their heights, which only
// band heights and real-scale lighting take; anywhere else it would change
// nothing, and is refused rather than ignored.
void CheckRangeApplies(const GenerateSettings& settings, const Picture& heightmap) {
    if (!settings.Read.Range || heightmap.RealSamples || settings.Sampling.Bands || settings.Sampling.RealScale) return;
    throw Error(settings.HeightmapFile,
                "a height range gives the levels of unsigned samples their heights, which only band heights and "
                "real-scale lighting use; on its own it would change nothing");
}

void ReportBlend(const GenerateSettings& settings, const TDibBuffer& texture) {
    if (settings.BlendDone) settings.BlendDone(texture);
    if (settings.UnlitTexture) settings.UnlitTexture->CopyFromBitmap(texture);
}

// The synthesis from sampled heights: blend, light at the real scale or
// classically, and multiply the lightmap in at the texture's size.
TDibBuffer SynthesizeSampled(const GenerateSettings& settings, Picture heightmap, ResultFile& textureFile,
                             ResultFile* lightmapFile) {
    const TerrainSampling sampling = SamplingOfHeightmap(settings.Sampling, heightmap, settings.HeightmapFile);
    SampledTerrain terrain(std::move(heightmap), sampling, settings.TextureSize, settings.Run);
    if (settings.BandWeightsReady) {
        settings.BandWeightsReady({terrain.Shape().Width, terrain.Shape().Rows,
                                   [&terrain](const SplatRow& row) { terrain.ForEachSplatRow(row); }});
    }
    TDibBuffer texture = terrain.Blend(settings.Tiles, settings.Run);
    ReportBlend(settings, texture);
    TDibBuffer shaded;
    if (settings.UseLighting) {
        SampledLight light = terrain.Light(settings.Light, settings.Run);
        if (settings.SunVisibilityDone && !light.SunVisibility.IsEmpty()) settings.SunVisibilityDone(light.SunVisibility);
        LightAndWrite(settings, texture, light.OnTexture.IsEmpty() ? light.Lightmap : light.OnTexture, light.Lightmap,
                      textureFile, *lightmapFile);
        return std::move(light.Lightmap);
    }
    WritePicture(settings, texture, textureFile.StagingPath());
    ThrowIfCancelled(settings.Run.Cancel);
    return shaded;
}

// The product's synthesis: reads the heightmap once, stretches it over the
// texture and blends the tiles by it; when lighting is on, lights the
// heightmap and multiplies the lightmap in. Writes the texture and the
// lightmap to their staging files and gives the lightmap (empty when unlit).
TDibBuffer SynthesizeTexture(const GenerateSettings& settings, ResultFile& textureFile,
                             ResultFile* lightmapFile) {
    const CancelFlag* const cancel = settings.Run.Cancel;
    ThrowIfCancelled(cancel);
    PictureReadOptions read = settings.Read;
    read.Cancel = cancel;  // a cancel also stops the heightmap's decoding
    read.Threads = settings.Run.Threads;
    // Lit first (below), float samples' pixels are only made after the light.
    read.RealPixelsLater = settings.UseLighting && !settings.BlendDone && !settings.UnlitTexture &&
                           settings.Sampling.IsClassic();
    Picture heightmap = ReadHeightmapPicture(settings.HeightmapFile, read);
    std::optional<TerrainLighting> terrain;
    CheckRangeApplies(settings, heightmap);
    if (settings.StageAlongside) terrain = settings.StageAlongside(heightmap);
    if (!settings.Sampling.IsClassic()) return SynthesizeSampled(settings, std::move(heightmap), textureFile, lightmapFile);
    if (!settings.UseLighting) terrain.reset();
    // Float samples are lit first when nobody waits for the unlit texture:
    // their pixels are made again afterwards, so that the shadows' tables
    // share the memory with neither the pixels nor the texture.
    const std::int32_t mapWidth = heightmap.Pixels.Width(), mapRows = heightmap.Pixels.RowCount();
    std::vector<std::uint8_t> grey;
    if (settings.UseLighting && !terrain && !settings.BlendDone && !settings.UnlitTexture &&
        heightmap.FineHeights && heightmap.FineHeights->ScaledSamples()) {
        heightmap.Pixels = TDibBuffer();
        grey = LightGreyLevels(*heightmap.FineHeights, settings.Light, settings.Run);
        heightmap.Pixels = PixelsOfRealHeights(*heightmap.FineHeights, settings.Run);
        heightmap.FineHeights.reset();
    } else if (read.RealPixelsLater && heightmap.FineHeights && heightmap.FineHeights->ScaledSamples()) {
        heightmap.Pixels = PixelsOfRealHeights(*heightmap.FineHeights, settings.Run);
    }
    if (settings.BandWeightsReady) {
        settings.BandWeightsReady({settings.TextureSize, settings.TextureSize, [&](const SplatRow& row) {
                                       ForEachSplatRow(heightmap.Pixels, settings.TextureSize, row);
                                   }});
    }
    TDibBuffer texture = BlendTexture(heightmap.Pixels, settings.Tiles, settings.TextureSize, settings.Run);
    ReportBlend(settings, texture);
    // Only a lighting without a prepared terrain or grey levels needs the heightmap still.
    if (!settings.UseLighting || terrain || !grey.empty()) heightmap = Picture{};
    TDibBuffer shaded;
    if (settings.UseLighting) {
        shaded = !grey.empty() ? GreyLightmap(std::move(grey), mapWidth, mapRows, settings.Run)
                 : terrain     ? ShadeTerrain(*terrain, settings.Light, settings.Run)
                               : LightHeightmap(std::move(heightmap), settings.Light, settings.Run);
        terrain.reset();
        LightAndWrite(settings, texture, shaded, shaded, textureFile, *lightmapFile);
        return shaded;
    }
    WritePicture(settings, texture, textureFile.StagingPath());
    ThrowIfCancelled(cancel);
    return shaded;
}

void GenerateChecked(const GenerateSettings& settings, ResultFile& textureFile,
                     ResultFile* lightmapFile, TDibBuffer& lightmap,
                     std::span<ResultFile* const> alongside) {
    if (settings.UseLighting && lightmapFile == nullptr) {
        throw std::invalid_argument("a lit generation needs a lightmap file");
    }
    TDibBuffer shaded = SynthesizeTexture(settings, textureFile, lightmapFile);
    std::vector<ResultFile*> files{&textureFile};
    files.insert(files.end(), alongside.begin(), alongside.end());
    if (settings.UseLighting) files.push_back(lightmapFile);
    CommitTogether(files);
    lightmap = std::move(shaded);
}

}  // namespace

void GenerateTexture(const GenerateSettings& settings, ResultFile& texture,
                     ResultFile* lightmapFile, TDibBuffer& lightmap,
                     std::span<ResultFile* const> alongside) {
    CheckSettings(settings);
    GenerateChecked(settings, texture, lightmapFile, lightmap, alongside);
}

void GenerateTexture(const GenerateSettings& settings, const std::string& outputPath,
                     const std::string& lightmapPath, TDibBuffer& lightmap) {
    CheckSettings(settings);
    ResultFile texture = ResultFile::Claim(outputPath);
    ResultFile lightmapFile = ResultFile::Replacing(lightmapPath);
    GenerateChecked(settings, texture, &lightmapFile, lightmap, {});
}

std::optional<ResultFile> ClaimOutputName(const std::filesystem::path& folder,
                                          const std::string& extension, const CompanionsFree& companionsFree) {
    // Any directory entry blocks a name, a dangling link included: writing
    // through it would land somewhere else.
    const auto claim = [&](const std::string& name) -> std::optional<ResultFile> {
        std::optional<ResultFile> claimed = ResultFile::TryClaim((folder / name).string());
        if (claimed && companionsFree && !companionsFree(claimed->Path())) return std::nullopt;
        return claimed;
    };
    if (auto claimed = claim("terrain_tex" + extension)) return claimed;
    for (int n = 0; n <= kLastNumberedName; ++n) {
        if (auto claimed = claim("terrain_tex" + std::to_string(n) + extension)) return claimed;
    }
    return std::nullopt;
}

ResultFile ClaimFreeOutputName(const std::filesystem::path& folder, const std::string& extension,
                               const CompanionsFree& companionsFree) {
    std::optional<ResultFile> claimed = ClaimOutputName(folder, extension, companionsFree);
    if (!claimed) {
        throw Error(folder.empty() ? "." : folder.string(),
                          "terrain_tex" + extension + " and terrain_tex0" + extension + " .. terrain_tex" +
                              std::to_string(kLastNumberedName) + extension + " all exist; nothing was written");
    }
    return std::move(*claimed);
}

}  // namespace orvalis
