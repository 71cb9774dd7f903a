#include "io/HeightLevels.h"

namespace orvalis {

HeightLevels HeightLevelsFor(const std::string& path, SampleKind kind, const std::optional<HeightRange>& samples,
                             const std::optional<HeightRange>& heightRange) {
    if (kind != SampleKind::Real) {
        return {{}, heightRange ? LevelScale{heightRange->Low, heightRange->High} : LevelScale{}};
    }
    const SampleScale scale = RealSampleScale(path, heightRange ? heightRange : samples);
    return {scale, {scale.Low, scale.Low + scale.Span}};
}

}  // namespace orvalis
