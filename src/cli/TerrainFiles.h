#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/EngineOutputs.h"
#include "cli/TerrainOptions.h"
#include "files/ResultFile.h"
#include "generation/GenerateTexture.h"
#include "io/GeoTiffFile.h"
#include "raster/GeoReference.h"

namespace orvalis::cli {

// The shadow map's name: as given, or with ".tif" for --format tif.
std::string ShadowMapName(const TerrainOptions& terrain, const EngineOutputs& engine);

// The files that real-scale terrain and georeferenced outputs add to a run:
// the shadow map (--shadow-map), the world files of the PNG texture,
// lightmap and shadow map (--world-file), and GeoTIFF pictures (--format
// tif), all placed over the heightmap's extent.
class TerrainFiles {
public:
    // Names the run's texture and lightmap (none when unlit; `lightmapReplaced`
    // when the run replaces an earlier lightmap). Claims the shadow map and
    // the world files; raises Error "... already exists" for a name taken.
    TerrainFiles(const TerrainOptions& terrain, const EngineOutputs& engine, const std::string& texture,
                 const std::optional<std::string>& lightmap, bool lightmapReplaced);

    // Hooks into the run: takes the heightmap's georeference as it is read
    // (and stages the world files then), writes the texture and lightmap as
    // GeoTIFF for --format tif, and stages the shadow map. The object must
    // outlive the run.
    void Attach(GenerateSettings& settings);
    // Committed with the texture.
    std::vector<ResultFile*> Files();

private:
    enum class Placed { Texture, Lightmap, ShadowMap };
    struct WorldFile {
        ResultFile File;
        Placed Of;
    };

    void Take(const Picture& heightmap, const GenerateSettings& settings);
    GeoPlacement Placement() const;
    void WriteShadowMap(const TDibBuffer& sunVisibility, const RunOptions& run);

    bool tiff_;
    PngCompression compression_;
    std::optional<ResultFile> shadowMap_;
    std::vector<WorldFile> worldFiles_;
    std::optional<GeoReference> geo_;
    std::int32_t mapWidth_ = 0;
    std::int32_t mapRows_ = 0;
};

}  // namespace orvalis::cli
