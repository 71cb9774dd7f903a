#include "layers/ByteWeights.h"

#include <algorithm>
#include <array>

#include "layers/LayerRules.h"

namespace orvalis {

void ByteWeights(std::span<const double> weights, std::size_t fallback, std::span<std::uint8_t> bytes) {
    std::array<double, kMostLayers> shares{};
    double total = 0;
    std::size_t claims = 0, claimant = fallback;
    for (std::size_t k = 0; k < weights.size(); ++k) {
        shares[k] = weights[k];
        total = total + weights[k];
        if (weights[k] > 0) ++claims, claimant = k;
    }
    // Most pixels: one layer claims all of it, or none does. The rounding
    // below gives such a layer all 255 (its share times 255 over itself
    // lies within an ulp or two of 255, and the remainder goes to it), so
    // this is a shortcut, not another rule.
    if (claims == 0 || (claims == 1 && total >= 1)) {
        std::fill(bytes.begin(), bytes.end(), 0);
        bytes[claimant] = 255;
        return;
    }
    if (total < 1) {
        shares[fallback] = shares[fallback] + (1 - total);
        total = total + (1 - total);
    }
    const double scale = 255 / total;
    std::array<double, kMostLayers> remainders{};
    // The shares add up to 255 but for rounding, so their floors to at
    // least 255 less one for each layer, and never to more than 255.
    int left = 255;
    for (std::size_t k = 0; k < weights.size(); ++k) {
        const double exact = shares[k] * scale;
        // Truncation is the floor of a number that is not negative.
        const int whole = static_cast<int>(exact);
        bytes[k] = static_cast<std::uint8_t>(whole);
        remainders[k] = exact - whole;
        left -= bytes[k];
    }
    for (; left > 0; --left) {
        std::size_t largest = 0;
        for (std::size_t k = 1; k < weights.size(); ++k) {
            if (remainders[k] > remainders[largest]) largest = k;
        }
        ++bytes[largest];
        remainders[largest] = -1;
    }
}

}  // namespace orvalis
