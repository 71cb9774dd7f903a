// Compiled with -mavx512f (the file's name says so); run only where the processor has it.
#include "lighting/SkyLightLanes.h"

#if defined(__AVX512F__)
#include <immintrin.h>
#endif

namespace orvalis {

#if defined(__AVX512F__)

namespace {

constexpr int kLanes = 8;

__m512d Widened(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }

// a < b ? b : a, lane by lane: std::max's choice, NaN and the sign of zero
// included.
__m512d MaxOf(__m512d a, __m512d b) { return _mm512_mask_blend_pd(_mm512_cmp_pd_mask(a, b, _CMP_LT_OQ), a, b); }

// table[i] + f (table[i + 1] - table[i]) at at = WithinUnit(u) x steps, i
// = min(trunc(at), steps - 1), f = at - i.
__m512d Interpolated(const double* table, __m512d at, __m256i i) {
    const __m512d f = _mm512_sub_pd(at, _mm512_cvtepi32_pd(i));
    const __m512d low = _mm512_i32gather_pd(i, table, 8);
    const __m512d high = _mm512_i32gather_pd(_mm256_add_epi32(i, _mm256_set1_epi32(1)), table, 8);
    return _mm512_add_pd(low, _mm512_mul_pd(f, _mm512_sub_pd(high, low)));
}

std::int32_t AddSkyLight(const SkyLightRow& r, std::int32_t first, std::int32_t end) {
    const __m512d two = _mm512_set1_pd(2.0), zero = _mm512_setzero_pd(), one = _mm512_set1_pd(1.0);
    const __m512d infinity = _mm512_set1_pd(__builtin_inf());
    std::int32_t c = first;
    for (; c + kLanes <= end; c += kLanes) {
        // Horn's slope: ((north + 2 here) + south) on each side, as doubles.
        const __m512d eastSide =
            _mm512_add_pd(_mm512_add_pd(Widened(r.North + c + 1), _mm512_mul_pd(two, Widened(r.Here + c + 1))),
                          Widened(r.South + c + 1));
        const __m512d westSide =
            _mm512_add_pd(_mm512_add_pd(Widened(r.North + c - 1), _mm512_mul_pd(two, Widened(r.Here + c - 1))),
                          Widened(r.South + c - 1));
        const __m512d northSide =
            _mm512_add_pd(_mm512_add_pd(Widened(r.North + c - 1), _mm512_mul_pd(two, Widened(r.North + c))),
                          Widened(r.North + c + 1));
        const __m512d southSide =
            _mm512_add_pd(_mm512_add_pd(Widened(r.South + c - 1), _mm512_mul_pd(two, Widened(r.South + c))),
                          Widened(r.South + c + 1));
        const __m512d east = _mm512_div_pd(_mm512_sub_pd(eastSide, westSide), _mm512_set1_pd(r.EastDivisor));
        const __m512d north = _mm512_div_pd(_mm512_sub_pd(northSide, southSide), _mm512_set1_pd(r.NorthDivisor));
        // The face rises toward the direction by `rise`; the sky counts above
        // it, above the horizon and above level.
        const __m512d rise =
            _mm512_add_pd(_mm512_mul_pd(east, _mm512_set1_pd(r.TowardEast)), _mm512_mul_pd(north, _mm512_set1_pd(r.TowardNorth)));
        const __m512d highest = MaxOf(MaxOf(Widened(r.Horizons + c), rise), zero);
        const __mmask8 endless = _mm512_cmp_pd_mask(
            _mm512_castsi512_pd(_mm512_and_si512(_mm512_castpd_si512(highest), _mm512_set1_epi64(INT64_MAX))),
            infinity, _CMP_EQ_OQ);
        const __m512d u = _mm512_mask_blend_pd(endless, _mm512_div_pd(highest, _mm512_add_pd(one, highest)), one);
        // WithinUnit(u): !(u >= 0) ? 0 : 1 < u ? 1 : u, so a NaN takes entry 0.
        const __m512d clamped = _mm512_mask_blend_pd(
            _mm512_cmp_pd_mask(u, zero, _CMP_NGE_UQ),
            _mm512_mask_blend_pd(_mm512_cmp_pd_mask(one, u, _CMP_LT_OQ), u, one), zero);
        const __m512d at = _mm512_mul_pd(clamped, _mm512_set1_pd(static_cast<double>(r.Steps)));
        const __m256i i = _mm256_min_epi32(_mm512_cvttpd_epi32(at), _mm256_set1_epi32(r.Steps - 1));
        const __m512d level = Interpolated(r.Level, at, i);
        const __m512d facing = Interpolated(r.Facing, at, i);
        const __m512d length = _mm512_sqrt_pd(
            _mm512_add_pd(_mm512_add_pd(one, _mm512_mul_pd(east, east)), _mm512_mul_pd(north, north)));
        const __m512d light =
            MaxOf(zero, _mm512_div_pd(_mm512_sub_pd(level, _mm512_mul_pd(rise, facing)), length));
        _mm256_storeu_ps(r.Light + c, _mm256_add_ps(_mm256_loadu_ps(r.Light + c), _mm512_cvtpd_ps(light)));
    }
    return c;
}

}  // namespace

SkyLightLaneKernel* Avx512SkyLightLanes() { return AddSkyLight; }

#else

SkyLightLaneKernel* Avx512SkyLightLanes() { return nullptr; }

#endif

}  // namespace orvalis
