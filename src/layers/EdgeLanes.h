#pragma once

#include <cstddef>

namespace orvalis {

// The edges of a row of conditions, two pixels at a time in SSE2 lanes
// (every x86-64 processor has them): the operations of RampWeight and
// StepWeight (ConditionWeight.h) in their order, so the same doubles.
// The compiler leaves such selections of doubles unvectorised, since a
// comparison may raise a floating-point exception.

// weights[x] = weights[x] x RampWeight(inside[x], ramp), x < count.
void MultiplyRamps(double* weights, const double* inside, double ramp, std::size_t count);
// weights[x] = weights[x] x StepWeight(inside[x]), x < count.
void MultiplySteps(double* weights, const double* inside, std::size_t count);

}  // namespace orvalis
