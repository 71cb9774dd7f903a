// Compiled with -mavx2 (the file's name says so); run only where the processor has it.
#include "lighting/NormalLaneKernels.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include <cstdint>

#include "lighting/NormalLaneArithmetic.h"
#endif

namespace orvalis {

#if defined(__AVX2__)

namespace {

// Four double lanes; a mask lane is all ones or all zeros.
struct Avx2Lanes {
    static constexpr int kCount = 4;
    using Doubles = __m256d;
    using Singles = __m128;
    using Mask = __m256d;

    static Doubles Load(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
    static Singles LoadSingles(const float* p) { return _mm_loadu_ps(p); }
    static Doubles Splat(double v) { return _mm256_set1_pd(v); }
    static Singles Narrow(Doubles v) { return _mm256_cvtpd_ps(v); }
    static Doubles Widen(Singles v) { return _mm256_cvtps_pd(v); }
    static Doubles Sqrt(Doubles v) { return _mm256_sqrt_pd(v); }
    static Doubles Max(Doubles a, Doubles b) { return _mm256_max_pd(a, b); }
    static Doubles Min(Doubles a, Doubles b) { return _mm256_min_pd(a, b); }
    static void Store(float* p, Singles v) { _mm_storeu_ps(p, v); }
    // Entries out[0 .. 3] from the lanes truncated toward zero, interleaved
    // x, y, z. Packing saturates, which changes no certain lane: those lie
    // within -127 .. 127.
    static void StoreEntries(NormalEntry* out, Singles x, Singles y, Singles z) {
        const __m128i xy = _mm_packs_epi32(_mm_cvttps_epi32(x), _mm_cvttps_epi32(y));
        const __m128i zz = _mm_packs_epi32(_mm_cvttps_epi32(z), _mm_cvttps_epi32(z));
        const __m128i bytes = _mm_packs_epi16(xy, zz);  // x0 .. x3, y0 .. y3, z0 .. z3, z0 .. z3
        const __m128i entries =
            _mm_shuffle_epi8(bytes, _mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1));
        auto* to = reinterpret_cast<unsigned char*>(out);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to), entries);
        const int last = _mm_cvtsi128_si32(_mm_srli_si128(entries, 8));
        __builtin_memcpy(to + 8, &last, 4);
    }

    static Mask All() { return _mm256_castsi256_pd(_mm256_set1_epi64x(-1)); }
    static unsigned Bits(Mask m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
    // The lanes whose exponent is not all ones.
    static Mask Finite(Doubles v) {
        const __m256i magnitude = _mm256_and_si256(_mm256_castpd_si256(v), _mm256_set1_epi64x(INT64_MAX));
        return _mm256_castsi256_pd(_mm256_cmpgt_epi64(_mm256_set1_epi64x(std::int64_t{0x7ff} << 52), magnitude));
    }

    // certain, kept in the lanes where SingleIsCertain(v) holds: zero, or a
    // normal single result whose 29 bits below single precision lie more
    // than kTieMargin from a tie.
    static Mask KeepCertain(Mask certain, Doubles v) {
        const __m256i bits = _mm256_castpd_si256(v);
        const __m256i exponent = _mm256_and_si256(_mm256_srli_epi64(bits, 52), _mm256_set1_epi64x(0x7ff));
        const __m256i fromTie = _mm256_sub_epi64(_mm256_and_si256(bits, _mm256_set1_epi64x(0x1fffffff)),
                                                 _mm256_set1_epi64x(0x10000000));
        const __m256i normal = _mm256_and_si256(_mm256_cmpgt_epi64(exponent, _mm256_set1_epi64x(1023 - 127)),
                                                _mm256_cmpgt_epi64(_mm256_set1_epi64x(1023 + 128), exponent));
        const __m256i clear = _mm256_or_si256(_mm256_cmpgt_epi64(fromTie, _mm256_set1_epi64x(kTieMargin)),
                                              _mm256_cmpgt_epi64(_mm256_set1_epi64x(-kTieMargin), fromTie));
        const __m256d zero = _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_EQ_OQ);
        return _mm256_and_pd(certain, _mm256_or_pd(zero, _mm256_castsi256_pd(_mm256_and_si256(normal, clear))));
    }
};

constexpr NormalLaneKernel kAvx2Kernel = KernelOf<Avx2Lanes>();

}  // namespace

const NormalLaneKernel* Avx2NormalLanes() { return &kAvx2Kernel; }

#else

const NormalLaneKernel* Avx2NormalLanes() { return nullptr; }

#endif

}  // namespace orvalis
