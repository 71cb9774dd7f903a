#include "layers/ByteWeights.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>

#include "layers/LayerRules.h"

namespace orvalis {

namespace {

// Gives what is left to 255 a byte at a time to the largest remainders (each
// 0 .. 1, reached through a reference), the first layer first among equal
// ones; a remainder that got its byte is set below all others.
template <class Remainder>
void GiveLeftBytes(int left, std::size_t layers, Remainder remainder, std::uint8_t* bytes) {
    for (; left > 0; --left) {
        std::size_t largest = 0;
        for (std::size_t k = 1; k < layers; ++k) {
            if (remainder(k) > remainder(largest)) largest = k;
        }
        ++bytes[largest];
        remainder(largest) = -1;
    }
}

}  // namespace

void ByteWeights(std::span<const double> weights, std::size_t fallback, std::span<std::uint8_t> bytes) {
    std::array<double, kMostLayers> shares;
    double total = 0;
    for (std::size_t k = 0; k < weights.size(); ++k) {
        shares[k] = weights[k];
        total = total + weights[k];
    }
    if (total < 1) {
        shares[fallback] = shares[fallback] + (1 - total);
        total = total + (1 - total);
    }
    const double scale = 255 / total;
    std::array<double, kMostLayers> remainders;
    // The shares add up to 255 but for rounding, so their floors to at
    // least 255 less one for each layer, and never to more than 255.
    int left = 255;
    for (std::size_t k = 0; k < weights.size(); ++k) {
        const double exact = shares[k] * scale;
        // Truncation is the floor of a number that is not negative.
        const int whole = static_cast<int>(exact);
        bytes[k] = static_cast<std::uint8_t>(whole);
        remainders[k] = exact - whole;
        left -= whole;
    }
    GiveLeftBytes(left, weights.size(), [&remainders](std::size_t k) -> double& { return remainders[k]; }, bytes.data());
}

void ByteWeightRow(ByteWeightScratch& scratch, std::size_t layers, std::size_t fallback, std::uint8_t* bytes) {
    const std::size_t width = scratch.Total.size();
    const auto row = [&scratch, width](std::size_t layer) { return &scratch.Weights[layer * width]; };
    std::fill(scratch.Total.begin(), scratch.Total.end(), 0.0);
    for (std::size_t k = 0; k < layers; ++k) {
        for (std::size_t x = 0; x < width; ++x) scratch.Total[x] = scratch.Total[x] + row(k)[x];
    }
    // Where the sum is below 1, the fallback and the sum take 1 - sum; elsewhere
    // they stay as they are (they add 0, which keeps them exactly).
    double* fallbackRow = row(fallback);
    const __m128d one = _mm_set1_pd(1);
    std::size_t x = 0;
    for (; x + 2 <= width; x += 2) {
        const __m128d total = _mm_loadu_pd(&scratch.Total[x]);
        const __m128d unclaimed = _mm_and_pd(_mm_cmplt_pd(total, one), _mm_sub_pd(one, total));
        _mm_storeu_pd(&fallbackRow[x], _mm_add_pd(_mm_loadu_pd(&fallbackRow[x]), unclaimed));
        _mm_storeu_pd(&scratch.Total[x], _mm_add_pd(total, unclaimed));
    }
    for (; x < width; ++x) {
        if (scratch.Total[x] < 1) {
            fallbackRow[x] = fallbackRow[x] + (1 - scratch.Total[x]);
            scratch.Total[x] = scratch.Total[x] + (1 - scratch.Total[x]);
        }
    }
    for (std::size_t k = 0; k < width; ++k) scratch.Total[k] = 255 / scratch.Total[k];
    std::fill(scratch.Left.begin(), scratch.Left.end(), 255);
    for (std::size_t k = 0; k < layers; ++k) {
        double* shares = row(k);
        for (std::size_t p = 0; p < width; ++p) {
            const double exact = shares[p] * scratch.Total[p];
            const int whole = static_cast<int>(exact);
            shares[p] = exact - whole;  // from here on the remainder
            scratch.Left[p] -= whole;
            bytes[p * layers + k] = static_cast<std::uint8_t>(whole);
        }
    }
    for (std::size_t p = 0; p < width; ++p) {
        GiveLeftBytes(scratch.Left[p], layers, [&row, p](std::size_t k) -> double& { return row(k)[p]; }, &bytes[p * layers]);
    }
}

}  // namespace orvalis
