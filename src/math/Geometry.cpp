#include "math/Geometry.h"

#include <cmath>
#include <limits>

namespace orvalis {

namespace {

// x87 extended precision: the intermediate format of every operation here.
using Extended = long double;
// Exactly: a wider long double (quadruple precision) rounds otherwise.
static_assert(std::numeric_limits<Extended>::digits == 64,
              "vector arithmetic needs 80-bit extended intermediates");

}  // namespace

long double DotProduct(const Vector3& a, const Vector3& b) {
    return (Extended{a.x} * b.x + Extended{a.y} * b.y) + Extended{a.z} * b.z;
}

void CrossProduct(const Vector3& a, const Vector3& b, Vector3& r) {
    r.x = static_cast<float>(Extended{a.y} * b.z - Extended{a.z} * b.y);
    r.y = static_cast<float>(Extended{a.z} * b.x - Extended{a.x} * b.z);
    r.z = static_cast<float>(Extended{a.x} * b.y - Extended{a.y} * b.x);
}

void NormalizedCopy(const Vector3& v, Vector3& r) {
    const Extended x = v.x, y = v.y, z = v.z;
    const Extended k = 1.0L / std::sqrt(x * x + y * y + z * z);
    r.x = static_cast<float>(x * k);
    r.y = static_cast<float>(y * k);
    r.z = static_cast<float>(z * k);
}

}  // namespace orvalis
