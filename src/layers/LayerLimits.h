#pragma once

#include <optional>
#include <string>

#include "layers/LayerRules.h"

namespace orvalis {

// What each setting of a layer set may hold, written once for the layers
// file and for sets made in code. Each gives the problem as text without a
// place ("120 deg lies beyond 90 deg"), or none.
using Problem = std::optional<std::string>;

enum class RangeKind { Height, Slope, Curvature };

Problem RangeProblem(RangeKind kind, const RangeRule& range, const std::string& unit);
Problem AspectProblem(const AspectRule& aspect);
Problem RadiusProblem(double radius);
Problem CoverageProblem(double coverage);
Problem NoiseScaleProblem(double scale);
// Letters, digits, '-' and '_', at most kLongestName.
Problem NameProblem(const std::string& name);
// A path the layers file can hold on one line and give back unchanged.
Problem TileProblem(const std::string& tile);
Problem HeightUnitProblem(const std::string& unit);

inline constexpr std::size_t kLongestName = 32;
// Heights and curvatures beyond it are no terrain's (and keep the integer
// sums of the curvature within 64 bits).
inline constexpr double kLargestHeight = 1e9;
inline constexpr double kLargestGroundDistance = 1e7;
inline constexpr double kSmallestNoiseScale = 1e-3;

}  // namespace orvalis
