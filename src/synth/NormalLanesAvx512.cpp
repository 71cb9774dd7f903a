// Compiled with -mavx512f (see CMakeLists.txt); run only where the processor has it.
#include "synth/NormalLaneKernels.h"

#if defined(__AVX512F__)
#include <immintrin.h>

#include <cstdint>

#include "synth/NormalLaneArithmetic.h"
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
    static void Store(float* p, Singles v) { _mm256_storeu_ps(p, v); }
    static void StoreTruncated(std::int32_t* p, Singles v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_cvttps_epi32(v));
    }

    static Mask All() { return 0xff; }
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

const NormalLaneKernel* Avx512NormalLanes() {
    static const bool has = __builtin_cpu_supports("avx512f");
    return has ? &kAvx512Kernel : nullptr;
}

#else

const NormalLaneKernel* Avx512NormalLanes() { return nullptr; }

#endif

}  // namespace orvalis
