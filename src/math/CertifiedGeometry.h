#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "math/Geometry.h"
#include "math/TieMargin.h"

// Double-precision stand-ins for the extended-precision vector operations
// that give exactly the same singles. A double result and the extended one
// both lie within a few units of 2^-53 (relative) of the exact value; when
// every real that close to the double result rounds to the same single, so
// do both, and the double result is taken. Only a result that lies almost
// exactly halfway between two singles (about one in a million) is worked
// out again at extended precision by the plain operation.
namespace orvalis {

// True when value rounds to single exactly as every real within kTieMargin
// units of its last place does; `single` receives it. Zero is exact in both;
// values that round to a subnormal or overflow, NaN and infinity are left to
// the extended operation.
inline bool SingleIsCertain(double value, float& single) {
    single = static_cast<float>(value);
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto exponent = static_cast<int>(bits >> 52 & 0x7ff);
    const std::int64_t fromTie = static_cast<std::int64_t>(bits & 0x1fffffff) - 0x10000000;
    const bool normalSingle = exponent >= 1023 - 126 && exponent < 1023 + 128;
    return value == 0 || (normalSingle && (fromTie > kTieMargin || fromTie < -kTieMargin));
}

// The squares of singles are exact in double; the sum, root, reciprocal and
// products add at most five roundings of 2^-53 each.
inline void CertifiedNormalizedCopy(const Vector3& v, Vector3& r) {
    const double x = v.x, y = v.y, z = v.z;
    const double k = 1.0 / std::sqrt(x * x + y * y + z * z);
    Vector3 out;
    if (SingleIsCertain(x * k, out.x) && SingleIsCertain(y * k, out.y) && SingleIsCertain(z * k, out.z)) {
        r = out;
    } else {
        NormalizedCopy(v, r);
    }
}

// Products of singles are exact in double; each difference rounds once. A
// difference of 0 in double is an exact 0, as in extended.
inline void CertifiedCrossProduct(const Vector3& a, const Vector3& b, Vector3& r) {
    const double ax = a.x, ay = a.y, az = a.z, bx = b.x, by = b.y, bz = b.z;
    Vector3 out;
    if (SingleIsCertain(ay * bz - az * by, out.x) && SingleIsCertain(az * bx - ax * bz, out.y) &&
        SingleIsCertain(ax * by - ay * bx, out.z)) {
        r = out;
    } else {
        CrossProduct(a, b, r);
    }
}

// A product of two singles is exact in double as in extended, so both round
// to the same single: no check needed.
inline void DoubleScaleVector(const Vector3& v, Vector3& r, float factor) {
    r.x = static_cast<float>(static_cast<double>(v.x) * factor);
    r.y = static_cast<float>(static_cast<double>(v.y) * factor);
    r.z = static_cast<float>(static_cast<double>(v.z) * factor);
}

}  // namespace orvalis
