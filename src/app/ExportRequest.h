#pragma once

#include <string>

#include "app/ExportSettings.h"
#include "generation/GenerationRequest.h"

namespace orvalis {

// Fills in what the export settings ask of a run whose classic part (the
// heightmap, tiles, size, light and lighting switch) is already filled in:
// the format and compression, the height range, the terrain options, and
// the splat, normal and shadow maps. Their relative names go to `folder`,
// where the texture goes; a run never overwrites an earlier one, so they
// take the first free numbering of all of them together, as the texture
// does: "splat.png", then "splat0.png", "splat1.png" ..., a name held only
// by a leftover of a run that ended abruptly counting as free. The defaults
// leave the request as it was. Raises Error, in the window's words, for a
// request the generation would refuse (real-scale lighting without
// lighting, say), or when all numbers are taken.
void ApplyExportSettings(const ExportSettings& settings, const std::string& folder, GenerationRequest& request);

// Raises Error, in the window's words, for settings with which the
// generation's own check refuses a lit run: options that exclude each other,
// two files under one name (world files and the lightmap included), a map
// whose name ends as a file of another format.
void CheckExportRequest(const ExportSettings& settings);

}  // namespace orvalis
