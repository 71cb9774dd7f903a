#pragma once

#include "math/VectorTypes.h"

namespace orvalis::test {

// Each component times factor at extended precision, rounded to single
// once: the plain definition the lighting's faster scaling must equal.
inline void ScaleVector(const Vector3& v, Vector3& r, float factor) {
    r.x = static_cast<float>(static_cast<long double>(v.x) * factor);
    r.y = static_cast<float>(static_cast<long double>(v.y) * factor);
    r.z = static_cast<float>(static_cast<long double>(v.z) * factor);
}

}  // namespace orvalis::test
