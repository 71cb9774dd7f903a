#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "io/PictureFile.h"
#include "io/PngEncoder.h"
#include "files/ResultFile.h"
#include "generation/GenerateTexture.h"

namespace orvalis::cli {

// What `generate` writes for game engines besides the BMP texture, and how
// it reads pictures.
struct EngineOutputs {
    std::optional<std::string> Format;     // --format png|bmp|tif
    std::optional<std::string> SplatMap;   // --splat-map FILE
    std::optional<std::string> NormalMap;  // --normal-map FILE
    PngCompression Compression = PngCompression::Fast;  // --png-compression
    PictureReadOptions Read;               // --height-range LOW:HIGH, --memory-limit SIZE

    bool Png() const { return Format == "png"; }
    bool Tiff() const { return Format == "tif"; }
    std::string Extension() const { return Png() || Tiff() ? "." + *Format : ".bmp"; }
};

// Takes `option` (and its value, through `value`) when it is one of these.
bool ParseEngineOption(const std::string& option, const std::function<const std::string&()>& value,
                       EngineOutputs& outputs);

// Once the options are read: an --output name ending in ".png" asks for PNG,
// and another --format with such a name is a usage error.
void SettleFormat(EngineOutputs& outputs, const std::optional<std::string>& output);

// A texture's or lightmap's name in the run's format: PNG gives it ".png",
// TIFF ".tif".
std::string InFormat(const EngineOutputs& outputs, const std::string& path);

// A file the run writes, with how its option names it in messages.
struct NamedOutput {
    std::string Label;  // "--normal-map"
    std::string Path;
};

// The splat map's two files and the normal map.
std::vector<NamedOutput> EngineOutputNames(const EngineOutputs& outputs);

// How the run writes its texture and lightmap (PNG on `threads` threads as
// --threads gives them); empty for BMP and TIFF (which needs the heightmap's
// georeference: see TerrainFiles).
PictureEncoder EncoderFor(const EngineOutputs& outputs, int threads);

// The splat and normal maps of one run: their names are claimed when it is
// made, before any work, and they are committed with the texture.
class EngineFiles {
public:
    // Raises Error "... already exists" for a name that is taken.
    explicit EngineFiles(const EngineOutputs& outputs);

    // Computes the maps from the run's heightmap, as the run read it, into
    // their staging files. A normal map's heights and normals come back for a
    // lit run to use.
    std::optional<TerrainLighting> Stage(const Picture& heightmap, const GenerateSettings& settings);
    std::vector<ResultFile*> Files();

private:
    std::optional<ResultFile> splat_;
    std::optional<ResultFile> splatSecond_;  // band 0
    std::optional<ResultFile> normals_;
    PngCompression compression_;
};

}  // namespace orvalis::cli
