#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generation/GenerationRequest.h"

namespace orvalis {

// What a file of a run holds (a world file: the place of which picture).
enum class OutputKind { Texture, Lightmap, SplatMap, SplatMapSecond, NormalMap, ShadowMap };

// How a run takes the name of one of its files.
enum class NameUse {
    Claim,    // the name must not exist yet; claimed before any work
    Replace,  // the file of an earlier run is replaced (lm.bmp)
    Remove,   // the world file of a replaced lightmap that this run places no more
};

// A file a run writes (or removes), with how the command line names it in
// messages.
struct NamedOutput {
    std::string Label;  // "--normal-map", "the world file of --normal-map"
    std::string Path;
    OutputKind Kind = OutputKind::Texture;
    bool WorldFile = false;
    NameUse Use = NameUse::Claim;
};

// Whether a name ends as a file of the format does (".png"; ".tif" or ".tiff").
bool NamesFormat(const std::string& path, OutputFormat format);

// A name in the run's format: PNG gives it ".png", GeoTIFF ".tif" (a name
// already ending so stays as it is); BMP keeps it.
std::string InFormat(OutputFormat format, const std::string& path);

// The texture's name when the request gives one.
std::optional<std::string> TextureName(const GenerationRequest& request);

// "x.png" -> "x.pgw", as GIS tools look for it.
std::string WorldFileName(const std::string& png);

// Every file the request writes, in the order of their commits: the
// texture's (when the request names it), the maps', each picture followed by
// its world file, and last the lightmap's. A run without world files that
// replaces a PNG lightmap removes the lightmap's earlier world file.
std::vector<NamedOutput> OutputNames(const GenerationRequest& request);
// The same with the texture under the name the run has taken.
std::vector<NamedOutput> OutputNames(const GenerationRequest& request, const std::string& texture);
// The texture's files under that name: the texture and its world file.
std::vector<NamedOutput> TextureOutputs(const GenerationRequest& request, const std::string& texture);

// Whether two names are one file as far as their words tell ("a.png", "./a.png").
bool SameName(const std::string& first, const std::string& second);

// Raises RequestError naming the first two outputs of the list under one
// name, or a picture whose name ends as a file of another format than the
// one it is written in (the texture and the lightmap in `format`, the maps
// in PNG or GeoTIFF).
void CheckOutputNames(const std::vector<NamedOutput>& outputs, OutputFormat format);

}  // namespace orvalis
