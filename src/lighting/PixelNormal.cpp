#include "lighting/PixelNormal.h"

#include <cstdint>

#include "math/CertifiedGeometry.h"
#include "math/Geometry.h"

namespace orvalis {

namespace {

std::int8_t LowByte(std::int32_t value) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(value));
}

}  // namespace

Vector3 TriangleNormal(const Vector3& e1, const Vector3& e2) {
    Vector3 cross, normal;
    CertifiedCrossProduct(e1, e2, cross);
    CertifiedNormalizedCopy(cross, normal);
    return normal;
}

NormalEntry EntryOfSum(const Vector3& sum) {
    Vector3 unit;
    CertifiedNormalizedCopy(sum, unit);
    DoubleScaleVector(unit, unit, 127.0f);
    // Truncated toward zero, not rounded: (-0.894, 0.447, 0) is (-113, 56, 0).
    return NormalEntry{LowByte(TruncToInt(unit.x)), LowByte(TruncToInt(unit.y)), LowByte(TruncToInt(unit.z))};
}

}  // namespace orvalis
