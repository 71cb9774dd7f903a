#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "raster/Progress.h"

namespace orvalis {

struct HeightLevels;

// Heights of real-valued data: Low becomes 0 and High 255.
struct HeightRange {
    double Low = 0;
    double High = 0;
};

// How the samples of a file turn into heights: bytes are heights as they
// are, 16-bit words are scaled by 255 / 65535, everything else (signed
// integers, floating point) is mapped from a range.
enum class SampleKind { Byte, Word, Real };

// The samples of a picture file as it holds them, top row first: all of
// them, or a band of its rows (then Rows counts the band's).
struct RasterSamples {
    std::string Format;      // "PNG", "GTiff", "RAW", ...
    std::string SampleType;  // the file's own type: "Byte", "UInt16", "Float32", ...
    int BitsPerSample = 8;
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    int Channels = 1;  // 1: grey; 3: red, green, blue
    SampleKind Kind = SampleKind::Byte;
    std::vector<std::uint16_t> Whole;  // Byte and Word: Channels values a pixel
    std::vector<double> Real;          // Real: one value a pixel, NaN where there is no data
    std::optional<GeoReference> Geo;   // where the file places the picture on the earth
};

// Every picture side is 1 .. TDibBuffer::kMaxDimension; raises Error naming the file.
void CheckPictureSize(const std::string& path, std::int64_t width, std::int64_t rows);

// A file read in windows (a large GeoTIFF, a mosaic) may be larger than one
// picture, up to this side: what one process holds of it is a window, each
// side at most TDibBuffer::kMaxDimension.
inline constexpr std::int32_t kLargestWorldSide = std::int32_t{1} << 22;

// Every side is 1 .. kLargestWorldSide; raises Error naming the file.
void CheckWorldSize(const std::string& path, std::int64_t width, std::int64_t rows);

// True when a picture of the layout's size can be held whole.
bool FitsOnePicture(const RasterSamples& layout);

// Reading the whole picture of a layout: raises Error naming the file when
// it is larger than one picture holds, saying that tiles read it in parts.
void CheckHoldsWhole(const std::string& path, const RasterSamples& layout);

// The lowest and highest real sample with data (NaN and infinities have
// none); none when no sample has data.
std::optional<HeightRange> SampleRange(const RasterSamples& samples);
// The same over count real samples. Of samples that compare equal (0 and
// -0) the first one counts, so ranges of consecutive runs widened in order
// give the range of the whole.
std::optional<HeightRange> RealSampleRange(const double* samples, std::size_t count);

// The wider of two ranges; of equal ends the first one's counts.
std::optional<HeightRange> Widen(const std::optional<HeightRange>& range, const std::optional<HeightRange>& more);

// Samples of fewer bits than their kind holds (a 1-bit PNG, a 12-bit TIFF)
// onto the kind's whole scale, as the picture takes them.
void ScaleToKind(RasterSamples& samples);

// True when every sample of the layout's type is exactly a float (32-bit
// floating point, integers of up to 16 bits): such real samples are kept as
// floats with the scale that makes them heights.
bool SinglesHoldSamples(const RasterSamples& layout);

// The scale of real samples whose heights span `range` (none: all 0).
// Raises Error naming the file when the range is wider than a double can hold.
SampleScale RealSampleScale(const std::string& path, const std::optional<HeightRange>& range);

// The fine heights of real samples of the layout's size, all zero: scaled
// samples where floats hold them, else heights.
HeightPlane RealSamplePlane(const RasterSamples& layout);

// A plane filled with real samples as the file has them: from now on scaled
// by `scale` (kept samples take the scale, heights are replaced by theirs),
// and the pixels grey at the nearest level, unless pixelsLater and the plane
// keeps samples; rows in parallel as options ask.
void ScaleRealHeights(const SampleScale& scale, HeightPlane& plane, TDibBuffer& pixels, bool pixelsLater,
                      const RunOptions& options);

// The pixels that reading made of the real heights of a plane, once more.
TDibBuffer PixelsOfRealHeights(const HeightPlane& plane, const RunOptions& options = {});

// A 24-bit bottom-up picture of the samples of the file at path (grey for
// one channel), with fine heights for everything but bytes. Real samples
// are mapped from `range`, or from their own lowest and highest value;
// cells without data count as the lowest. The levels of all other samples
// stand for the heights of `range` (level 0 its Low, 255 its High) when it
// is given. Raises Error naming the file when the range is wider than a
// double can hold. Real samples' rows are scaled with `threads` threads,
// and their pixels left to the caller as RealPixelsLater says.
Picture MakePicture(const std::string& path, const RasterSamples& samples,
                    const std::optional<HeightRange>& range, int threads = 1, bool realPixelsLater = false);

// The same with the levels given (see HeightLevelsFor).
Picture MakePicture(const RasterSamples& samples, const HeightLevels& levels, int threads = 1,
                    bool realPixelsLater = false);

}  // namespace orvalis
