#pragma once

#include <cstdint>

#include "math/VectorTypes.h"

// Vector arithmetic with fixed rounding: every operation works from single
// inputs at extended precision and rounds each stored component to single
// once, to nearest with ties to even. The lighting stores its results as
// bytes, so these last bits decide pixel values.
namespace orvalis {

void AddVectors(const Vector3& a, const Vector3& b, Vector3& r);
void SubtractVectors(const Vector3& a, const Vector3& b, Vector3& r);

// (a.x*b.x + a.y*b.y) + a.z*b.z, handed back unrounded at extended precision.
long double DotProduct(const Vector3& a, const Vector3& b);

// r must be a third vector, distinct from a and b.
void CrossProduct(const Vector3& a, const Vector3& b, Vector3& r);

// No guard for the zero vector: it becomes three not-a-number components.
void NormalizeInPlace(Vector3& v);
void NormalizedCopy(const Vector3& v, Vector3& r);

void ScaleVector(const Vector3& v, Vector3& r, float factor);

// Nearest, ties to even. NaN, infinities and values outside the 32-bit range
// give -2147483648.
std::int32_t RoundToInt(float value);
// Toward zero, with the same out-of-range answer.
std::int32_t TruncToInt(float value);

}  // namespace orvalis
