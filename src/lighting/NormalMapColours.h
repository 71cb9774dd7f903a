#pragma once

#include <cstdint>
#include <vector>

#include "lighting/NormalMap.h"

namespace orvalis {

// A normal map as the RGB colours game engines take, top row first: red
// from x (toward greater columns), green from z (toward the picture's top),
// blue from y (up out of the ground), each (n + 1) x 127.5 rounded, with n
// the stored entry / 127. Rows of `normals` count from the bottom, as in
// the height plane.
std::vector<std::uint8_t> NormalMapColours(const TNormalMap& normals, std::int32_t width,
                                           std::int32_t rows);

}  // namespace orvalis
