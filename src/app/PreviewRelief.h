#pragma once

#include <optional>
#include <string>

#include "app/ExportSettings.h"

namespace orvalis {

// The height of one grey level of the heightmap in the preview's world
// units, for a terrain lit at its real scale: its heights (times the
// z-factor) over its ground's longer side (cells from the georeference or
// as given), so the preview shows its true relief. None for the classic
// light, whose heights are pixels. Reads the heightmap as the run did;
// raises its Error.
std::optional<double> TrueUnitsPerLevel(const std::string& heightmapPath, const ExportSettings& settings);

}  // namespace orvalis
