#pragma once

#include <cstdint>
#include <optional>

#include "generation/WorldPlan.h"

namespace orvalis {

// What one tile's worker takes, estimated from the cells and pixels it holds
// by the whole real-scale run's peak memory and wall time, measured with
// --sky-light, a shadow map and GeoTIFF outputs on two threads of a 2-core
// machine (bench/plan_calibration.sh; nine runs, heightmaps of 1024 to
// 4096 cells a side, textures of 1024 to 8192):
//
//   bytes   = 64 MiB + 16 x source cells + 8 x lighting cells + 22 x texture pixels
//   seconds = 5 + (0.4 x source cells + 0.2 x lighting cells + 0.8 x texture pixels) / 10^6
//
// The memory lies 1 % below to 40 % above every peak measured; the time
// above every run measured, on the machine idle and shared with other work
// (a load of 7 to 8); more threads shorten only the lighting's parallel
// parts, so it counts on none.
struct WorkerCost {
    std::uint64_t Bytes = 0;
    double Seconds = 0;
};

WorkerCost EstimateWorkerCost(const WorldPlan::Extent& tile);

// The largest tile edge below the plan's whose worker fits `limit` bytes;
// none when even a tile of one pixel does not, its halo being too wide.
std::optional<std::int32_t> LargestTileSizeWithin(const WorldPlan& plan, std::uint64_t limit);

// Raises RequestError when the plan's worker needs more than `limit` bytes
// (--memory-limit), naming what it needs and the tile size that would fit.
void CheckWorkerMemory(const WorldPlan& plan, std::uint64_t limit);

}  // namespace orvalis
