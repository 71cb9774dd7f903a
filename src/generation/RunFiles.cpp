#include "generation/RunFiles.h"

#include <filesystem>
#include <utility>

#include "files/AtomicFile.h"
#include "files/Error.h"
#include "generation/OutputNames.h"
#include "io/GreyPngFile.h"
#include "io/PngFile.h"

namespace orvalis {

namespace {

ResultFile ClaimTexture(const GenerationRequest& request) {
    if (const std::optional<std::string> name = TextureName(request)) return ResultFile::Claim(*name);
    namespace fs = std::filesystem;
    const fs::path folder = request.OutputFolder.value_or("");
    if (request.OutputFolder) {
        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (!fs::exists(status)) throw Error(folder.string(), "no such folder");
        if (!fs::is_directory(status)) throw Error(folder.string(), "is not a folder");
    }
    return ClaimFreeOutputName(folder, ExtensionOf(request.Format));
}

std::optional<ResultFile> ClaimLightmap(const GenerationRequest& request) {
    const std::optional<NamedOutput> lightmap = LightmapName(request);
    if (!lightmap) return std::nullopt;
    return LightmapReplaced(request) ? ResultFile::Replacing(lightmap->Path) : ResultFile::Claim(lightmap->Path);
}

// Grey pictures (lightmaps) become one band.
bool IsGrey(const TDibBuffer& picture) {
    for (std::int32_t row = 0; row < picture.RowCount(); ++row) {
        for (std::int32_t column = 0; column < picture.Width(); ++column) {
            const PixelColour p = picture.ReadPixel(row, column);
            if (p.Red != p.Blue || p.Green != p.Blue) return false;
        }
    }
    return true;
}

}  // namespace

RunFiles::RunFiles(const GenerationRequest& request)
    : format_(request.Format),
      compression_(request.Compression),
      texture_(ClaimTexture(request)),
      lightmap_(ClaimLightmap(request)),
      lightmapReplaced_(LightmapReplaced(request)) {
    const std::vector<NamedOutput> maps = EngineMapNames(request);
    if (request.SplatMap) {
        splat_.emplace(ResultFile::Claim(maps[0].Path));
        splatSecond_.emplace(ResultFile::Claim(maps[1].Path));
    }
    if (request.NormalMap) normals_.emplace(ResultFile::Claim(maps.back().Path));
    if (const std::optional<std::string> shadow = ShadowMapName(request)) shadowMap_.emplace(ResultFile::Claim(*shadow));
    if (request.WorldFile) ClaimWorldFiles();
}

void RunFiles::ClaimWorldFiles() {
    worldFiles_.push_back({ResultFile::Claim(WorldFileName(texture_.Path())), Placed::Texture});
    if (lightmap_) {
        const std::string name = WorldFileName(lightmap_->Path());
        worldFiles_.push_back(
            {lightmapReplaced_ ? ResultFile::Replacing(name) : ResultFile::Claim(name), Placed::Lightmap});
    }
    if (shadowMap_) worldFiles_.push_back({ResultFile::Claim(WorldFileName(shadowMap_->Path())), Placed::ShadowMap});
}

std::vector<ResultFile*> RunFiles::Alongside() {
    std::vector<ResultFile*> files;
    for (std::optional<ResultFile>* file : {&splat_, &splatSecond_, &normals_, &shadowMap_}) {
        if (*file) files.push_back(&**file);
    }
    for (WorldFile& world : worldFiles_) files.push_back(&world.File);
    return files;
}

MapWriting RunFiles::Writing(const RunOptions& run) const {
    return {format_ == OutputFormat::Tiff, {compression_, run.Threads, run.Cancel},
            {geo_ ? &*geo_ : nullptr, mapWidth_, mapRows_}};
}

void RunFiles::Attach(GenerateSettings& settings) {
    settings.StageAlongside = [this, &settings](const Picture& heightmap) -> std::optional<TerrainLighting> {
        TakeHeightmap(heightmap, settings);
        if (!normals_) return std::nullopt;
        return WriteNormalMap(normals_->StagingPath(), heightmap, settings.Run, Writing(settings.Run));
    };
    if (splat_) {
        settings.BandWeightsReady = [this, &settings](const BandWeightRows& weights) {
            WriteSplatMap(splat_->StagingPath(), splatSecond_->StagingPath(), weights, Writing(settings.Run));
        };
    }
    if (shadowMap_) {
        settings.SunVisibilityDone = [this, &settings](const TDibBuffer& sunVisibility) {
            const MapWriting writing = Writing(settings.Run);
            if (writing.Tiff) {
                WriteGeoTiffFile(shadowMap_->StagingPath(), sunVisibility, true, writing.Place, settings.Run.Cancel);
            } else {
                WriteGreyPngFile(shadowMap_->StagingPath(), sunVisibility, writing.Png);
            }
        };
    }
    if (format_ == OutputFormat::Png) {
        settings.Encode = [compression = compression_, threads = settings.Run.Threads](
                              const TDibBuffer& picture, const std::string& path, const CancelFlag* cancel) {
            WritePngFile(path, picture, {compression, threads, cancel});
        };
    } else if (format_ == OutputFormat::Tiff) {
        settings.Encode = [this](const TDibBuffer& picture, const std::string& path, const CancelFlag* cancel) {
            WriteGeoTiffFile(path, picture, IsGrey(picture), Writing({}).Place, cancel);
        };
    }
}

// The heightmap's placement, for the GeoTIFF pictures and the world files
// (staged now: they need nothing else).
void RunFiles::TakeHeightmap(const Picture& heightmap, const GenerateSettings& settings) {
    geo_ = heightmap.Geo;
    mapWidth_ = heightmap.Pixels.Width();
    mapRows_ = heightmap.Pixels.RowCount();
    if (worldFiles_.empty()) return;
    if (!geo_ || !geo_->Transform) throw Error(settings.HeightmapFile, "has no georeference for a world file");
    const TextureShape texture = TextureShapeFor(settings.Sampling, settings.TextureSize, mapWidth_, mapRows_);
    // A lightmap lit at the real scale has the texture's size, else the heightmap's.
    const TextureShape lightmap = settings.Sampling.RealScale ? texture : TextureShape{mapWidth_, mapRows_};
    const GeoPlacement placement = Writing(settings.Run).Place;
    for (WorldFile& world : worldFiles_) {
        const TextureShape shape = world.Of == Placed::Lightmap ? lightmap : texture;
        const std::string text = WorldFileText(placement, shape.Width, shape.Rows);
        WriteFileAtomically(world.File.StagingPath(),
                            {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}}, settings.Run.Cancel);
    }
}

}  // namespace orvalis
