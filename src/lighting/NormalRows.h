#pragma once

#include <array>
#include <cstdint>

#include "math/VectorTypes.h"
#include "raster/HeightPlane.h"
#include "lighting/InteriorNormalRows.h"
#include "lighting/NormalEdges.h"
#include "lighting/NormalEntry.h"
#include "lighting/ScaledHeights.h"

namespace orvalis {

// The normals of a band of rows, one row after the other from firstRow up:
// what a pass over the whole picture from row 0 gives for those rows. Made
// in NormalMap.cpp; the lighting's own, as other layers take whole normal
// maps (NormalMap.h).
class NormalRows {
public:
    NormalRows(const HeightPlane& plane, float heightScale, std::int32_t firstRow);
    NormalRows(const NormalRows&) = delete;
    NormalRows& operator=(const NormalRows&) = delete;
    // out receives the row's Width entries.
    void Row(std::int32_t row, NormalEntry* out);

private:
    ScaledHeights heights_;  // the sample heights
    EdgeRows edges_;  // reads heights_
    InteriorNormalRows interior_;
    // The nine samples of the last pixel; a slot outside the picture keeps
    // the height it last had.
    std::array<Vector3, 9> samples_;
};

}  // namespace orvalis
