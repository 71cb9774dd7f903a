#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "io/RasterSamples.h"
#include "files/Error.h"
#include "raster/Picture.h"

namespace orvalis {

struct PictureReadOptions {
    // Real-valued heights (signed or floating-point samples) map Low .. High
    // onto 0 .. 255 instead of their own lowest .. highest value; the levels
    // 0 .. 255 of all other pictures stand for the heights Low .. High
    // (Picture::Levels).
    std::optional<HeightRange> Range;
};

// The one way the programs read a picture file. ".r16" and ".raw" are
// headerless 16-bit heightmaps, whatever their first bytes; BMP files (by a
// ".bmp" name or the "BM" signature) go through TDibBuffer::ReadBmpFile
// unchanged; everything else is read through GDAL. Raises Error naming the file and the problem.
Picture ReadPictureFile(const std::string& path, const PictureReadOptions& options = {});

// A heightmap read through ReadPictureFile; an empty picture is an error
// naming the file.
Picture ReadHeightmapPicture(const std::string& path, const PictureReadOptions& options = {});

// "LOW:HIGH", two numbers with LOW < HIGH; raises Error otherwise.
HeightRange ParseHeightRange(const std::string& text);

// True when the file is read by our BMP reader.
bool IsBmpFile(const std::string& path);

// The samples of a file that is not a BMP file, as ReadPictureFile sees them.
RasterSamples ReadPictureSamples(const std::string& path);

}  // namespace orvalis
