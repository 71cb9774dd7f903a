#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/ResultFile.h"
#include "generation/EngineMaps.h"
#include "generation/GenerationRequest.h"
#include "raster/GeoReference.h"

namespace orvalis {

// The files of one run: every name claimed when the object is made, before
// any work, in the order of the commits; a taken one raises Error "...
// already exists" and releases those claimed before it.
class RunFiles {
public:
    explicit RunFiles(const GenerationRequest& request);

    // Hooks the staging of every file into the run's settings: the format
    // of the texture and the lightmap, the splat, normal and shadow maps and
    // the world files. The object and the settings must outlive the run.
    void Attach(GenerateSettings& settings);

    ResultFile& Texture() { return texture_; }
    ResultFile* Lightmap() { return lightmap_ ? &*lightmap_ : nullptr; }
    // Committed with the texture, before the lightmap.
    std::vector<ResultFile*> Alongside();

private:
    enum class Placed { Texture, Lightmap, ShadowMap };
    struct WorldFile {
        ResultFile File;
        Placed Of;
    };

    void ClaimWorldFiles();
    void TakeHeightmap(const Picture& heightmap, const GenerateSettings& settings);
    MapWriting Writing(const RunOptions& run) const;

    OutputFormat format_;
    PngCompression compression_;
    ResultFile texture_;
    std::optional<ResultFile> lightmap_;
    bool lightmapReplaced_;  // lm.bmp, whose world file is replaced too
    std::optional<ResultFile> splat_;
    std::optional<ResultFile> splatSecond_;  // band 0
    std::optional<ResultFile> normals_;
    std::optional<ResultFile> shadowMap_;
    std::vector<WorldFile> worldFiles_;
    // The heightmap's placement, once it is read.
    std::optional<GeoReference> geo_;
    std::int32_t mapWidth_ = 0;
    std::int32_t mapRows_ = 0;
};

}  // namespace orvalis
