#pragma once

#include <functional>
#include <string>

#include "generation/GenerationRequest.h"

namespace orvalis::cli {

// Takes `option` of `generate` for terrain at its real scale (and its value,
// through `value`) into the request when it is one of them: the sun in
// degrees, units, soft light, resampling, band heights, the water level, the
// shadow map and world files. Raises UsageError for a value out of range.
bool ParseTerrainOption(const std::string& option, const std::function<const std::string&()>& value,
                        GenerationRequest& request);

}  // namespace orvalis::cli
