#include "generation/WorkerCost.h"

#include <string>

#include "io/MemoryLimit.h"

namespace orvalis {

namespace {

// The measured terms (see WorkerCost.h).
constexpr double kBaseBytes = 64.0 * 1024 * 1024;
constexpr double kBytesPerSourceCell = 16;
constexpr double kBytesPerLightingCell = 8;
constexpr double kBytesPerTexturePixel = 22;
constexpr double kBaseSeconds = 5;
constexpr double kSecondsPerSourceCell = 0.4e-6;
constexpr double kSecondsPerLightingCell = 0.2e-6;
constexpr double kSecondsPerTexturePixel = 0.8e-6;

std::uint64_t BytesOf(const WorldPlan& plan, std::int32_t tileSize) {
    return EstimateWorkerCost(plan.LargestTile(tileSize)).Bytes;
}

}  // namespace

WorkerCost EstimateWorkerCost(const WorldPlan::Extent& tile) {
    const auto source = static_cast<double>(tile.SourceCells), lighting = static_cast<double>(tile.LightingCells),
               texture = static_cast<double>(tile.TexturePixels);
    const double bytes = kBaseBytes + kBytesPerSourceCell * source + kBytesPerLightingCell * lighting +
                         kBytesPerTexturePixel * texture;
    const double seconds = kBaseSeconds + kSecondsPerSourceCell * source + kSecondsPerLightingCell * lighting +
                           kSecondsPerTexturePixel * texture;
    return {static_cast<std::uint64_t>(bytes), seconds};
}

// The need grows with the tile's edge: the largest that fits is found by halving.
std::optional<std::int32_t> LargestTileSizeWithin(const WorldPlan& plan, std::uint64_t limit) {
    std::int32_t low = 0, high = plan.TileSize() - 1;
    while (low < high) {
        const std::int32_t middle = high - (high - low) / 2;
        if (BytesOf(plan, middle) <= limit) low = middle;
        else high = middle - 1;
    }
    if (low == 0) return std::nullopt;
    return low;
}

void CheckWorkerMemory(const WorldPlan& plan, std::uint64_t limit) {
    const std::uint64_t need = BytesOf(plan, plan.TileSize());
    if (need <= limit) return;
    std::string problem = "a worker of --tile-size " + std::to_string(plan.TileSize()) + " needs about " +
                          DescribeBytes(need) + ", more than --memory-limit " + DescribeBytes(limit) + "; ";
    if (const auto fits = LargestTileSizeWithin(plan, limit)) {
        problem += "--tile-size " + std::to_string(*fits) + " needs about " + DescribeBytes(BytesOf(plan, *fits));
    } else {
        problem += "even a tile of one pixel does not fit, its halo of " + std::to_string(plan.HaloCells().X) +
                   " x " + std::to_string(plan.HaloCells().Y) + " lighting cells needs about " +
                   DescribeBytes(BytesOf(plan, 1)) + ": give a larger --memory-limit";
    }
    throw RequestError(problem);
}

}  // namespace orvalis
