#pragma once

#include <cstdint>
#include <vector>

namespace orvalis {

// The source pixels that land on one target pixel along one axis: indices
// First .. First + Count - 1, counted from the source rectangle's start.
struct SourceSpan {
    std::int32_t First = 0;
    std::int32_t Count = 1;
};

// How a source run of sourceLength pixels maps onto targetLength pixels
// (both positive). Enlarging (or equal lengths) samples the one source pixel
// under each target pixel: index floor(t * source / target), so a whole
// factor k repeats every source pixel k times. Shrinking gives each target
// pixel the run floor(t * source / target) .. floor((t + 1) * source / target) - 1,
// whose pixels the stretch merges with a bitwise AND.
std::vector<SourceSpan> MapStretchAxis(std::int32_t targetLength, std::int32_t sourceLength);

// The same mapping for the target pixels first .. first + count - 1 only
// (0 <= first, first + count <= targetLength): a transfer clipped to its
// target picture needs no entries for the pixels it never draws.
std::vector<SourceSpan> MapStretchAxis(std::int32_t targetLength, std::int32_t sourceLength,
                                       std::int32_t first, std::int32_t count);

}  // namespace orvalis
