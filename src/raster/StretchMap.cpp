#include "raster/StretchMap.h"

namespace orvalis {

std::vector<SourceSpan> MapStretchAxis(std::int32_t targetLength, std::int32_t sourceLength) {
    std::vector<SourceSpan> spans(static_cast<std::size_t>(targetLength));
    const std::int64_t source = sourceLength, target = targetLength;
    for (std::int64_t t = 0; t < target; ++t) {
        const auto first = static_cast<std::int32_t>(t * source / target);
        if (source <= target) {
            spans[t] = SourceSpan{first, 1};
        } else {
            const auto end = static_cast<std::int32_t>((t + 1) * source / target);
            spans[t] = SourceSpan{first, end - first};
        }
    }
    return spans;
}

}  // namespace orvalis
