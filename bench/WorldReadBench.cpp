// Reads one window of a heightmap world through HeightWorld and prints its
// lowest and highest height: a script measures the time and peak memory of
// reading part of a file far larger than one picture (bench/world_read.sh).
// The levels come from the world's samples LOW:HIGH, as a tile run is given
// them, or from its statistics, read first with --statistics.
// Usage: orvalis-world-bench FILE X0 Y0 X1 Y1 (LOW:HIGH | --statistics)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "files/Error.h"
#include "io/HeightWorld.h"

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: orvalis-world-bench FILE X0 Y0 X1 Y1 (LOW:HIGH | --statistics)\n");
        return 2;
    }
    try {
        orvalis::PictureReadOptions options;
        options.Threads = 0;
        const orvalis::HeightWorld world(argv[1], options);
        const orvalis::RasterSamples& facts = world.Facts();
        std::printf("world: %s %d x %d %s\n", facts.Format.c_str(), facts.Width, facts.Rows, facts.SampleType.c_str());
        orvalis::WorldStatistics statistics;
        if (std::string(argv[6]) == "--statistics") {
            statistics = world.Statistics();
            std::printf("world heights: %.17g .. %.17g\n", statistics.Heights.Low, statistics.Heights.High);
        } else {
            statistics.Samples = orvalis::ParseHeightRange(argv[6]);
        }
        const orvalis::WorldWindow window{std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
        const orvalis::HeightPlane heights = world.ReadWindowHeights(window, world.Levels(statistics));
        const auto [low, high] = std::minmax_element(heights.Heights.begin(), heights.Heights.end());
        std::printf("window: %d x %d cells, heights %.17g .. %.17g\n", heights.Width, heights.Rows,
                    heights.Heights.empty() ? 0.0 : *low, heights.Heights.empty() ? 0.0 : *high);
    } catch (const orvalis::Error& e) {
        std::fprintf(stderr, "orvalis-world-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
