#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "math/VectorTypes.h"
#include "synth/NormalMap.h"

namespace orvalis {

// The two unit edges of one of a pixel's eight triangles, in the order
// they are crossed.
struct TriangleEdges {
    Vector3 E1, E2;
};
using PixelEdges = std::array<TriangleEdges, 8>;

inline constexpr int kNormalLanes = 4;

// The normal entries of four pixels from their edges at once, with the
// double operations of the certified path in vector lanes (the same IEEE
// operations in the same order, so the same doubles). Returns a bit per
// pixel whose entry it set: a pixel with any result too close to a
// rounding boundary is left to the one-pixel path, as are all four when
// the processor lacks the vector instructions.
unsigned CertainNormals(const std::array<PixelEdges, kNormalLanes>& pixels, NormalEntry* out);

// Replaces each of the count vectors by its CertifiedNormalizedCopy (the
// same singles), four at a time in vector lanes where the processor has them.
void NormalizeAll(Vector3* vectors, std::size_t count);

}  // namespace orvalis
