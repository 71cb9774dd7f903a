#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvalis {

// Smooth noise of the world, -1 .. 1, a pure function of a ground position
// (x east, y north, in ground units): the same position has the same value
// at every texture size, in every tile and on every thread. Three octaves
// of value noise on square lattices of Scale, Scale / 2 and Scale / 4
// ground units, weighted 4/7, 2/7 and 1/7; each lattice point takes a
// value -1 .. 1 from a hash of its indices, the seed, the stream (one per
// layer) and the octave, and between the points the values are blended
// along y, then along x, by the smoothstep 3t^2 - 2t^3.
class WorldNoise {
public:
    static constexpr int kOctaves = 3;

    WorldNoise(std::uint32_t seed, std::uint64_t stream, double scale);

    // The plain definition, one position at a time.
    double At(double x, double y) const;

    double Spacing(int octave) const { return spacings_[octave]; }
    // The value of lattice point (i, j) of an octave.
    double LatticeValue(int octave, std::int64_t i, std::int64_t j) const;

private:
    std::array<double, kOctaves> spacings_;
    std::array<std::uint64_t, kOctaves> keys_;
};

// The stream of a layer: a hash of its name, so that a layer keeps its noise
// when the layers are reordered.
std::uint64_t NoiseStreamOf(const std::string& name);

// Rows of the noise at fixed x positions, each value the very double At
// gives, with the lattice values of a row kept for the rows that follow.
// One per thread.
class NoiseRows {
public:
    // Raises Error when a position lies so far out that the finest lattice's
    // indices lose their precision.
    NoiseRows(const WorldNoise& noise, const std::vector<double>& xs);
    // out[k] = noise.At(xs[k], y).
    void Row(double y, double* out);

private:
    struct Octave {
        std::vector<double> Fade;                // per position
        // Runs of positions between the same two lattice columns: where
        // each starts (and where the last ends), and its first column,
        // counted from FirstColumn.
        std::vector<std::size_t> RunStarts;
        std::vector<std::size_t> RunColumns;
        std::int64_t FirstColumn = 0;
        std::int64_t CachedRow = 0;
        bool Cached = false;
        // Per lattice column from FirstColumn: the values of the lattice
        // rows below and above the row, and the two blended along y.
        std::vector<double> Below, Above, Blended;
    };
    const WorldNoise& noise_;
    std::array<Octave, WorldNoise::kOctaves> octaves_;
};

}  // namespace orvalis
