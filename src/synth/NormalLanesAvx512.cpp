// Compiled with -mavx512f (see CMakeLists.txt); run only where the processor has it.
#include "synth/NormalLaneKernels.h"

#if defined(__AVX512F__)
#include <immintrin.h>

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
    static Mask Both(Mask a, Mask b) { return static_cast<Mask>(a & b); }
    static unsigned Bits(Mask m) { return m; }

    // SingleIsCertain: zero, or a normal single result whose 29 bits below
    // single precision lie more than kTieMargin from a tie.
    static Mask Certain(Doubles v) {
        const __m512i bits = _mm512_castpd_si512(v);
        const __m512i exponent = _mm512_and_si512(_mm512_srli_epi64(bits, 52), _mm512_set1_epi64(0x7ff));
        const __m512i fromTie = _mm512_sub_epi64(_mm512_and_si512(bits, _mm512_set1_epi64(0x1fffffff)),
                                                 _mm512_set1_epi64(0x10000000));
        const Mask normal = _mm512_cmpgt_epi64_mask(exponent, _mm512_set1_epi64(1023 - 127)) &
                            _mm512_cmplt_epi64_mask(exponent, _mm512_set1_epi64(1023 + 128));
        const Mask clear = _mm512_cmpgt_epi64_mask(_mm512_abs_epi64(fromTie), _mm512_set1_epi64(kTieMargin));
        return static_cast<Mask>(_mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_EQ_OQ) | (normal & clear));
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
