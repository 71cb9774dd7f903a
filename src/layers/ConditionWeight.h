#pragma once

#include <cmath>
#include <span>
#include <vector>

#include "layers/LayerRules.h"

namespace orvalis {

// The weights 0 .. 1 of conditions at their attribute's values, the noise
// already added to the values. A value that is not a number (the aspect of
// level ground, a slope of overflowing heights) meets no condition.

// The weight `inside` units within an edge (negative: outside it), the ramp
// centred on the edge; the bound itself belongs to a hard edge. Not a
// number weighs 0. Plain selections of values, which EdgeLanes runs in
// vector lanes.
inline double RampWeight(double inside, double ramp) {
    const double rising = inside / ramp + 0.5;
    const double above = rising > 0 ? rising : 0.0;
    return above < 1 ? above : 1.0;
}
inline double StepWeight(double inside) { return inside >= 0 ? 1.0 : 0.0; }

// The angle between two directions, 0 .. 180, for `degrees` within
// -360 .. 360 and `centre` within 0 .. 360: the exact remainder of their
// difference by 360, by additions that are exact in that span.
inline double AngleBetween(double degrees, double centre) {
    double away = degrees - centre;
    away = away > 180 ? away - 360 : away;
    away = away < -180 ? away + 360 : away;
    away = away < -180 ? away + 360 : away;
    return std::fabs(away);
}

// weights[x] = weights[x] x the weight of each edge of the condition at
// values[x], in turn (a range's rising edge before its falling one; an open
// end has none). `inside` is a scratch row of the weights' length.
void MultiplyRange(std::span<double> weights, const double* values, const RangeRule& range,
                   std::vector<double>& inside);
void MultiplyAspect(std::span<double> weights, const double* degrees, const AspectRule& aspect,
                    std::vector<double>& inside);

}  // namespace orvalis
