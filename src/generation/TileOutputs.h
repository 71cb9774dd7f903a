#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "generation/GenerationRequest.h"
#include "generation/OutputNames.h"
#include "generation/WorldPlan.h"

namespace orvalis {

// The texture's base name in a tiled world, as the numbered textures of a
// whole run begin.
inline constexpr const char* kTileTextureStem = "terrain_tex";

// A kind of picture every tile of a world writes, each on the tile's own
// texture pixels.
struct TileOutput {
    OutputKind Kind = OutputKind::Texture;
    std::string Stem;  // what its tiles' names begin with: "terrain_tex", "lm", "shadow", "splat_1"
    int Bands = 3;     // 1 grey; 3 red, green, blue; 4: a fourth band of data after them
};

// The pictures a tile of the request writes: the texture, the splat map's
// two files, the normal and shadow maps under the base names of the names
// given, and the lightmap ("lm") of a lit run; no world files. Raises
// RequestError when two of them would share a base name.
std::vector<TileOutput> TileOutputsOf(const GenerationRequest& request);

// "_C_R": the tile's column and row, each zero-padded to the digits of the
// plan's largest column or row index ("_03_12" among 16 x 13 tiles).
std::string TileSuffix(const WorldPlan& plan, std::int32_t column, std::int32_t row);

// "terrain_tex_03_12.tif": the tile's file of an output, in the format
// (GeoTIFF or PNG) the tile runs write.
std::string TileFileName(const TileOutput& output, const WorldPlan& plan, std::int32_t column, std::int32_t row,
                         OutputFormat format);

// Writes "<stem>.vrt" into `folder` for each output, joining all the plan's
// tiles of it into the world texture, placed where the world lies; gives
// the paths written. Raises Error naming a file that cannot be written.
std::vector<std::string> WriteTileMosaics(const WorldPlan& plan, const WorldFacts& world,
                                          const GenerationRequest& request, const std::string& folder);

}  // namespace orvalis
