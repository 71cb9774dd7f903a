#pragma once

namespace orvalis {

// How a heightmap's grey levels 0 .. 255 stand for heights in the data's own
// units (metres for most elevation models): level 0 is Low, level 255 High,
// linearly between.
struct LevelScale {
    double Low = 0;
    double High = 255;

    double HeightOf(double level) const { return Low + level * (High - Low) / 255; }
};

}  // namespace orvalis
