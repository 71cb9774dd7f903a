// Compiled with -mavx2 (the file's name says so); run only where the processor has it.
#include "math/RepeatedSumLanes.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace orvalis {

#if defined(__AVX2__)

namespace {

// One round of RepeatedSum in every lane with additions left: as many as
// one formula can do, or else one. While a positive value's sums stay
// inside its binade (one spacing from either end), each addition adds the
// same whole number of spacings, as AddRun explains; a value that cannot go
// that way (zero, negative, a tie, the edge of a binade) adds once.
void AddRound(__m256& v, float step, __m256i& left) {
    constexpr std::int32_t kUnits = (1 << 23) - 1;  // the bits below the exponent
    const __m256i bits = _mm256_castps_si256(v);
    const __m256i biasedExponent = _mm256_srli_epi32(bits, 23);
    // step over the lane's spacing 2^(exponent - 23), by a power of two
    // built from its bits: exact unless the quotient is far below one.
    const __m256i inverse = _mm256_slli_epi32(_mm256_sub_epi32(_mm256_set1_epi32(150 + 127), biasedExponent), 23);
    const __m256 quotient = _mm256_mul_ps(_mm256_set1_ps(step), _mm256_castsi256_ps(inverse));
    const __m256i increment = _mm256_cvtps_epi32(quotient);  // to nearest, ties to even
    const __m256 fromWhole = _mm256_sub_ps(quotient, _mm256_cvtepi32_ps(increment));
    const __m256i units = _mm256_and_si256(bits, _mm256_set1_epi32(kUnits));
    // A positive normal value (not so small that its inverse spacing
    // overflows) with a step that is not a tie and not too long.
    const __m256 magnitude = _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff));
    const __m256 fits = _mm256_and_ps(
        _mm256_cmp_ps(_mm256_and_ps(quotient, magnitude), _mm256_set1_ps(0x1p22f), _CMP_LT_OQ),
        _mm256_cmp_ps(_mm256_and_ps(fromWhole, magnitude), _mm256_set1_ps(0.5f), _CMP_LT_OQ));
    const __m256i formula = _mm256_and_si256(
        _mm256_castps_si256(fits), _mm256_and_si256(_mm256_cmpgt_epi32(biasedExponent, _mm256_set1_epi32(22)),
                                                    _mm256_cmpgt_epi32(_mm256_set1_epi32(255), biasedExponent)));
    // The spacings left between the value and the binade's second (last
    // but one) single, over the stride: in double, whose quotient of whole
    // numbers below 2^24 never rounds up to the next whole number.
    const __m256i up = _mm256_sub_epi32(_mm256_set1_epi32(kUnits - 1), units);
    const __m256i down = _mm256_sub_epi32(units, _mm256_set1_epi32(1));
    const __m256i rises = _mm256_cmpgt_epi32(increment, _mm256_setzero_si256());
    const __m256i falls = _mm256_cmpgt_epi32(_mm256_setzero_si256(), increment);
    const __m256i room = _mm256_blendv_epi8(_mm256_blendv_epi8(_mm256_min_epi32(up, down), down, falls), up, rises);
    const __m256i stride = _mm256_max_epi32(_mm256_abs_epi32(increment), _mm256_set1_epi32(1));
    const auto wholeQuotient = [](__m128i a, __m128i b) {
        return _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(a), _mm256_cvtepi32_pd(b)));
    };
    const __m256i fit = _mm256_set_m128i(
        wholeQuotient(_mm256_extracti128_si256(room, 1), _mm256_extracti128_si256(stride, 1)),
        wholeQuotient(_mm256_castsi256_si128(room), _mm256_castsi256_si128(stride)));
    // An increment of 0 keeps the value for good once it is inside.
    const __m256i still = _mm256_cmpeq_epi32(increment, _mm256_setzero_si256());
    const __m256i most = _mm256_blendv_epi8(fit, left, still);
    __m256i run = _mm256_min_epi32(left, _mm256_max_epi32(most, _mm256_setzero_si256()));
    run = _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), room), _mm256_and_si256(run, formula));
    const __m256i moved = _mm256_add_epi32(units, _mm256_mullo_epi32(increment, run));
    const __m256 sums = _mm256_castsi256_ps(_mm256_or_si256(_mm256_andnot_si256(_mm256_set1_epi32(kUnits), bits), moved));
    // Lanes with additions left but no run add once.
    const __m256i once = _mm256_andnot_si256(_mm256_cmpgt_epi32(run, _mm256_setzero_si256()),
                                             _mm256_cmpgt_epi32(left, _mm256_setzero_si256()));
    v = _mm256_blendv_ps(v, sums, _mm256_castsi256_ps(_mm256_cmpgt_epi32(run, _mm256_setzero_si256())));
    v = _mm256_blendv_ps(v, _mm256_add_ps(v, _mm256_set1_ps(step)), _mm256_castsi256_ps(once));
    left = _mm256_sub_epi32(left, _mm256_sub_epi32(run, once));  // once is -1 where set
}

// A few rounds cover a run within the binade, the addition across its edge
// and a run in the next; the lanes still not done are left to the caller.
void SumsInLanes(float* values, float step, std::int32_t count, unsigned lanes, std::int32_t* remaining) {
    constexpr int kRounds = 4;
    __m256 v = _mm256_loadu_ps(values);
    const __m256i chosen = _mm256_cmpgt_epi32(
        _mm256_and_si256(_mm256_set1_epi32(static_cast<std::int32_t>(lanes)), _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128)),
        _mm256_setzero_si256());
    __m256i left = _mm256_and_si256(_mm256_set1_epi32(count), chosen);
    for (int round = 0; round < kRounds && !_mm256_testz_si256(left, left); ++round) AddRound(v, step, left);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(remaining), left);
    _mm256_storeu_ps(values, v);
}

}  // namespace

SumLanesKernel* Avx2SumLanes() { return SumsInLanes; }

#else

SumLanesKernel* Avx2SumLanes() { return nullptr; }

#endif

}  // namespace orvalis
