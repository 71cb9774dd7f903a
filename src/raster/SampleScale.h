#pragma once

#include <algorithm>
#include <cmath>

namespace orvalis {

// How real samples (signed or floating-point) become heights on the grey
// scale: Low becomes 0 and Low + Span 255, linearly between, clamped. A
// sample without data (NaN, infinite) is height 0.
struct SampleScale {
    double Low = 0;
    double Span = 0;  // High - Low; nothing above 0 maps everything to 0

    // Multiplied first, so a whole-number v rounds once: over 0 .. 65535 that is
    // the 16-bit v / 257 exactly (33 x 255 / 65535 is, 33 / 65535 x 255 is not).
    double Height(double v) const {
        if (!std::isfinite(v) || !(Span > 0)) return 0;
        return std::clamp((v - Low) * 255 / Span, 0.0, 255.0);
    }
};

}  // namespace orvalis
