#include "blending/BandHeights.h"

#include <cmath>
#include <optional>
#include <string_view>

#include "files/DisplayPath.h"
#include "files/Error.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

// The first height that does not lie below the one before it; 0 for none.
int FirstOutOfOrder(const BandHeights& bands) {
    for (int i = 1; i < kTileCount; ++i) {
        if (!(bands[i] < bands[i - 1])) return i;
    }
    return 0;
}

}  // namespace

BandHeights DefaultBandHeights(const LevelScale& scale) {
    // Data of one height (a level plain, a single cell) shows every sample at
    // level 0; the bands then stand one unit a level above that height.
    const LevelScale spanning = scale.High > scale.Low ? scale : LevelScale{scale.Low, scale.Low + 255};
    BandHeights bands;
    for (int i = 0; i < kTileCount; ++i) bands[i] = spanning.HeightOf(BandCentres[i]);
    return bands;
}

void CheckBandHeights(const BandHeights& bands) {
    for (const double height : bands) {
        if (!std::isfinite(height)) throw Error("band heights must be numbers, not " + NumberText(height));
    }
    if (const int i = FirstOutOfOrder(bands)) {
        throw Error("band heights must fall from the first (band 256) to the last (band 0): " +
                    NumberText(bands[i]) + " does not lie below " + NumberText(bands[i - 1]));
    }
}

BandHeights ParseBandHeights(const std::string& text, const std::string& name) {
    BandHeights bands{};
    std::size_t start = 0;
    for (int i = 0; i < kTileCount; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i == kTileCount - 1;
        const std::optional<double> height =
            last == (comma == std::string::npos)
                ? NumberFromText(std::string_view(text).substr(start, last ? std::string::npos : comma - start))
                : std::nullopt;
        if (!height) {
            throw Error(name + " wants five heights separated by commas, highest band first, not '" +
                        DisplayPath(text) + "'");
        }
        bands[i] = *height;
        start = comma + 1;
    }
    if (FirstOutOfOrder(bands) != 0) {
        throw Error(name + " wants each height below the one before it (H256 > H192 > H128 > H64 > H0), not '" +
                    DisplayPath(text) + "'");
    }
    return bands;
}

double BandLevel(const BandHeights& bands, double height) {
    if (!(height < bands[0])) return BandCentres[0];
    for (int i = 1; i < kTileCount; ++i) {
        if (height >= bands[i]) {
            const double t = (height - bands[i]) / (bands[i - 1] - bands[i]);
            return BandCentres[i] + t * (BandCentres[i - 1] - BandCentres[i]);
        }
    }
    return BandCentres[kTileCount - 1];
}

double BandLevel(const BandHeights& bands, const std::optional<double>& waterLevel, double height) {
    return waterLevel && height < *waterLevel ? BandCentres[kTileCount - 1] : BandLevel(bands, height);
}

}  // namespace orvalis
