// Compiled with -mavx512f (the file's name says so); run only where the processor has it.
#include "lighting/NormalLaneKernels.h"

#if defined(__AVX512F__)
#include <immintrin.h>

#include <cstdint>

#include "lighting/NormalLaneArithmetic.h"
#endif

namespace orvalis {

#if defined(__AVX512F__)

namespace {

// Eight double lanes; a mask holds a bit per lane.
struct Avx512Lanes {
    static constexpr int kCount = 8;
    using Doubles = __m512d;
    using Singles = __m256;
    using Mask = __mmask8;

    static Doubles Load(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }
    static Singles LoadSingles(const float* p) { return _mm256_loadu_ps(p); }
    static Doubles Splat(double v) { return _mm512_set1_pd(v); }
    static Singles Narrow(Doubles v) { return _mm512_cvtpd_ps(v); }
    static Doubles Widen(Singles v) { return _mm512_cvtps_pd(v); }
    static Doubles Sqrt(Doubles v) { return _mm512_sqrt_pd(v); }
    static Doubles Max(Doubles a, Doubles b) { return _mm512_max_pd(a, b); }
    static Doubles Min(Doubles a, Doubles b) { return _mm512_min_pd(a, b); }
    static void Store(float* p, Singles v) { _mm256_storeu_ps(p, v); }
    // Entries out[0 .. 7] from the lanes truncated toward zero, their low
    // bytes interleaved x, y, z (a certain lane lies within -127 .. 127).
    static void StoreEntries(NormalEntry* out, Singles x, Singles y, Singles z) {
        const __m512i xy = _mm512_inserti64x4(_mm512_castsi256_si512(_mm256_cvttps_epi32(x)), _mm256_cvttps_epi32(y), 1);
        const __m128i xyBytes = _mm512_cvtepi32_epi8(xy);  // x0 .. x7, y0 .. y7
        const __m128i zBytes = _mm512_cvtepi32_epi8(_mm512_zextsi256_si512(_mm256_cvttps_epi32(z)));
        const __m128i first = _mm_or_si128(
            _mm_shuffle_epi8(xyBytes, _mm_setr_epi8(0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5)),
            _mm_shuffle_epi8(zBytes, _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1)));
        const __m128i rest = _mm_or_si128(
            _mm_shuffle_epi8(xyBytes, _mm_setr_epi8(13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1)),
            _mm_shuffle_epi8(zBytes, _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1)));
        auto* bytes = reinterpret_cast<unsigned char*>(out);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), first);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes + 16), rest);
    }

    static Mask All() { return 0xff; }
    // The lanes whose exponent is not all ones.
    static Mask Finite(Doubles v) {
        const __m512i magnitude = _mm512_and_si512(_mm512_castpd_si512(v), _mm512_set1_epi64(INT64_MAX));
        return _mm512_cmplt_epu64_mask(magnitude, _mm512_set1_epi64(std::int64_t{0x7ff} << 52));
    }
    static unsigned Bits(Mask m) { return m; }

    // certain, kept in the lanes where SingleIsCertain(v) holds: zero, or a
    // normal single result whose 29 bits below single precision lie more
    // than kTieMargin from a tie. Each compare leaves out the lanes the
    // mask before it left out.
    static Mask KeepCertain(Mask certain, Doubles v) {
        const __m512i magnitude = _mm512_and_si512(_mm512_castpd_si512(v), _mm512_set1_epi64(INT64_MAX));
        // Exponents 1023 - 126 .. 1023 + 127, compared with the exponent field at the top.
        Mask kept = _mm512_mask_cmpge_epu64_mask(certain, magnitude, _mm512_set1_epi64(std::int64_t{1023 - 126} << 52));
        kept = _mm512_mask_cmplt_epu64_mask(kept, magnitude, _mm512_set1_epi64(std::int64_t{1023 + 128} << 52));
        // The 29 bits minus the bottom of the zone around the tie, wrapped
        // round: inside the zone exactly when at most two margins.
        const __m512i fromZone = _mm512_and_si512(
            _mm512_sub_epi64(magnitude, _mm512_set1_epi64(0x10000000 - kTieMargin)), _mm512_set1_epi64(0x1fffffff));
        kept = _mm512_mask_cmpgt_epu64_mask(kept, fromZone, _mm512_set1_epi64(2 * kTieMargin));
        return static_cast<Mask>(kept | _mm512_mask_testn_epi64_mask(certain, magnitude, magnitude));
    }
};

constexpr NormalLaneKernel kAvx512Kernel = KernelOf<Avx512Lanes>();

}  // namespace

const NormalLaneKernel* Avx512NormalLanes() { return &kAvx512Kernel; }

#else

const NormalLaneKernel* Avx512NormalLanes() { return nullptr; }

#endif

}  // namespace orvalis
