#include "blending/BandHeights.h"

#include <cmath>
#include <string>

#include "files/Error.h"

namespace orvalis {

BandHeights DefaultBandHeights(const LevelScale& scale) {
    BandHeights bands;
    for (int i = 0; i < kTileCount; ++i) bands[i] = scale.HeightOf(BandCentres[i]);
    return bands;
}

void CheckBandHeights(const BandHeights& bands) {
    for (int i = 0; i < kTileCount; ++i) {
        if (!std::isfinite(bands[i])) throw Error("band heights must be numbers, not " + std::to_string(bands[i]));
        if (i > 0 && !(bands[i] < bands[i - 1])) {
            throw Error("band heights must fall from the first (band 256) to the last (band 0): " +
                        std::to_string(bands[i]) + " does not lie below " + std::to_string(bands[i - 1]));
        }
    }
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

}  // namespace orvalis
