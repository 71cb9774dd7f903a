#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orvalis {

// The layers' shares of one pixel as bytes that add up to exactly 255, from
// their weights (each 0 .. 1, in layer order). The fallback layer also takes
// what the weights leave below a sum of 1, so the whole pixel where no layer
// claims it, and a layer fading out hands over to it smoothly. Each weight
// is then taken over the sum and times 255, rounded down, and what is left
// to 255 goes a byte at a time to the largest remainders, the first layer
// first among equal ones.
void ByteWeights(std::span<const double> weights, std::size_t fallback, std::span<std::uint8_t> bytes);

}  // namespace orvalis
