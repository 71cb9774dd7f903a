#pragma once

#include <cstdint>

namespace orvalis {

// A unit normal scaled by 127 and truncated toward zero.
struct NormalEntry {
    std::int8_t x = 0;
    std::int8_t y = 0;
    std::int8_t z = 0;

    friend bool operator==(const NormalEntry&, const NormalEntry&) = default;
};
// The vector kernels store entries as runs of bytes.
static_assert(sizeof(NormalEntry) == 3);

}  // namespace orvalis
