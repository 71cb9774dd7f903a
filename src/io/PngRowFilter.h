#pragma once

#include <cstddef>
#include <cstdint>

namespace orvalis {

// How the filter of each row of a PNG file is chosen.
enum class PngFilterChoice {
    // Every row by the row above (the first row by its left neighbour): one
    // cheap pass that suits smooth maps and costs little on noisy textures.
    Up,
    // Each row by the filter whose bytes, taken as signed, have the smallest
    // sum of magnitudes: the choice most PNG writers make.
    BestOfFive,
};

// Writes the filter type byte and the `bytes` filtered bytes of `row` to
// `out` (bytes + 1 long). `above` is the row above, or null for the
// picture's first row; a pixel is `pixelBytes` bytes.
void FilterPngRow(PngFilterChoice choice, const std::uint8_t* row, const std::uint8_t* above,
                  std::size_t bytes, std::size_t pixelBytes, std::uint8_t* out);

}  // namespace orvalis
