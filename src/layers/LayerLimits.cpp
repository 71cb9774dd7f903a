#include "layers/LayerLimits.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "math/NumberText.h"

namespace orvalis {

namespace {

std::string Quantity(double value, const std::string& unit) {
    return unit.empty() ? NumberText(value) : NumberText(value) + " " + unit;
}

// Bounds (open ends aside), ramp and noise of one attribute.
struct RangeLimits {
    double Lowest;
    double Highest;
    double LargestRamp;
};

RangeLimits LimitsOf(RangeKind kind) {
    switch (kind) {
        case RangeKind::Slope: return {0, 90, 90};
        case RangeKind::Height:
        case RangeKind::Curvature: break;
    }
    return {-kLargestHeight, kLargestHeight, kLargestHeight};
}

Problem OutsideProblem(const char* what, double value, double lowest, double highest, const std::string& unit) {
    if (std::isfinite(value) && value >= lowest && value <= highest) return std::nullopt;
    return std::string(what) + " " + Quantity(value, unit) + " lies outside " + NumberText(lowest) + " .. " +
           Quantity(highest, unit);
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

}  // namespace

Problem RangeProblem(RangeKind kind, const RangeRule& range, const std::string& unit) {
    const RangeLimits limits = LimitsOf(kind);
    if (range.Low == -kOpenEnd && range.High == kOpenEnd) return "a range needs at least one bound";
    if (range.Low != -kOpenEnd) {
        if (auto problem = OutsideProblem("the bound", range.Low, limits.Lowest, limits.Highest, unit)) return problem;
    }
    if (range.High != kOpenEnd) {
        if (auto problem = OutsideProblem("the bound", range.High, limits.Lowest, limits.Highest, unit)) return problem;
    }
    if (range.Low > range.High) return "the range starts at " + Quantity(range.Low, unit) + ", above its end";
    if (auto problem = OutsideProblem("the ramp", range.Ramp, 0, limits.LargestRamp, unit)) return problem;
    return OutsideProblem("the noise", range.Noise, 0, limits.LargestRamp, unit);
}

Problem AspectProblem(const AspectRule& aspect) {
    if (!(aspect.Centre >= 0 && aspect.Centre < 360)) {
        return "the direction " + Quantity(aspect.Centre, "deg") + " lies outside 0 .. 360 deg (360 not included)";
    }
    if (auto problem = OutsideProblem("the width", aspect.Width, 0, 360, "deg")) return problem;
    if (!(aspect.Width > 0)) return "the width must be above 0 deg";
    if (auto problem = OutsideProblem("the ramp", aspect.Ramp, 0, 360, "deg")) return problem;
    // Wider, and the two ramps would meet behind the slope.
    if (aspect.Width + aspect.Ramp > 360) return "the width and the ramp add up to more than 360 deg";
    return OutsideProblem("the noise", aspect.Noise, 0, 180, "deg");
}

Problem RadiusProblem(double radius) {
    if (radius > 0 && radius <= kLargestGroundDistance) return std::nullopt;
    return "the radius " + Quantity(radius, "m") + " lies outside 0 .. " + Quantity(kLargestGroundDistance, "m") +
           " (0 not included)";
}

Problem CoverageProblem(double coverage) { return OutsideProblem("the coverage", coverage, 0, 1, ""); }

Problem NoiseScaleProblem(double scale) {
    return OutsideProblem("the noise scale", scale, kSmallestNoiseScale, kLargestGroundDistance, "m");
}

Problem NameProblem(const std::string& name) {
    if (name.empty()) return "a layer needs a name";
    if (name.size() > kLongestName) return "a name has at most " + std::to_string(kLongestName) + " characters";
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
    });
    if (!plain) return "a name holds only letters, digits, '-' and '_'";
    return std::nullopt;
}

Problem TileProblem(const std::string& tile) {
    if (tile.empty()) return "the tile needs a path";
    if (std::any_of(tile.begin(), tile.end(), IsControl)) return "the tile's path holds a control character";
    if (tile.front() == ' ' || tile.back() == ' ') return "the tile's path starts or ends with a blank";
    // A '#' after a blank starts a comment in the layers file.
    if (tile.front() == '#' || tile.find(" #") != std::string::npos) return "the tile's path holds \" #\"";
    return std::nullopt;
}

Problem HeightUnitProblem(const std::string& unit) {
    const bool word = !unit.empty() && unit.size() <= 16 && std::all_of(unit.begin(), unit.end(), [](char c) {
        return std::isalpha(static_cast<unsigned char>(c));
    });
    if (!word) return "a height unit is a word of 1 to 16 letters, such as m, ft or level";
    if (unit == "deg") return "deg is the unit of angles, not of heights";
    return std::nullopt;
}

}  // namespace orvalis
