#pragma once

#include <functional>
#include <optional>
#include <string>

#include "io/PictureFile.h"
#include "raster/DibBuffer.h"
#include "synth/GenerateTexture.h"

namespace orvalis::cli {

// What `generate` writes for game engines besides the BMP texture, and how
// it reads real-valued heightmaps.
struct EngineOutputs {
    std::optional<std::string> Format;     // --format png|bmp
    std::optional<std::string> SplatMap;   // --splat-map FILE
    std::optional<std::string> NormalMap;  // --normal-map FILE
    PictureReadOptions Read;               // --height-range LOW:HIGH
};

// Takes `option` (and its value, through `value`) when it is one of these.
bool ParseEngineOption(const std::string& option, const std::function<const std::string&()>& value,
                       EngineOutputs& outputs);

// Before anything is written: refuses a format that contradicts the texture's
// name and a PNG texture name that is taken.
void CheckEngineOutputs(const EngineOutputs& outputs, const std::string& texturePath);

// After the generation wrote the texture (and lightmap) as BMP: rewrites
// them as PNG when asked, writes the splat and normal maps. Returns the
// texture's final path.
std::string WriteEngineOutputs(const EngineOutputs& outputs, const GenerateSettings& settings,
                               const std::string& texturePath, const std::string& lightmapPath,
                               const TDibBuffer& lightmap);

}  // namespace orvalis::cli
