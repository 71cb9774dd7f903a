#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "synth/NormalLaneKernels.h"

namespace orvalis {

// The vector kernels this processor runs, widest first; empty without any.
std::span<const NormalLaneKernel* const> NormalLaneKernelsHere();
// The first of them, or null.
const NormalLaneKernel* FastestNormalLanes();

// Sets units to the CertifiedNormalizedCopy of each of the count vectors
// (the same singles), in vector lanes where the processor has them;
// uncertain is scratch space.
void NormalizeAll(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t count,
                  std::vector<std::int32_t>& uncertain);

}  // namespace orvalis
