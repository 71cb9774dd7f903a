#include "lighting/HorizonSweep.h"

#include <numbers>

namespace orvalis {

namespace {

// A direction along an axis or a diagonal of square cells comes out of the
// sines a hair off; taken exactly, its lines meet the cell centres exactly.
double SnappedShift(double shift) {
    constexpr double kSnap = 1e-12;
    if (std::fabs(shift) < kSnap) return 0;
    if (std::fabs(std::fabs(shift) - 1) < kSnap) return shift > 0 ? 1 : -1;
    return shift;
}

}  // namespace

SweepPlan PlanSweep(const GroundGrid& grid, double azimuth) {
    const double radians = azimuth * std::numbers::pi / 180;
    // Cells per unit of ground distance toward the direction.
    const double columns = std::sin(radians) / grid.CellX, rows = std::cos(radians) / grid.CellY;
    SweepPlan plan;
    plan.Transposed = std::fabs(rows) > std::fabs(columns);
    const double along = plan.Transposed ? rows : columns, across = plan.Transposed ? columns : rows;
    plan.Along = plan.Transposed ? grid.Rows : grid.Width;
    plan.Across = plan.Transposed ? grid.Width : grid.Rows;
    plan.Shift = SnappedShift(across / along);
    plan.Step = along > 0 ? -1 : 1;
    plan.First = along > 0 ? plan.Along - 1 : 0;
    const double cellAlong = plan.Transposed ? grid.CellY : grid.CellX;
    const double cellAcross = plan.Transposed ? grid.CellX : grid.CellY;
    plan.Spacing = std::hypot(cellAlong, plan.Shift * cellAcross);
    // A cell at (across a, along b) lies between lines floor(a - Shift b) and the next.
    const double lastShift = plan.Shift * (plan.Along - 1);
    plan.FirstLine = static_cast<std::int64_t>(std::floor(-std::max(0.0, lastShift)));
    plan.EndLine = static_cast<std::int64_t>(std::floor(plan.Across - 1 - std::min(0.0, lastShift))) + 2;
    return plan;
}

void HorizonSweeps::PrepareSteps(const SweepPlan& plan) {
    steps_.resize(static_cast<std::size_t>(plan.Along));
    for (std::int32_t j = 0; j < plan.Along; ++j) {
        const std::int32_t along = plan.First + plan.Step * j;
        const double shift = plan.Shift * along;
        const double whole = std::floor(shift);
        const double fraction = shift - whole;
        steps_[j] = {along, static_cast<std::int32_t>(whole), fraction,
                     static_cast<float>(fraction > 0 ? 1 - fraction : 0)};
    }
}

std::pair<std::int32_t, std::int32_t> HorizonSweeps::StepsOnMap(const SweepPlan& plan, std::int64_t line) const {
    // -1 before the map (across-index -1 or less), 0 on it, 1 past it
    // (across-index Across or more); monotonic along a line.
    const auto side = [&](std::int32_t j) {
        const std::int64_t below = line + steps_[j].Whole;
        if (below < -1 || (below == -1 && steps_[j].Fraction == 0)) return -1;
        return below >= plan.Across ? 1 : 0;
    };
    const auto firstWhere = [&](auto holds) {
        std::int32_t low = 0, high = plan.Along;
        while (low < high) {
            const std::int32_t middle = low + (high - low) / 2;
            if (holds(side(middle))) high = middle;
            else low = middle + 1;
        }
        return low;
    };
    if (plan.Along == 0) return {0, 0};
    const bool rising = side(plan.Along - 1) >= side(0);
    if (rising) return {firstWhere([](int s) { return s >= 0; }), firstWhere([](int s) { return s > 0; })};
    return {firstWhere([](int s) { return s <= 0; }), firstWhere([](int s) { return s < 0; })};
}

}  // namespace orvalis
