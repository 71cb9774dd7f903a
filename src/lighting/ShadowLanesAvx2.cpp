// Compiled with -mavx2 (the file's name says so); run only where the processor has it.
//
// The shadow march of neighbouring pixels in AVX2 lanes. Each lane makes
// exactly the single additions and comparisons of the one-ray march; the
// lanes only share the search for blocks that lie below all of them.
#include <cstddef>

#include "math/RepeatedSumLanes.h"
#include "lighting/ShadowLaneKernel.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace orvalis {

#if defined(__AVX2__)

namespace {

static_assert(kSumLanes == kShadowLanes);

// Passing a region costs up to three repeated sums for every lane; fewer
// steps are cheaper taken one by one, all lanes at once.
constexpr std::int64_t kShortestLanePass = 8;
// Near rough ground searches keep failing: after each that finds nothing
// the lanes take twice as many steps before the next, up to a limit.
constexpr int kStepsBetweenSearches = 3;
constexpr int kMostStepsBetweenSearches = 12;

// The live lanes of v after `steps` additions of step each.
__m256 PassLanes(__m256 v, float step, std::int64_t steps, unsigned liveLanes) {
    alignas(32) float lanes[kShadowLanes];
    _mm256_store_ps(lanes, v);
    RepeatedSumLanes(lanes, step, steps, liveLanes);
    return _mm256_load_ps(lanes);
}

// The least of the live lanes of v.
float LeastOf(__m256 v, __m256 live) {
    __m256 m = _mm256_blendv_ps(_mm256_set1_ps(__builtin_inff()), v, live);
    m = _mm256_min_ps(m, _mm256_permute2f128_ps(m, m, 1));
    m = _mm256_min_ps(m, _mm256_shuffle_ps(m, m, _MM_SHUFFLE(1, 0, 3, 2)));
    m = _mm256_min_ps(m, _mm256_shuffle_ps(m, m, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm256_cvtss_f32(m);
}

// Rays cross a row of the grid almost every step, and rows lie far apart in
// memory: the cells and bounds a few steps on are asked for ahead, so that
// they have arrived when the lanes get there. Only addresses are worked out
// here; no answer depends on them.
constexpr float kPrefetchSteps = 8;

void PrefetchAhead(const ShadowLaneTables& t, __m256 x, __m256 z, unsigned liveLanes) {
    const __m256i first = _mm256_set1_epi32(__builtin_ctz(liveLanes));
    const float aheadX = _mm256_cvtss_f32(_mm256_permutevar8x32_ps(x, first)) + kPrefetchSteps * t.DirX;
    const float aheadZ = _mm256_cvtss_f32(_mm256_permutevar8x32_ps(z, first)) + kPrefetchSteps * t.DirZ;
    if (!(aheadX >= 0 && aheadZ >= 0 && aheadX < static_cast<float>(t.Columns - kShadowLanes) &&
          aheadZ < static_cast<float>(t.Rows))) {
        return;
    }
    const std::size_t cell = static_cast<std::size_t>(static_cast<std::int32_t>(aheadZ)) * t.Columns +
                             static_cast<std::size_t>(static_cast<std::int32_t>(aheadX));
    // The lanes span up to two cache lines of each table.
    __builtin_prefetch(t.Cells + cell);
    __builtin_prefetch(t.Cells + cell + kShadowLanes - 1);
    const std::uint8_t* const tables[] = {t.Horizon, t.ShadowedBelow};
    for (const std::uint8_t* table : tables) {
        if (table == nullptr) continue;
        __builtin_prefetch(table + cell);
        __builtin_prefetch(table + cell + kShadowLanes - 1);
    }
}

struct LaneCells {
    __m256 Height, Ahead;  // Ahead: the least of the bounds ahead
    __m256 ShadowedBelow;  // 0 where nothing is claimed
};

// Lanes side by side usually sit in one row and in neighbouring columns:
// then their cells and ahead heights are read as vectors. Other lanes are
// read one by one (dead lanes read nothing and get 0). Library calls are
// kept out of this file, so that no inline copy of one built for AVX2 can
// stand in for the plain one elsewhere.
LaneCells CellsOf(const ShadowLaneTables& t, __m256i row, __m256i column, __m256 live) {
    const auto liveLanes = static_cast<unsigned>(_mm256_movemask_ps(live));
    alignas(32) std::int32_t rows[kShadowLanes], columns[kShadowLanes];
    _mm256_store_si256(reinterpret_cast<__m256i*>(rows), row);
    _mm256_store_si256(reinterpret_cast<__m256i*>(columns), column);
    const int first = __builtin_ctz(liveLanes);
    const std::int32_t base = columns[first] - first, sharedRow = rows[first];
    const __m256i neighbours = _mm256_add_epi32(_mm256_set1_epi32(base), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i inLine = _mm256_and_si256(_mm256_cmpeq_epi32(column, neighbours),
                                            _mm256_cmpeq_epi32(row, _mm256_set1_epi32(sharedRow)));
    const auto inLineLanes = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(inLine)));
    if ((inLineLanes & liveLanes) == liveLanes && base >= 0 && base + kShadowLanes <= t.Columns) {
        const std::uint8_t* cells = t.Cells + static_cast<std::size_t>(sharedRow) * t.Columns + base;
        const __m256i bytes = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells)));
        __m256 height;
        if (t.ScaleInSingles) {
            height = _mm256_mul_ps(_mm256_cvtepi32_ps(bytes), _mm256_set1_ps(t.Scale));
        } else {
            alignas(32) float heights[kShadowLanes];
            for (int j = 0; j < kShadowLanes; ++j) heights[j] = t.ScaledBelow[cells[j]];
            height = _mm256_load_ps(heights);
        }
        __m256 ahead = _mm256_min_ps(_mm256_loadu_ps(t.AheadInColumns + base), _mm256_set1_ps(t.AheadInRows[sharedRow]));
        if (t.Horizon != nullptr) {
            const auto* horizon = reinterpret_cast<const __m128i*>(t.Horizon + (cells - t.Cells));
            ahead = _mm256_min_ps(ahead, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(horizon))));
        }
        __m256 shadowed = _mm256_setzero_ps();
        if (t.ShadowedBelow != nullptr) {
            const auto below = reinterpret_cast<const __m128i*>(t.ShadowedBelow + (cells - t.Cells));
            shadowed = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(below)));
        }
        return {height, ahead, shadowed};
    }
    alignas(32) float height[kShadowLanes] = {}, ahead[kShadowLanes] = {}, shadowed[kShadowLanes] = {};
    for (int j = 0; j < kShadowLanes; ++j) {
        if (!(liveLanes >> j & 1)) continue;
        const std::size_t cell = static_cast<std::size_t>(rows[j]) * t.Columns + columns[j];
        height[j] = t.ScaledBelow[t.Cells[cell]];
        const float inColumn = t.AheadInColumns[columns[j]], inRow = t.AheadInRows[rows[j]];
        ahead[j] = inRow < inColumn ? inRow : inColumn;
        if (t.Horizon != nullptr && static_cast<float>(t.Horizon[cell]) < ahead[j]) ahead[j] = t.Horizon[cell];
        if (t.ShadowedBelow != nullptr) shadowed[j] = t.ShadowedBelow[cell];
    }
    return {_mm256_load_ps(height), _mm256_load_ps(ahead), _mm256_load_ps(shadowed)};
}

unsigned BlockedLanes(const ShadowLaneTables& t, std::int32_t row, std::int32_t firstColumn, const float* heights,
                      ShadowLaneSpan span) {
    const __m256 dx = _mm256_set1_ps(t.DirX), dy = _mm256_set1_ps(t.DirY), dz = _mm256_set1_ps(t.DirZ);
    const __m256 lastX = _mm256_set1_ps(static_cast<float>(t.Columns - 1));
    const __m256 lastZ = _mm256_set1_ps(static_cast<float>(t.Rows - 1));

    const __m256i startColumns = _mm256_add_epi32(_mm256_set1_epi32(firstColumn), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    __m256 x = _mm256_add_ps(_mm256_cvtepi32_ps(startColumns), dx);
    __m256 y = _mm256_add_ps(_mm256_loadu_ps(heights), dy);
    __m256 z = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(row)), dz);

    __m256 live = _mm256_castsi256_ps(_mm256_set1_epi32(-1));
    unsigned blocked = 0;
    // As in the one-ray march, a lane ends lit once it leaves the picture or
    // rises above every cell ahead; false when no lane is left.
    LaneCells at;
    const auto settle = [&] {
        const __m256 inside = _mm256_and_ps(_mm256_and_ps(_mm256_cmp_ps(x, _mm256_setzero_ps(), _CMP_GT_OQ),
                                                          _mm256_cmp_ps(x, lastX, _CMP_LT_OQ)),
                                            _mm256_and_ps(_mm256_cmp_ps(z, _mm256_setzero_ps(), _CMP_GT_OQ),
                                                          _mm256_cmp_ps(z, lastZ, _CMP_LT_OQ)));
        live = _mm256_and_ps(live, inside);
        if (_mm256_movemask_ps(live) == 0) return false;
        PrefetchAhead(t, x, z, static_cast<unsigned>(_mm256_movemask_ps(live)));
        at = CellsOf(t, _mm256_cvttps_epi32(z), _mm256_cvttps_epi32(x), live);
        const __m256 above = _mm256_cmp_ps(y, at.Ahead, _CMP_GT_OQ);
        live = _mm256_andnot_ps(above, live);
        return _mm256_movemask_ps(live) != 0;
    };
    int level = 0;
    int stepsBeforeSearch = kStepsBetweenSearches;
    for (;;) {
        // A few steps one by one, each of every lane: is its cell as high as
        // the ray? Near the ground a search for clear blocks after every
        // step would cost more than it saves.
        for (int i = 0; i < stepsBeforeSearch; ++i) {
            if (!settle()) return blocked;
            // Blocked here, or surely further on (from 0 up).
            const __m256 surely = _mm256_and_ps(_mm256_cmp_ps(y, at.ShadowedBelow, _CMP_LT_OQ),
                                                _mm256_cmp_ps(y, _mm256_setzero_ps(), _CMP_GE_OQ));
            const __m256 hit =
                _mm256_and_ps(live, _mm256_or_ps(_mm256_cmp_ps(y, at.Height, _CMP_LE_OQ), surely));
            blocked |= static_cast<unsigned>(_mm256_movemask_ps(hit));
            live = _mm256_andnot_ps(hit, live);
            if (_mm256_movemask_ps(live) == 0) return blocked;
            x = _mm256_add_ps(x, dx);
            y = _mm256_add_ps(y, dy);
            z = _mm256_add_ps(z, dz);
        }
        if (!settle()) return blocked;
        span.LowestHeight = LeastOf(y, live);
        span.LeastX = LeastOf(x, live);
        span.MostX = -LeastOf(_mm256_sub_ps(_mm256_setzero_ps(), x), live);
        span.LeastZ = LeastOf(z, live);
        span.MostZ = -LeastOf(_mm256_sub_ps(_mm256_setzero_ps(), z), live);
        const std::int64_t steps = t.StepsWithinClearRegion(t.Rays, span, level);
        stepsBeforeSearch = steps >= kShortestLanePass
                                ? kStepsBetweenSearches
                                : (stepsBeforeSearch * 2 < kMostStepsBetweenSearches ? stepsBeforeSearch * 2
                                                                                    : kMostStepsBetweenSearches);
        if (steps >= kShortestLanePass) {
            // Every cell the live lanes meet in these steps lies below them
            // all, as they only climb.
            const auto liveLanes = static_cast<unsigned>(_mm256_movemask_ps(live));
            if (!span.FixedColumn) x = PassLanes(x, t.DirX, steps, liveLanes);
            y = PassLanes(y, t.DirY, steps, liveLanes);
            if (!span.FixedRow) z = PassLanes(z, t.DirZ, steps, liveLanes);
        }
    }
}

}  // namespace

ShadowLaneKernel* Avx2ShadowLanes() { return BlockedLanes; }

#else

ShadowLaneKernel* Avx2ShadowLanes() { return nullptr; }

#endif

}  // namespace orvalis
