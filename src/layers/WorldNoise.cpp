#include "layers/WorldNoise.h"

#include <algorithm>
#include <cmath>

#include "files/Error.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

constexpr std::array<double, WorldNoise::kOctaves> kWeights = {4.0 / 7, 2.0 / 7, 1.0 / 7};
// Beyond it a lattice index no longer holds the position's fraction.
constexpr double kFarthestLatticeIndex = 4503599627370496.0;  // 2^52

std::uint64_t Mix(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

double Smoothstep(double t) { return t * t * (3 - 2 * t); }

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

// The lattice index below a position in units of the spacing, and the fraction past it.
struct LatticeStep {
    std::int64_t Index;
    double Fraction;
};

LatticeStep StepOf(double units) {
    if (!(std::fabs(units) < kFarthestLatticeIndex)) {
        throw Error("the noise cannot reach " + NumberText(units) + " times its lattice spacing from the origin; "
                    "make the noise scale coarser");
    }
    const double below = std::floor(units);
    return {static_cast<std::int64_t>(below), Smoothstep(units - below)};
}

}  // namespace

WorldNoise::WorldNoise(std::uint32_t seed, std::uint64_t stream, double scale) {
    for (int octave = 0; octave < kOctaves; ++octave) {
        spacings_[octave] = scale / (1 << octave);
        keys_[octave] = Mix(Mix(stream ^ seed) + static_cast<std::uint64_t>(octave));
    }
}

double WorldNoise::LatticeValue(int octave, std::int64_t i, std::int64_t j) const {
    const std::uint64_t hash = Mix(Mix(keys_[octave] ^ static_cast<std::uint64_t>(i)) ^ static_cast<std::uint64_t>(j));
    // The top 53 bits, 0 .. 2 in steps of 2^-52, less 1: exact.
    return static_cast<double>(hash >> 11) * 0x1p-52 - 1;
}

double WorldNoise::At(double x, double y) const {
    double noise = 0;
    for (int octave = 0; octave < kOctaves; ++octave) {
        const LatticeStep across = StepOf(x / spacings_[octave]), up = StepOf(y / spacings_[octave]);
        const auto blended = [&](std::int64_t i) {
            return Lerp(LatticeValue(octave, i, up.Index), LatticeValue(octave, i, up.Index + 1), up.Fraction);
        };
        noise = noise + kWeights[octave] * Lerp(blended(across.Index), blended(across.Index + 1), across.Fraction);
    }
    return noise;
}

std::uint64_t NoiseStreamOf(const std::string& name) {
    std::uint64_t hash = 0xCBF29CE484222325u;  // FNV-1a
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
    return hash;
}

NoiseRows::NoiseRows(const WorldNoise& noise, const std::vector<double>& xs) : noise_(noise) {
    for (int o = 0; o < WorldNoise::kOctaves; ++o) {
        Octave& octave = octaves_[o];
        std::int64_t previous = 0;
        for (std::size_t k = 0; k < xs.size(); ++k) {
            const LatticeStep step = StepOf(xs[k] / noise.Spacing(o));
            if (k == 0) octave.FirstColumn = step.Index;
            if (k == 0 || step.Index != previous) {
                octave.RunStarts.push_back(k);
                octave.RunColumns.push_back(static_cast<std::size_t>(step.Index - octave.FirstColumn));
            }
            previous = step.Index;
            octave.Fade.push_back(step.Fraction);
        }
        octave.RunStarts.push_back(xs.size());
        const std::size_t columns = xs.empty() ? 0 : static_cast<std::size_t>(previous - octave.FirstColumn) + 2;
        octave.Below.resize(columns);
        octave.Above.resize(columns);
        octave.Blended.resize(columns);
    }
}

void NoiseRows::Row(double y, double* out) {
    std::fill_n(out, octaves_[0].Fade.size(), 0.0);
    for (int o = 0; o < WorldNoise::kOctaves; ++o) {
        Octave& octave = octaves_[o];
        const LatticeStep up = StepOf(y / noise_.Spacing(o));
        if (!octave.Cached || octave.CachedRow != up.Index) {
            for (std::size_t k = 0; k < octave.Below.size(); ++k) {
                const std::int64_t i = octave.FirstColumn + static_cast<std::int64_t>(k);
                octave.Below[k] = noise_.LatticeValue(o, i, up.Index);
                octave.Above[k] = noise_.LatticeValue(o, i, up.Index + 1);
            }
            octave.CachedRow = up.Index;
            octave.Cached = true;
        }
        for (std::size_t k = 0; k < octave.Blended.size(); ++k) {
            octave.Blended[k] = Lerp(octave.Below[k], octave.Above[k], up.Fraction);
        }
        for (std::size_t run = 0; run + 1 < octave.RunStarts.size(); ++run) {
            // At's operations in its order: Lerp(left, right, fade), weighted, added.
            const double left = octave.Blended[octave.RunColumns[run]];
            const double rise = octave.Blended[octave.RunColumns[run] + 1] - left;
            const double weight = kWeights[o];
            for (std::size_t k = octave.RunStarts[run]; k < octave.RunStarts[run + 1]; ++k) {
                out[k] = out[k] + weight * (left + rise * octave.Fade[k]);
            }
        }
    }
}

}  // namespace orvalis
