#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "math/VectorTypes.h"

// Vector arithmetic with fixed rounding: every operation works from single
// inputs at extended precision and rounds each stored component to single
// once, to nearest with ties to even. The lighting stores its results as
// bytes, so these last bits decide pixel values.
namespace orvalis {

// A sum or difference rounded to extended and then to single equals the
// single sum rounded once (extended carries more than twice single's 24 bits
// plus two), so these use single arithmetic: the shadow march adds a step
// every iteration.
inline void AddVectors(const Vector3& a, const Vector3& b, Vector3& r) {
    r.x = a.x + b.x;
    r.y = a.y + b.y;
    r.z = a.z + b.z;
}

inline void SubtractVectors(const Vector3& a, const Vector3& b, Vector3& r) {
    r.x = a.x - b.x;
    r.y = a.y - b.y;
    r.z = a.z - b.z;
}

// (a.x*b.x + a.y*b.y) + a.z*b.z, handed back unrounded at extended precision.
long double DotProduct(const Vector3& a, const Vector3& b);

// r must be a third vector, distinct from a and b.
void CrossProduct(const Vector3& a, const Vector3& b, Vector3& r);

// No guard for the zero vector: it becomes three not-a-number components.
// r may be v itself.
void NormalizedCopy(const Vector3& v, Vector3& r);

// RoundToInt: nearest, ties to even. TruncToInt: toward zero. NaN,
// infinities and values outside the 32-bit range give -2147483648 from both.
// Both conversions sit in the blend's and the shadow march's inner loops, so
// they are inline. Every float in [-2^31, 2^31) converts in range either way.
inline bool FitsInt32(float value) {
    return value >= -2147483648.0f && value < 2147483648.0f;  // false for NaN
}

inline std::int32_t RoundToInt(float value) {
    if (!FitsInt32(value)) return std::numeric_limits<std::int32_t>::min();
#if defined(__SSE__)
    // cvtss2si rounds in the current mode, which stays to nearest, ties to even.
    return _mm_cvtss_si32(_mm_set_ss(value));
#else
    return static_cast<std::int32_t>(std::nearbyint(value));
#endif
}

inline std::int32_t TruncToInt(float value) {
    if (!FitsInt32(value)) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace orvalis
