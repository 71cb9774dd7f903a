#include "lighting/NormalLanes.h"

#include "math/CertifiedGeometry.h"
#include "math/KernelChoice.h"

namespace orvalis {

namespace {

void NormalizeOne(ConstComponentArrays vectors, ComponentArrays<float> units, std::int32_t i) {
    Vector3 unit;
    CertifiedNormalizedCopy(Vector3{vectors.X[i], vectors.Y[i], vectors.Z[i]}, unit);
    units.X[i] = unit.x;
    units.Y[i] = unit.y;
    units.Z[i] = unit.z;
}

}  // namespace

std::array<const NormalLaneKernel*, kKernelNames.size()> NormalLanesByLevel() {
    return {nullptr, Avx2NormalLanes(), Avx512NormalLanes()};
}

const NormalLaneKernel* ChosenNormalLanes() { return KernelAtChosenLevel(NormalLanesByLevel()); }

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
