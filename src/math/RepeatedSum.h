#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace orvalis {

namespace repeated_sum_detail {

constexpr std::int64_t kBinadeUnits = std::int64_t{1} << 23;  // units of spacing at a binade's bottom
// A count up to this times an increment below 2^23 stays inside int64.
constexpr std::int64_t kFitsProduct = std::int64_t{1} << 38;

// Additions that add the same number of spacings, in one go. Inside one
// binade [2^e, 2^(e+1)) the singles are exactly the whole multiples of one
// spacing, so while the sums stay there every addition rounds step to the
// same whole number of spacings - unless step is exactly a whole and a half
// spacings, where ties to even make the increment alternate. Returns how
// many additions it did (0 when it could do none this way).
inline std::int64_t AddRun(float& value, float step, std::int64_t count) {
    const float magnitude = std::fabs(value);
    const auto bits = std::bit_cast<std::uint32_t>(magnitude);
    const auto biasedExponent = static_cast<int>(bits >> 23);
    if (biasedExponent == 0 || biasedExponent == 255 || !std::isfinite(step)) return 0;
    // The spacing of singles in this binade and its inverse, built from
    // their bits: powers of two that are normal doubles, so scaling by them
    // is exact.
    const int exponent = biasedExponent - 127 - 23;
    const auto spacing = std::bit_cast<double>(static_cast<std::uint64_t>(1023 + exponent) << 52);
    const auto perSpacing = std::bit_cast<double>(static_cast<std::uint64_t>(1023 - exponent) << 52);
    // A negative value walks like its mirror image with the step mirrored.
    const double quotient = (value < 0 ? -static_cast<double>(step) : step) * perSpacing;  // exact
    if (!(std::fabs(quotient) < kBinadeUnits)) return 0;
    // Nearest whole number; quotient has at most 24 significant bits, so
    // adding a half is exact or only rounds away bits far below it.
    const auto whole = static_cast<double>(static_cast<std::int64_t>(quotient + std::copysign(0.5, quotient)));
    if (std::fabs(quotient - whole) == 0.5) return 0;
    const auto increment = static_cast<std::int64_t>(whole);
    const std::int64_t units = kBinadeUnits | (bits & (kBinadeUnits - 1));
    // Sums kept one spacing inside the binade round to whole spacings there.
    constexpr std::int64_t lowest = kBinadeUnits + 1, highest = 2 * kBinadeUnits - 2;
    // The room left in the binade, in spacings, over the increment. An
    // integer division costs as much as all the rest: it is only done when
    // the additions asked for do not all fit, and then in double, whose
    // quotient of two whole numbers below 2^24 never rounds up to the next
    // whole number (it lies at least 2^-24 below it, relative 2^-48).
    const std::int64_t room = increment > 0 ? highest - units : units - lowest;
    const std::int64_t stride = increment > 0 ? increment : -increment;
    std::int64_t run = 0;
    if (increment == 0) run = units >= lowest && units <= highest ? count : 0;  // each sum rounds back to value
    else if (count <= kFitsProduct && count * stride <= room) run = count;
    else run = room < 0 ? 0 : std::min(static_cast<std::int64_t>(static_cast<double>(room) / stride), count);
    if (run <= 0) return 0;
    const double sum = static_cast<double>(units + run * increment) * spacing;  // exact
    value = static_cast<float>(value < 0 ? -sum : sum);
    return run;
}

}  // namespace repeated_sum_detail

// The single that `count` additions of step to start give when each sum is
// rounded to single (to nearest, ties to even), as a loop `v = v + step`
// would leave it, without doing every addition.
// Inline: the shadow march calls it up to three times an iteration.
inline float RepeatedSum(float start, float step, std::int64_t count) {
    using repeated_sum_detail::AddRun;
    float value = start;
    while (count > 0) {
        const std::int64_t done = AddRun(value, step, count);
        if (done > 0) {
            count -= done;
        } else {
            // Zero, subnormal, infinite, a tie, or the bottom of a binade:
            // one addition. A sum that leaves the value as it was (bit for
            // bit) leaves it so for good.
            const float next = value + step;
            if (std::bit_cast<std::uint32_t>(next) == std::bit_cast<std::uint32_t>(value)) return value;
            value = next;
            --count;
        }
    }
    return value;
}

}  // namespace orvalis
