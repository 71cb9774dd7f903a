#pragma once

#include <cmath>

#include "layers/LayerRules.h"

namespace orvalis {

// The weight 0 .. 1 of a condition at one value of its attribute, the noise
// already added to the value. A value that is not a number (the aspect of
// level ground, a slope of overflowing heights) meets no condition. Inline:
// the weighing runs them over whole rows.

// The weight `inside` units within an edge (negative: outside it), the ramp
// centred on the edge; the bound itself belongs to a hard edge.
// Not a number weighs 0. Plain selections of values, which the compiler runs
// in vector lanes.
inline double RampWeight(double inside, double ramp) {
    const double rising = inside / ramp + 0.5;
    const double above = rising > 0 ? rising : 0.0;
    return above < 1 ? above : 1.0;
}
inline double StepWeight(double inside) { return inside >= 0 ? 1.0 : 0.0; }
inline double EdgeWeight(double inside, double ramp) { return ramp > 0 ? RampWeight(inside, ramp) : StepWeight(inside); }

// The product of the range's edges, rising then falling (an open end weighs 1).
inline double RangeWeight(const RangeRule& range, double value) {
    double weight = 1;
    if (range.Low != -kOpenEnd) weight = weight * EdgeWeight(value - range.Low, range.Ramp);
    if (range.High != kOpenEnd) weight = weight * EdgeWeight(range.High - value, range.Ramp);
    return weight;
}

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

inline double AspectWeight(const AspectRule& aspect, double degrees) {
    return EdgeWeight(aspect.Width / 2 - AngleBetween(degrees, aspect.Centre), aspect.Ramp);
}

}  // namespace orvalis
