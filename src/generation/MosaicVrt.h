#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "raster/GeoReference.h"

namespace orvalis {

// How a piece of a mosaic is stored, for the layout GDAL may expect of it
// before opening it: our GeoTIFF files are written in strips of about 8 KiB,
// PNG files a row at a time.
enum class PieceFormat { GeoTiff, Png };

// One picture of a mosaic: a file in the mosaic's folder (or below it), and
// the pixels [X, X + Width) x [Y, Y + Rows) of the whole it fills, rows
// counted from the top.
struct MosaicPiece {
    std::string File;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
};

// A picture of Width x Rows pixels of Bands bytes (1 grey; 3 red, green,
// blue; 4: a fourth band of data after them) joined from pieces that each
// hold all its bands, placed by Geo's coordinate system and transform when
// it has them.
struct MosaicLayout {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    int Bands = 1;
    PieceFormat Format = PieceFormat::GeoTiff;
    std::optional<GeoReference> Geo;
    std::vector<MosaicPiece> Pieces;
};

// The mosaic as GDAL's virtual format, in the form gdalbuildvrt writes it: a
// VRTDataset of the whole's size, coordinate system and transform, and a
// VRTRasterBand a band with a SimpleSource a piece (its file relative to the
// VRT), which GDAL and QGIS open as one picture.
std::string MosaicVrtText(const MosaicLayout& layout);

// Writes it to path atomically. Raises Error naming the file.
void WriteMosaicVrt(const std::string& path, const MosaicLayout& layout);

}  // namespace orvalis
