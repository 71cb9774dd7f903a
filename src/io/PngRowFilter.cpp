#include "io/PngRowFilter.h"

#include <algorithm>
#include <cstdlib>

namespace orvalis {

namespace {

// A row's filter type, as the row's first byte stores it.
enum PngFilter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

int PaethPredictor(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return left;
    return toUp <= toUpLeft ? up : upLeft;
}

template <PngFilter F>
int Prediction(int left, int up, int upLeft) {
    switch (F) {
        case kNone: return 0;
        case kSub: return left;
        case kUp: return up;
        case kAverage: return (left + up) >> 1;
        case kPaeth: return PaethPredictor(left, up, upLeft);
    }
    return 0;
}

// Hands each filtered byte of the row to use(i, value); the pixel left of
// the first one counts as zero.
template <PngFilter F, class Use>
void ForEachFiltered(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
                     std::size_t pixelBytes, Use use) {
    const std::size_t lead = std::min(pixelBytes, bytes);
    for (std::size_t i = 0; i < lead; ++i) use(i, row[i] - Prediction<F>(0, above[i], 0));
    for (std::size_t i = lead; i < bytes; ++i) {
        use(i, row[i] - Prediction<F>(row[i - pixelBytes], above[i], above[i - pixelBytes]));
    }
}

template <PngFilter F>
void Apply(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
           std::size_t pixelBytes, std::uint8_t* out) {
    out[0] = F;
    ForEachFiltered<F>(row, above, bytes, pixelBytes,
                       [out](std::size_t i, int value) { out[1 + i] = static_cast<std::uint8_t>(value); });
}

// How well the filtered bytes are likely to compress: small signed values do best.
template <PngFilter F>
std::uint64_t Cost(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
                   std::size_t pixelBytes) {
    std::uint64_t sum = 0;
    ForEachFiltered<F>(row, above, bytes, pixelBytes, [&sum](std::size_t, int value) {
        sum += static_cast<std::uint64_t>(std::abs(static_cast<std::int8_t>(value)));
    });
    return sum;
}

struct FilterKernels {
    std::uint64_t (*Cost)(const std::uint8_t*, const std::uint8_t*, std::size_t, std::size_t);
    void (*Apply)(const std::uint8_t*, const std::uint8_t*, std::size_t, std::size_t, std::uint8_t*);
};

// Indexed by PngFilter.
constexpr FilterKernels kFilters[] = {{Cost<kNone>, Apply<kNone>},
                                      {Cost<kSub>, Apply<kSub>},
                                      {Cost<kUp>, Apply<kUp>},
                                      {Cost<kAverage>, Apply<kAverage>},
                                      {Cost<kPaeth>, Apply<kPaeth>}};

}  // namespace

void FilterPngRow(PngFilterChoice choice, const std::uint8_t* row, const std::uint8_t* above,
                  std::size_t bytes, std::size_t pixelBytes, std::uint8_t* out) {
    // Above the first row there are zeros: Up is None there and Paeth is
    // Sub, so only None and Sub are tried; they never look up, and pointing
    // `above` at the row itself keeps the loops' reads inside it.
    const bool first = above == nullptr;
    if (first) above = row;
    if (choice == PngFilterChoice::Up) {
        kFilters[first ? kSub : kUp].Apply(row, above, bytes, pixelBytes, out);
        return;
    }
    const int candidates = first ? kSub + 1 : kPaeth + 1;
    int best = kNone;
    std::uint64_t bestCost = kFilters[kNone].Cost(row, above, bytes, pixelBytes);
    for (int filter = kNone + 1; filter < candidates; ++filter) {
        const std::uint64_t cost = kFilters[filter].Cost(row, above, bytes, pixelBytes);
        if (cost < bestCost) best = filter, bestCost = cost;
    }
    kFilters[best].Apply(row, above, bytes, pixelBytes, out);
}

}  // namespace orvalis
