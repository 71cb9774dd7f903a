#include "layers/EdgeLanes.h"

#include <emmintrin.h>

#include "layers/ConditionWeight.h"

namespace orvalis {

void MultiplyRamps(double* weights, const double* inside, double ramp, std::size_t count) {
    const __m128d ramps = _mm_set1_pd(ramp), half = _mm_set1_pd(0.5), zero = _mm_setzero_pd(), one = _mm_set1_pd(1);
    std::size_t x = 0;
    for (; x + 2 <= count; x += 2) {
        const __m128d rising = _mm_add_pd(_mm_div_pd(_mm_loadu_pd(inside + x), ramps), half);
        // max(a, b) is a > b ? a : b and min(a, b) a < b ? a : b, not a number included.
        const __m128d weight = _mm_min_pd(_mm_max_pd(rising, zero), one);
        _mm_storeu_pd(weights + x, _mm_mul_pd(_mm_loadu_pd(weights + x), weight));
    }
    for (; x < count; ++x) weights[x] = weights[x] * RampWeight(inside[x], ramp);
}

void MultiplySteps(double* weights, const double* inside, std::size_t count) {
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1);
    std::size_t x = 0;
    for (; x + 2 <= count; x += 2) {
        const __m128d weight = _mm_and_pd(_mm_cmpge_pd(_mm_loadu_pd(inside + x), zero), one);
        _mm_storeu_pd(weights + x, _mm_mul_pd(_mm_loadu_pd(weights + x), weight));
    }
    for (; x < count; ++x) weights[x] = weights[x] * StepWeight(inside[x]);
}

}  // namespace orvalis
