#include "layers/ConditionWeight.h"

#include "layers/EdgeLanes.h"

namespace orvalis {

namespace {

// weights[x] = weights[x] x the edge's weight at inside(values[x]).
template <class Inside>
void MultiplyEdge(std::span<double> weights, const double* values, double ramp, Inside inside,
                  std::vector<double>& insides) {
    for (std::size_t x = 0; x < weights.size(); ++x) insides[x] = inside(values[x]);
    if (ramp > 0) {
        MultiplyRamps(weights.data(), insides.data(), ramp, weights.size());
    } else {
        MultiplySteps(weights.data(), insides.data(), weights.size());
    }
}

}  // namespace

void MultiplyRange(std::span<double> weights, const double* values, const RangeRule& range,
                   std::vector<double>& inside) {
    const double low = range.Low, high = range.High;
    if (low != -kOpenEnd) MultiplyEdge(weights, values, range.Ramp, [low](double v) { return v - low; }, inside);
    if (high != kOpenEnd) MultiplyEdge(weights, values, range.Ramp, [high](double v) { return high - v; }, inside);
}

void MultiplyAspect(std::span<double> weights, const double* degrees, const AspectRule& aspect,
                    std::vector<double>& inside) {
    const double half = aspect.Width / 2, centre = aspect.Centre;
    MultiplyEdge(weights, degrees, aspect.Ramp, [half, centre](double v) { return half - AngleBetween(v, centre); },
                 inside);
}

}  // namespace orvalis
