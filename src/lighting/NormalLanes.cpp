#include "lighting/NormalLanes.h"

#include <array>

#include "math/CertifiedGeometry.h"
#include "math/ProcessorFeatures.h"

namespace orvalis {

namespace {

struct KernelsHere {
    std::array<const NormalLaneKernel*, 2> Kernels{};
    std::size_t Count = 0;

    KernelsHere() {
        for (const NormalLaneKernel* kernel : {HasAvx512() ? Avx512NormalLanes() : nullptr,
                                               HasAvx2() ? Avx2NormalLanes() : nullptr}) {
            if (kernel) Kernels[Count++] = kernel;
        }
    }
};

void NormalizeOne(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t i) {
    Vector3 unit;
    CertifiedNormalizedCopy(Vector3{vectors.X[i], vectors.Y[i], vectors.Z[i]}, unit);
    units.X[i] = unit.x;
    units.Y[i] = unit.y;
    units.Z[i] = unit.z;
}

}  // namespace

std::span<const NormalLaneKernel* const> NormalLaneKernelsHere() {
    static const KernelsHere here;
    return {here.Kernels.data(), here.Count};
}

const NormalLaneKernel* FastestNormalLanes() {
    const auto kernels = NormalLaneKernelsHere();
    return kernels.empty() ? nullptr : kernels.front();
}

void NormalizeAll(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t count,
                  std::vector<std::int32_t>& uncertain) {
    CoverInLanes(
        0, count, uncertain,
        [&](const NormalLaneKernel& kernel, std::int32_t* left) {
            return kernel.UnitVectors(vectors, units, 0, count, left);
        },
        [&](std::int32_t i) { NormalizeOne(vectors, units, i); });
}

}  // namespace orvalis
