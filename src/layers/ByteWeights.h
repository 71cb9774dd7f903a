#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvalis {

// The layers' shares of one pixel as bytes that add up to exactly 255, from
// their weights (each 0 .. 1, in layer order). The fallback layer also takes
// what the weights leave below a sum of 1, so the whole pixel where no layer
// claims it, and a layer fading out hands over to it smoothly. Each weight
// is then taken over the sum and times 255, rounded down, and what is left
// to 255 goes a byte at a time to the largest remainders, the first layer
// first among equal ones.
void ByteWeights(std::span<const double> weights, std::size_t fallback, std::span<std::uint8_t> bytes);

// The same for a row of pixels at once, in vector lanes where they help:
// the very bytes ByteWeights gives each pixel.
struct ByteWeightScratch {
    explicit ByteWeightScratch(std::size_t width, std::size_t layers)
        : Weights(width * layers), Total(width), Left(width) {}
    std::vector<double> Weights;  // layer after layer, a row of weights each
    std::vector<double> Total;
    std::vector<int> Left;
};
// Takes the weights from scratch.Weights (and leaves other values there);
// writes the pixels' bytes one after another, `layers` bytes each.
void ByteWeightRow(ByteWeightScratch& scratch, std::size_t layers, std::size_t fallback, std::uint8_t* bytes);

}  // namespace orvalis
