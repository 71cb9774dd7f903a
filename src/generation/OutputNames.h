#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generation/GenerationRequest.h"

namespace orvalis {

// A file a run writes, with how the command line names it in messages.
struct NamedOutput {
    std::string Label;  // "--normal-map"
    std::string Path;
};

// Whether a name ends as a file of the format does (".png"; ".tif" or ".tiff").
bool NamesFormat(const std::string& path, OutputFormat format);

// A name in the run's format: PNG gives it ".png", GeoTIFF ".tif" (a name
// already ending so stays as it is); BMP keeps it.
std::string InFormat(OutputFormat format, const std::string& path);

// The texture's name when the request gives one.
std::optional<std::string> TextureName(const GenerationRequest& request);
// The lightmap of a lit run, in the run's format.
std::optional<NamedOutput> LightmapName(const GenerationRequest& request);
// Whether the lightmap replaces an earlier one (lm.bmp) rather than taking a new name.
bool LightmapReplaced(const GenerationRequest& request);

// The splat map's two files and the normal map, PNG unless GeoTIFF is asked for.
std::vector<NamedOutput> EngineMapNames(const GenerationRequest& request);
std::string SecondSplatName(const std::string& splatMap);
// The shadow map's name: as given, or with ".tif" for GeoTIFF.
std::optional<std::string> ShadowMapName(const GenerationRequest& request);
// "x.png" -> "x.pgw", as GIS tools look for it.
std::string WorldFileName(const std::string& png);

// Every name the request gives or derives, texture first.
std::vector<NamedOutput> OutputNames(const GenerationRequest& request);

}  // namespace orvalis
