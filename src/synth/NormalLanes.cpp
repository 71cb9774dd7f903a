#include "synth/NormalLanes.h"

#include "math/CertifiedGeometry.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ORVALIS_NORMAL_LANES 1
#endif

namespace orvalis {

#if ORVALIS_NORMAL_LANES

namespace {

// Four lanes of a vector of singles widened to double (exactly).
struct Lanes3 {
    __m256d x, y, z;
};

// Lanes where SingleIsCertain holds: zero, or a normal single result whose
// 29 bits below single precision lie more than kTieMargin from a tie.
__attribute__((target("avx2"))) __m256d Certain(__m256d v) {
    const __m256i bits = _mm256_castpd_si256(v);
    const __m256i exponent = _mm256_and_si256(_mm256_srli_epi64(bits, 52), _mm256_set1_epi64x(0x7ff));
    const __m256i fromTie = _mm256_sub_epi64(_mm256_and_si256(bits, _mm256_set1_epi64x(0x1fffffff)),
                                             _mm256_set1_epi64x(0x10000000));
    const __m256i normal = _mm256_and_si256(_mm256_cmpgt_epi64(exponent, _mm256_set1_epi64x(1023 - 127)),
                                            _mm256_cmpgt_epi64(_mm256_set1_epi64x(1023 + 128), exponent));
    const __m256i clear = _mm256_or_si256(_mm256_cmpgt_epi64(fromTie, _mm256_set1_epi64x(256)),
                                          _mm256_cmpgt_epi64(_mm256_set1_epi64x(-256), fromTie));
    const __m256d zero = _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_EQ_OQ);
    return _mm256_or_pd(zero, _mm256_castsi256_pd(_mm256_and_si256(normal, clear)));
}

// Rounds the lanes to single and widens them back; `certain` keeps the
// lanes where that rounding is the extended operation's.
__attribute__((target("avx2"))) Lanes3 ToSingles(const Lanes3& v, __m256d& certain) {
    certain = _mm256_and_pd(certain, _mm256_and_pd(Certain(v.x), _mm256_and_pd(Certain(v.y), Certain(v.z))));
    return {_mm256_cvtps_pd(_mm256_cvtpd_ps(v.x)), _mm256_cvtps_pd(_mm256_cvtpd_ps(v.y)),
            _mm256_cvtps_pd(_mm256_cvtpd_ps(v.z))};
}

// CertifiedCrossProduct, lane by lane.
__attribute__((target("avx2"))) Lanes3 Cross(const Lanes3& a, const Lanes3& b, __m256d& certain) {
    const Lanes3 r{_mm256_sub_pd(_mm256_mul_pd(a.y, b.z), _mm256_mul_pd(a.z, b.y)),
                   _mm256_sub_pd(_mm256_mul_pd(a.z, b.x), _mm256_mul_pd(a.x, b.z)),
                   _mm256_sub_pd(_mm256_mul_pd(a.x, b.y), _mm256_mul_pd(a.y, b.x))};
    return ToSingles(r, certain);
}

// CertifiedNormalizedCopy, lane by lane: k = 1 / sqrt((x x + y y) + z z).
__attribute__((target("avx2"))) Lanes3 Normalized(const Lanes3& v, __m256d& certain) {
    const __m256d squares = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(v.x, v.x), _mm256_mul_pd(v.y, v.y)),
                                          _mm256_mul_pd(v.z, v.z));
    const __m256d k = _mm256_div_pd(_mm256_set1_pd(1.0), _mm256_sqrt_pd(squares));
    return ToSingles(Lanes3{_mm256_mul_pd(v.x, k), _mm256_mul_pd(v.y, k), _mm256_mul_pd(v.z, k)}, certain);
}

template <typename Component>
__attribute__((target("avx2"))) Lanes3 Gather(const std::array<PixelEdges, kNormalLanes>& pixels, std::size_t t,
                                              Component component) {
    Vector3 v[kNormalLanes];
    for (int i = 0; i < kNormalLanes; ++i) v[i] = component(pixels[i][t]);
    return {_mm256_cvtps_pd(_mm_setr_ps(v[0].x, v[1].x, v[2].x, v[3].x)),
            _mm256_cvtps_pd(_mm_setr_ps(v[0].y, v[1].y, v[2].y, v[3].y)),
            _mm256_cvtps_pd(_mm_setr_ps(v[0].z, v[1].z, v[2].z, v[3].z))};
}

__attribute__((target("avx2"))) unsigned CertainNormalsAvx2(const std::array<PixelEdges, kNormalLanes>& pixels,
                                                            NormalEntry* out) {
    __m256d certain = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    // The sum is kept in singles, added as AddVectors adds.
    __m128 sumX = _mm_setzero_ps(), sumY = _mm_setzero_ps(), sumZ = _mm_setzero_ps();
    for (std::size_t t = 0; t < 8; ++t) {
        const Lanes3 e1 = Gather(pixels, t, [](const TriangleEdges& e) { return e.E1; });
        const Lanes3 e2 = Gather(pixels, t, [](const TriangleEdges& e) { return e.E2; });
        const Lanes3 normal = Normalized(Cross(e1, e2, certain), certain);
        sumX = _mm_add_ps(sumX, _mm256_cvtpd_ps(normal.x));
        sumY = _mm_add_ps(sumY, _mm256_cvtpd_ps(normal.y));
        sumZ = _mm_add_ps(sumZ, _mm256_cvtpd_ps(normal.z));
    }
    const Lanes3 unit = Normalized({_mm256_cvtps_pd(sumX), _mm256_cvtps_pd(sumY), _mm256_cvtps_pd(sumZ)}, certain);
    // A product of two singles is exact in double: no check (DoubleScaleVector).
    const __m256d scale = _mm256_set1_pd(127.0);
    alignas(16) std::int32_t x[4], y[4], z[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(x), _mm_cvttps_epi32(_mm256_cvtpd_ps(_mm256_mul_pd(unit.x, scale))));
    _mm_store_si128(reinterpret_cast<__m128i*>(y), _mm_cvttps_epi32(_mm256_cvtpd_ps(_mm256_mul_pd(unit.y, scale))));
    _mm_store_si128(reinterpret_cast<__m128i*>(z), _mm_cvttps_epi32(_mm256_cvtpd_ps(_mm256_mul_pd(unit.z, scale))));
    const auto done = static_cast<unsigned>(_mm256_movemask_pd(certain));
    for (int i = 0; i < kNormalLanes; ++i) {
        // Certain lanes hold unit components times 127: always within the int8 range.
        if (done >> i & 1) {
            out[i] = NormalEntry{static_cast<std::int8_t>(x[i]), static_cast<std::int8_t>(y[i]),
                                 static_cast<std::int8_t>(z[i])};
        }
    }
    return done;
}

// The certain lanes of four vectors normalised; returns a bit per vector replaced.
__attribute__((target("avx2"))) unsigned CertainUnitVectors(Vector3* v) {
    const Lanes3 in{_mm256_cvtps_pd(_mm_setr_ps(v[0].x, v[1].x, v[2].x, v[3].x)),
                    _mm256_cvtps_pd(_mm_setr_ps(v[0].y, v[1].y, v[2].y, v[3].y)),
                    _mm256_cvtps_pd(_mm_setr_ps(v[0].z, v[1].z, v[2].z, v[3].z))};
    __m256d certain = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    const Lanes3 unit = Normalized(in, certain);
    alignas(16) float x[4], y[4], z[4];
    _mm_store_ps(x, _mm256_cvtpd_ps(unit.x));
    _mm_store_ps(y, _mm256_cvtpd_ps(unit.y));
    _mm_store_ps(z, _mm256_cvtpd_ps(unit.z));
    const auto done = static_cast<unsigned>(_mm256_movemask_pd(certain));
    for (int i = 0; i < kNormalLanes; ++i) {
        if (done >> i & 1) v[i] = Vector3{x[i], y[i], z[i]};
    }
    return done;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

}  // namespace

void NormalizeAll(Vector3* vectors, std::size_t count) {
    std::size_t i = 0;
    if (HasAvx2()) {
        for (; i + kNormalLanes <= count; i += kNormalLanes) {
            const unsigned done = CertainUnitVectors(vectors + i);
            for (int k = 0; k < kNormalLanes; ++k) {
                if (!(done >> k & 1)) CertifiedNormalizedCopy(vectors[i + k], vectors[i + k]);
            }
        }
    }
    for (; i < count; ++i) CertifiedNormalizedCopy(vectors[i], vectors[i]);
}

unsigned CertainNormals(const std::array<PixelEdges, kNormalLanes>& pixels, NormalEntry* out) {
    return HasAvx2() ? CertainNormalsAvx2(pixels, out) : 0;
}

#else

unsigned CertainNormals(const std::array<PixelEdges, kNormalLanes>&, NormalEntry*) { return 0; }

void NormalizeAll(Vector3* vectors, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) CertifiedNormalizedCopy(vectors[i], vectors[i]);
}

#endif

}  // namespace orvalis
