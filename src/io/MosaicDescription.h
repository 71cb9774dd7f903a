#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/InputFile.h"

namespace orvalis {

// A rectangle of cells, possibly at fractions of a cell.
struct MosaicRect {
    double X = 0;
    double Y = 0;
    double Width = 0;
    double Rows = 0;
};

// One piece of a mosaic's band: a band of another file placed in it.
struct MosaicSource {
    std::string Name;  // as the mosaic writes it
    bool RelativeToMosaic = false;
    int Band = 1;
    std::optional<MosaicRect> From;  // of the source; none: all of it
    std::optional<MosaicRect> To;    // in the mosaic; none: where From is
    bool Complex = false;            // a ComplexSource: the three below apply
    std::optional<double> NoData;    // source values that leave the mosaic's cell alone
    double ScaleOffset = 0;
    double ScaleRatio = 1;
    std::string Resampling;  // of a SimpleSource; empty: the nearest cell
};

struct MosaicBand {
    std::string DataType;  // GDAL's name of it, "Int16", "Float32", ...
    std::optional<double> NoData;
    std::vector<MosaicSource> Sources;
};

// A mosaic as GDAL's VRT format describes it, reduced to what a mosaic of
// plain files is: bands made of pieces of other files, a place on the
// earth, and nothing that computes its cells.
struct MosaicDescription {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::string Crs;  // as GDAL's SRS element gives it (WKT, "EPSG:4326", ...); empty: none
    std::optional<std::array<double, 6>> Transform;
    std::vector<MosaicBand> Bands;
};

// True for a file in GDAL's VRT format (its text starts with <VRTDataset).
bool IsMosaic(const InputFile& file);

// The description of a mosaic file. Anything that would compute cells
// instead of copying them (pixel functions, Python, derived or warped
// bands, lookup tables, palettes) or that we do not know is refused; the
// sources' names are taken as written, not yet checked. Raises Error naming
// the file and the problem.
MosaicDescription ReadMosaicDescription(const InputFile& file);

}  // namespace orvalis
