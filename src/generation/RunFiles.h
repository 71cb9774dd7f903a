#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/ResultFile.h"
#include "generation/EngineMaps.h"
#include "generation/GenerationRequest.h"
#include "generation/OutputNames.h"
#include "raster/GeoReference.h"

namespace orvalis {

// The files of one run, as OutputNames lists them: every name taken when the
// object is made, before any work, in the order of the commits; a taken one
// raises Error "... already exists" and releases those claimed before it.
// A numbered texture takes the first name whose files are all free.
class RunFiles {
public:
    explicit RunFiles(const GenerationRequest& request);

    // Hooks the staging of every file into the run's settings: the format
    // of the texture and the lightmap, the splat, normal and shadow maps and
    // the world files. The object and the settings must outlive the run.
    void Attach(GenerateSettings& settings);

    ResultFile& Texture() { return files_.front().File; }
    ResultFile* Lightmap() { return FileOf(OutputKind::Lightmap); }
    // Committed with the texture, before the lightmap.
    std::vector<ResultFile*> Alongside();

private:
    struct RunFile {
        NamedOutput Output;
        ResultFile File;
    };

    // The picture of that kind (not its world file), when the run writes one.
    ResultFile* FileOf(OutputKind kind);
    void TakeHeightmap(const Picture& heightmap, const GenerateSettings& settings);
    MapWriting Writing(const RunOptions& run) const;

    OutputFormat format_;
    PngCompression compression_;
    std::vector<RunFile> files_;  // the texture's first
    // The heightmap's placement, once it is read.
    std::optional<GeoReference> geo_;
    std::int32_t mapWidth_ = 0;
    std::int32_t mapRows_ = 0;
};

}  // namespace orvalis
