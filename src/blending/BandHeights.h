#pragma once

#include <array>
#include <optional>
#include <string>

#include "raster/LevelScale.h"
#include "blending/BandBlend.h"

namespace orvalis {

// The heights, in the data's units, where the five bands are centred: tile
// 0's (band 256) first, falling strictly to tile 4's (band 0).
using BandHeights = std::array<double, kTileCount>;

// Where the classic blend centres them: levels 256, 192, 128, 64 and 0; for
// a scale that spans no height, as if its levels were one unit apart.
BandHeights DefaultBandHeights(const LevelScale& scale);

// Raises Error unless every height is finite and each lies below the one before.
void CheckBandHeights(const BandHeights& bands);

// The heights from "H256,H192,H128,H64,H0", highest first. Raises Error
// saying what `name` (the option or field of the text) wants instead.
BandHeights ParseBandHeights(const std::string& text, const std::string& name);

// The band level of a height, 0 .. 256: the centres' levels at the bands'
// heights, linear between neighbouring centres, held at the outer ones.
double BandLevel(const BandHeights& bands, double height);
// The same where open water stands at `waterLevel`: ground below it is all
// water, the lowest band's level 0, whatever the bands say.
double BandLevel(const BandHeights& bands, const std::optional<double>& waterLevel, double height);

}  // namespace orvalis
