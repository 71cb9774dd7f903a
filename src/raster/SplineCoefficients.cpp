#include "raster/SplineCoefficients.h"

#include <algorithm>

namespace orvalis {

namespace {

// Columns solved side by side, reading and writing neighbouring values.
constexpr std::int32_t kColumnsAtOnce = 64;

// The pivots of the tridiagonal system of a line of `count` cells, whose
// unknowns are the coefficients 1 .. count - 2 (the ends equal their
// heights): p[1] = 4, p[k] = 4 - 1 / p[k - 1]. They lie between 3.7 and 4,
// so the elimination is stable.
std::vector<double> PivotsOf(std::int32_t count) {
    std::vector<double> pivots(static_cast<std::size_t>(std::max(count, 2)), 4.0);
    for (std::int32_t k = 2; k + 1 < count; ++k) pivots[k] = 4 - 1 / pivots[k - 1];
    return pivots;
}

// `lines` neighbouring lines of `count` heights each, a line's heights
// `stride` apart, into their coefficients by the Thomas algorithm: forward
// elimination, then back substitution.
void SolveLines(double* first, std::int32_t lines, std::int32_t count, std::size_t stride,
                const std::vector<double>& pivots) {
    if (count < 3) return;
    const auto at = [first, stride](std::int32_t k) { return first + static_cast<std::size_t>(k) * stride; };
    const std::int32_t last = count - 2;
    for (std::int32_t k = 1; k <= last; ++k) {
        double* here = at(k);
        const double *before = at(k - 1), *end = at(count - 1);
        for (std::int32_t j = 0; j < lines; ++j) {
            here[j] = 6 * here[j] - (k == 1 ? before[j] : before[j] / pivots[k - 1]) - (k == last ? end[j] : 0.0);
        }
    }
    for (std::int32_t j = 0; j < lines; ++j) at(last)[j] /= pivots[last];
    for (std::int32_t k = last - 1; k >= 1; --k) {
        double* here = at(k);
        const double* after = at(k + 1);
        for (std::int32_t j = 0; j < lines; ++j) here[j] = (here[j] - after[j]) / pivots[k];
    }
}

}  // namespace

void ToSplineCoefficients(std::vector<double>& plane, std::int32_t width, std::int32_t rows, bool acrossColumns,
                          bool acrossRows, const RunOptions& options) {
    if (acrossColumns) {
        const std::vector<double> pivots = PivotsOf(width);
        ParallelRows(rows, options, SynthesisStage::Blend, [&](std::int32_t row) {
            SolveLines(&plane[static_cast<std::size_t>(row) * width], 1, width, 1, pivots);
        });
    }
    if (acrossRows) {
        const std::vector<double> pivots = PivotsOf(rows);
        const std::int32_t blocks = (width + kColumnsAtOnce - 1) / kColumnsAtOnce;
        ParallelRows(blocks, options, SynthesisStage::Blend, [&](std::int32_t block) {
            const std::int32_t first = block * kColumnsAtOnce;
            SolveLines(&plane[static_cast<std::size_t>(first)], std::min(kColumnsAtOnce, width - first), rows,
                       static_cast<std::size_t>(width), pivots);
        });
    }
}

}  // namespace orvalis
