#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "math/KernelChoice.h"
#include "lighting/NormalLaneKernels.h"

namespace orvalis {

// The vector kernel of each KernelLevel, null where there is none (scalar,
// and any the compiler could not build); the processor may lack some.
std::array<const NormalLaneKernel*, kKernelNames.size()> NormalLanesByLevel();
// The one for the chosen kernel level, or null.
const NormalLaneKernel* ChosenNormalLanes();

// Runs lanes(kernel, uncertain) with the chosen kernel where it covers
// first .. end, then one(c) for every column c it left; without a kernel,
// or when the run is shorter than its lanes, one(c) for all.
template <typename Lanes, typename One>
void CoverInLanes(std::int32_t first, std::int32_t end, std::vector<std::int32_t>& uncertain, Lanes lanes,
                  One one) {
    const NormalLaneKernel* kernel = ChosenNormalLanes();
    if (!kernel || end - first < kernel->Lanes) {
        for (std::int32_t c = first; c < end; ++c) one(c);
        return;
    }
    uncertain.resize(static_cast<std::size_t>(end - first));
    const std::int32_t left = lanes(*kernel, uncertain.data());
    for (std::int32_t i = 0; i < left; ++i) one(uncertain[i]);
}

// Sets units to the CertifiedNormalizedCopy of each of the count vectors
// (the same singles), in vector lanes where the processor has them;
// uncertain is scratch space.
void NormalizeAll(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t count,
                  std::vector<std::int32_t>& uncertain);

}  // namespace orvalis
