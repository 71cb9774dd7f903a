#pragma once

#include <cstdint>

#include "synth/InteriorTriangles.h"
#include "synth/NormalEntry.h"

// Kept free of inline library code: the kernels' own files, compiled for one
// instruction set each, include it.
namespace orvalis {

// The normal map's double operations of the certified path in vector lanes:
// the same IEEE operations in the same order, so the same doubles. A result
// too close to a rounding boundary leaves its pixel or vector to the
// one-pixel path, listed in `uncertain`, which must have room for one entry
// per pixel or vector of the call.
struct NormalLaneKernel {
    int Lanes;
    // Sets the entries of the interior pixels from column on, Lanes at a
    // time while a whole group fits before end (the rest is left out, not
    // listed); returns how many columns it listed in uncertain.
    std::int32_t (*Normals)(const InteriorEdgeRows& rows, std::int32_t column, std::int32_t end,
                            NormalEntry* out, std::int32_t* uncertain);
    // Sets units[i] to the CertifiedNormalizedCopy of vectors[i], Lanes at a
    // time while a whole group fits before count; returns how many indices
    // it listed in uncertain.
    std::int32_t (*UnitVectors)(ConstComponentArrays vectors, ComponentArrays<float> units,
                                std::int32_t count, std::int32_t* uncertain);
};

// Null where the compiler or the processor lacks the instructions.
const NormalLaneKernel* Avx2NormalLanes();
const NormalLaneKernel* Avx512NormalLanes();

}  // namespace orvalis
