#pragma once

#include <cstdint>

#include "lighting/InteriorTriangles.h"
#include "lighting/NormalEntry.h"

// Kept free of inline library code: the kernels' own files, compiled for one
// instruction set each, include it.
namespace orvalis {

// An edge operand of a row of triangles: entry c + Offset of Line for the
// triangle of pixel c, reversed when Opposite.
struct EdgeOperand {
    ConstComponentArrays Line;
    std::int32_t Offset = 0;
    bool Opposite = false;
};

// How the lighting takes a real sample v in doubles: SampleScale::Height,
// clamp((v - Low) x 255 / Span, 0, 255) with Span > 0, then (that x Factor)
// / Divisor, rounded to single.
struct SampleHeightScale {
    double Low = 0;
    double Span = 1;
    double Factor = 1;
    double Divisor = 1;
};

// The normal map's double operations of the certified path in vector lanes:
// the same IEEE operations in the same order, so the same doubles. Each
// kernel covers first .. end, Lanes at a time (the last group ends at end
// and overlaps the one before), when end - first >= Lanes. A result too
// close to a rounding boundary leaves its pixel or vector to the one-pixel
// path: the kernel lists it in `uncertain` (room for end - first entries)
// and returns how many it listed.
struct NormalLaneKernel {
    int Lanes;
    // normals[c] = TriangleNormal(e1 of pixel c, e2 of pixel c).
    std::int32_t (*TriangleNormals)(const EdgeOperand& e1, const EdgeOperand& e2, std::int32_t first,
                                    std::int32_t end, ComponentArrays<float> normals, std::int32_t* uncertain);
    // out[c] = EntryOfSum(the eight normals[t][c] added in order t = 0 .. 7).
    std::int32_t (*Entries)(const ConstComponentArrays (&normals)[8], std::int32_t first, std::int32_t end,
                            NormalEntry* out, std::int32_t* uncertain);
    // units[i] = CertifiedNormalizedCopy(vectors[i]).
    std::int32_t (*UnitVectors)(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t first,
                                std::int32_t end, std::int32_t* uncertain);
    // out[c] = samples[c] taken as `scale` says; a sample that is not finite
    // is listed too.
    std::int32_t (*SampleHeights)(const float* samples, const SampleHeightScale& scale, std::int32_t first,
                                  std::int32_t end, float* out, std::int32_t* uncertain);
};

// Null where the compiler lacks the instructions; call only where the
// processor has them (ProcessorRuns).
const NormalLaneKernel* Avx2NormalLanes();
const NormalLaneKernel* Avx512NormalLanes();

}  // namespace orvalis
