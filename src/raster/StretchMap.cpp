#include "raster/StretchMap.h"

namespace orvalis {

std::vector<SourceSpan> MapStretchAxis(std::int32_t targetLength, std::int32_t sourceLength) {
    return MapStretchAxis(targetLength, sourceLength, 0, targetLength);
}

std::vector<SourceSpan> MapStretchAxis(std::int32_t targetLength, std::int32_t sourceLength,
                                       std::int32_t first, std::int32_t count) {
    std::vector<SourceSpan> spans(static_cast<std::size_t>(count));
    const std::int64_t source = sourceLength, target = targetLength;
    for (std::int64_t t = first; t < first + std::int64_t{count}; ++t) {
        const auto start = static_cast<std::int32_t>(t * source / target);
        if (source <= target) {
            spans[t - first] = SourceSpan{start, 1};
        } else {
            const auto end = static_cast<std::int32_t>((t + 1) * source / target);
            spans[t - first] = SourceSpan{start, end - start};
        }
    }
    return spans;
}

}  // namespace orvalis
