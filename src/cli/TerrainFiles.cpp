#include "cli/TerrainFiles.h"

#include <filesystem>
#include <utility>

#include "files/AtomicFile.h"
#include "files/Error.h"
#include "generation/TerrainSampling.h"
#include "io/GeoTiffFile.h"
#include "io/GreyPngFile.h"

namespace orvalis::cli {

namespace {

// "x.png" -> "x.pgw", as GIS tools look for it.
std::string WorldFileName(const std::string& png) {
    return std::filesystem::path(png).replace_extension(".pgw").string();
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

std::string ShadowMapName(const TerrainOptions& terrain, const EngineOutputs& engine) {
    return engine.Tiff() ? InFormat(engine, *terrain.ShadowMap) : *terrain.ShadowMap;
}

TerrainFiles::TerrainFiles(const TerrainOptions& terrain, const EngineOutputs& engine, const std::string& texture,
                           const std::optional<std::string>& lightmap, bool lightmapReplaced)
    : tiff_(engine.Tiff()), compression_(engine.Compression) {
    std::optional<std::string> shadowName;
    if (terrain.ShadowMap) {
        shadowName = ShadowMapName(terrain, engine);
        shadowMap_.emplace(ResultFile::Claim(*shadowName));
    }
    if (!terrain.WorldFile) return;
    worldFiles_.push_back({ResultFile::Claim(WorldFileName(texture)), Placed::Texture});
    if (lightmap) {
        const std::string name = WorldFileName(*lightmap);
        worldFiles_.push_back({lightmapReplaced ? ResultFile::Replacing(name) : ResultFile::Claim(name), Placed::Lightmap});
    }
    if (shadowName) worldFiles_.push_back({ResultFile::Claim(WorldFileName(*shadowName)), Placed::ShadowMap});
}

void TerrainFiles::Attach(GenerateSettings& settings) {
    settings.StageAlongside = [this, &settings, stage = std::move(settings.StageAlongside)](const Picture& heightmap) {
        Take(heightmap, settings);
        return stage ? stage(heightmap) : std::optional<TerrainLighting>();
    };
    if (tiff_) {
        settings.Encode = [this](const TDibBuffer& picture, const std::string& path, const CancelFlag* cancel) {
            WriteGeoTiffFile(path, picture, IsGrey(picture), Placement(), cancel);
        };
    }
    if (shadowMap_) {
        settings.SunVisibilityDone = [this, &settings](const TDibBuffer& sunVisibility) {
            WriteShadowMap(sunVisibility, settings.Run);
        };
    }
}

std::vector<ResultFile*> TerrainFiles::Files() {
    std::vector<ResultFile*> files;
    if (shadowMap_) files.push_back(&*shadowMap_);
    for (WorldFile& world : worldFiles_) files.push_back(&world.File);
    return files;
}

void TerrainFiles::Take(const Picture& heightmap, const GenerateSettings& settings) {
    geo_ = heightmap.Geo;
    mapWidth_ = heightmap.Pixels.Width();
    mapRows_ = heightmap.Pixels.RowCount();
    if (worldFiles_.empty()) return;
    if (!geo_ || !geo_->Transform) throw Error(settings.HeightmapFile, "has no georeference for a world file");
    const TextureShape texture = TextureShapeFor(settings.Sampling, settings.TextureSize, mapWidth_, mapRows_);
    // A lightmap lit at the real scale has the texture's size, else the heightmap's.
    const TextureShape lightmap = settings.Sampling.RealScale ? texture : TextureShape{mapWidth_, mapRows_};
    for (WorldFile& world : worldFiles_) {
        const TextureShape shape = world.Of == Placed::Lightmap ? lightmap : texture;
        const std::string text = WorldFileText(Placement(), shape.Width, shape.Rows);
        WriteFileAtomically(world.File.StagingPath(),
                            {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}}, settings.Run.Cancel);
    }
}

GeoPlacement TerrainFiles::Placement() const {
    return {geo_ ? &*geo_ : nullptr, mapWidth_, mapRows_};
}

void TerrainFiles::WriteShadowMap(const TDibBuffer& sunVisibility, const RunOptions& run) {
    if (tiff_) WriteGeoTiffFile(shadowMap_->StagingPath(), sunVisibility, true, Placement(), run.Cancel);
    else WriteGreyPngFile(shadowMap_->StagingPath(), sunVisibility, {compression_, run.Threads, run.Cancel});
}

}  // namespace orvalis::cli
