#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"
#include "math/VectorTypes.h"
#include "raster/HeightField.h"
#include "lighting/InteriorNormalRows.h"
#include "lighting/NormalEdges.h"
#include "lighting/NormalEntry.h"
#include "raster/Progress.h"

namespace orvalis {

// One entry per heightmap pixel, pixel (row, column) at row * width + column.
using TNormalMap = std::vector<NormalEntry>;

// The normals of a band of rows, one row after the other from firstRow up:
// what a pass over the whole picture from row 0 gives for those rows.
class NormalRows {
public:
    NormalRows(const HeightField& field, float heightScale, std::int32_t firstRow);
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

// Fills normals with width x RowCount entries from the eight triangles of
// each pixel's 3 x 3 neighbourhood of samples two pixels apart.
void BuildNormalMap(const HeightField& field, TNormalMap& normals, float heightScale,
                    const RunOptions& options = {});
// The same for the heights (r + g + b) / 3 of a picture.
void BuildNormalMap(const TDibBuffer& heightmap, TNormalMap& normals, float heightScale,
                    const RunOptions& options = {});

}  // namespace orvalis
