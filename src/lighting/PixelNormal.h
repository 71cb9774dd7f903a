#pragma once

#include "math/VectorTypes.h"
#include "lighting/NormalEntry.h"

namespace orvalis {

// The one-pixel arithmetic of the normal map. The certified operations give
// exactly the singles of the extended ones.

// The unit normal of the triangle whose edges e1 and e2 are crossed in that order.
Vector3 TriangleNormal(const Vector3& e1, const Vector3& e2);

// The entry of a pixel whose triangle normals add up to sum (in singles):
// the sum normalised, scaled by 127 and truncated.
NormalEntry EntryOfSum(const Vector3& sum);

}  // namespace orvalis
