#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/Cancellation.h"
#include "files/Error.h"
#include "io/MemoryLimit.h"
#include "io/RasterSamples.h"
#include "raster/Picture.h"

namespace orvalis {

struct PictureReadOptions {
    // Real-valued heights (signed or floating-point samples) map Low .. High
    // onto 0 .. 255 instead of their own lowest .. highest value; the levels
    // 0 .. 255 of all other pictures stand for the heights Low .. High
    // (Picture::Levels).
    std::optional<HeightRange> Range;
    // What reading one picture may take: the picture, the band being
    // decoded and the decoder's own buffers. A file that needs more is
    // refused before anything is allocated for it.
    std::uint64_t MemoryLimit = DefaultMemoryLimit();
    // Once set, the reading stops with RunCancelled; none: it runs to its end.
    const CancelFlag* Cancel = nullptr;
    // Threads for the work on samples once decoded (0: one per core).
    int Threads = 1;
    // Real samples that floats hold get no pixels while being read (their
    // buffer stays untouched): the caller makes them with
    // PixelsOfRealHeights once it needs them, or never.
    bool RealPixelsLater = false;
};

// The one way the programs read a picture file. ".r16" and ".raw" are
// headerless 16-bit heightmaps, whatever their first bytes; BMP files (by a
// ".bmp" name or the "BM" signature) go through TDibBuffer::ReadBmpFile
// unchanged; everything else is read through GDAL, band by band. Raises
// Error naming the file and the problem (a lack of memory included), or
// RunCancelled.
Picture ReadPictureFile(const std::string& path, const PictureReadOptions& options = {});

// A heightmap read through ReadPictureFile; an empty picture is an error
// naming the file.
Picture ReadHeightmapPicture(const std::string& path, const PictureReadOptions& options = {});

// "LOW:HIGH", two numbers with LOW < HIGH; raises Error otherwise.
HeightRange ParseHeightRange(const std::string& text);

// True when the file is read by our BMP reader.
bool IsBmpFile(const std::string& path);

// What `info` tells of a picture that is not a BMP file.
struct PictureFacts {
    RasterSamples Layout;  // format, size, channels, sample type; no samples
    std::optional<HeightRange> Range;  // of the samples with data, as ReadPictureFile sees them
};

// Read band by band, so that only the decoder and one band take memory.
PictureFacts ReadPictureFacts(const std::string& path, const PictureReadOptions& options = {});

}  // namespace orvalis
