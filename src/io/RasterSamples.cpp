#include "io/RasterSamples.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "files/Error.h"
#include "io/HeightLevels.h"
#include "raster/ParallelRows.h"

namespace orvalis {

namespace {

// NaN marks a cell without data; an infinite sample is no height either.
bool HasData(double v) { return std::isfinite(v); }

std::string ShortestText(double v) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// 16-bit v is the height v x 255 / 65535 = v / 257; the pixels show the
// nearest 8-bit value.
std::uint8_t NearestByteOfWord(std::uint16_t v) { return static_cast<std::uint8_t>((v + 128) / 257); }

// std::lround of a height 0 .. 255, inline: the fraction of a double at
// or above 0 is exact, and halves round up as lround rounds them.
std::uint8_t NearestLevel(double height) {
    const auto whole = static_cast<std::int32_t>(height);
    return static_cast<std::uint8_t>(whole + (height - whole >= 0.5 ? 1 : 0));
}

}  // namespace

SampleScale RealSampleScale(const std::string& path, const std::optional<HeightRange>& own) {
    if (!own) return {};
    const double span = own->High - own->Low;
    if (!std::isfinite(span)) {
        throw Error(path, "its heights from " + ShortestText(own->Low) + " to " +
                              ShortestText(own->High) + " span more than a number can hold");
    }
    return {own->Low, span};
}

namespace {

// Top row y of the samples is buffer row BufferRow(y) and plane row PlaneRowOfDeviceRow(Rows, y).
void FillWhole(const RasterSamples& s, Picture& picture) {
    const bool words = s.Kind == SampleKind::Word;
    if (words) picture.FineHeights = HeightPlane{s.Width, s.Rows, std::vector<double>(s.Whole.size() / s.Channels), {}};
    HeightPlane* fine = words ? &*picture.FineHeights : nullptr;
    for (std::int32_t y = 0; y < s.Rows; ++y) {
        std::uint8_t* out = picture.Pixels.RowTable(picture.Pixels.BufferRow(y));
        const std::uint16_t* in = s.Whole.data() + static_cast<std::size_t>(y) * s.Width * s.Channels;
        double* heights = fine ? &fine->Heights[fine->IndexOf(PlaneRowOfDeviceRow(s.Rows, y), 0)] : nullptr;
        for (std::int32_t x = 0; x < s.Width; ++x, in += s.Channels, out += 3) {
            const std::uint16_t red = in[0];
            const std::uint16_t green = s.Channels == 3 ? in[1] : red;
            const std::uint16_t blue = s.Channels == 3 ? in[2] : red;
            if (words) {
                out[0] = NearestByteOfWord(blue);
                out[1] = NearestByteOfWord(green);
                out[2] = NearestByteOfWord(red);
                heights[x] = (red + green + blue) / (3 * 257.0);
            } else {
                out[0] = static_cast<std::uint8_t>(blue);
                out[1] = static_cast<std::uint8_t>(green);
                out[2] = static_cast<std::uint8_t>(red);
            }
        }
    }
}

void FillReal(const RasterSamples& s, const SampleScale& scale, bool pixelsLater, const RunOptions& threads,
              Picture& picture) {
    HeightPlane plane = RealSamplePlane(s);
    for (std::int32_t y = 0; y < s.Rows; ++y) {
        const double* in = s.Real.data() + static_cast<std::size_t>(y) * s.Width;
        const std::size_t start = plane.IndexOf(PlaneRowOfDeviceRow(s.Rows, y), 0);
        if (plane.ScaledSamples()) {
            std::copy_n(in, s.Width, plane.Samples.begin() + static_cast<std::ptrdiff_t>(start));
        } else {
            std::copy_n(in, s.Width, plane.Heights.begin() + static_cast<std::ptrdiff_t>(start));
        }
    }
    ScaleRealHeights(scale, plane, picture.Pixels, pixelsLater, threads);
    picture.FineHeights = std::move(plane);
}

}  // namespace

void CheckPictureSize(const std::string& path, std::int64_t width, std::int64_t rows) {
    if (width < 1 || rows < 1 || width > TDibBuffer::kMaxDimension ||
        rows > TDibBuffer::kMaxDimension) {
        throw Error(path, "a picture of " + std::to_string(width) + " x " + std::to_string(rows) +
                              " pixels is not supported (each side 1 to " +
                              std::to_string(TDibBuffer::kMaxDimension) + ")");
    }
}

void CheckWorldSize(const std::string& path, std::int64_t width, std::int64_t rows) {
    if (width < 1 || rows < 1 || width > kLargestWorldSide || rows > kLargestWorldSide) {
        throw Error(path, "a picture of " + std::to_string(width) + " x " + std::to_string(rows) +
                              " pixels is not supported (each side 1 to " + std::to_string(kLargestWorldSide) + ")");
    }
}

bool FitsOnePicture(const RasterSamples& layout) {
    return layout.Width <= TDibBuffer::kMaxDimension && layout.Rows <= TDibBuffer::kMaxDimension;
}

void CheckHoldsWhole(const std::string& path, const RasterSamples& layout) {
    if (FitsOnePicture(layout)) return;
    throw Error(path, "a picture of " + std::to_string(layout.Width) + " x " + std::to_string(layout.Rows) +
                          " pixels is too large to hold whole (each side at most " +
                          std::to_string(TDibBuffer::kMaxDimension) + "); tiles (--tile-size) read it in parts");
}

bool SinglesHoldSamples(const RasterSamples& samples) {
    return samples.Kind == SampleKind::Real &&
           (samples.SampleType == "Float32" || samples.SampleType == "Int16" || samples.SampleType == "Int8");
}

HeightPlane RealSamplePlane(const RasterSamples& layout) {
    HeightPlane plane{layout.Width, layout.Rows, {}, {}};
    const std::size_t count = static_cast<std::size_t>(layout.Width) * layout.Rows;
    if (SinglesHoldSamples(layout)) {
        plane.Samples.resize(count);
    } else {
        plane.Heights.resize(count);
    }
    return plane;
}

namespace {

// Top row y of the plane's pixels, grey at the nearest level of its heights:
// plane row PlaneRowOfDeviceRow(Rows, y), buffer row BufferRow(y).
void PutNearestLevels(const HeightPlane& plane, std::int32_t y, TDibBuffer& pixels) {
    std::vector<double> heights(static_cast<std::size_t>(plane.Width));
    plane.RowHeights(PlaneRowOfDeviceRow(plane.Rows, y), heights.data());
    std::vector<std::uint8_t> levels(heights.size());
    std::transform(heights.begin(), heights.end(), levels.begin(), NearestLevel);
    std::uint8_t* out = pixels.RowTable(pixels.BufferRow(y));
    for (const std::uint8_t level : levels) {
        out[0] = out[1] = out[2] = level;
        out += 3;
    }
}

}  // namespace

void ScaleRealHeights(const SampleScale& scale, HeightPlane& plane, TDibBuffer& pixels, bool pixelsLater,
                      const RunOptions& options) {
    if (plane.ScaledSamples()) plane.Scale = scale;
    if (pixelsLater && plane.ScaledSamples()) return;
    RunOptions quiet = options;
    quiet.Progress = nullptr;
    ParallelRows(plane.Rows, quiet, SynthesisStage::Blend, [&](std::int32_t y) {
        if (!plane.ScaledSamples()) {
            double* heights = &plane.Heights[plane.IndexOf(PlaneRowOfDeviceRow(plane.Rows, y), 0)];
            for (std::int32_t x = 0; x < plane.Width; ++x) heights[x] = scale.Height(heights[x]);
        }
        PutNearestLevels(plane, y, pixels);
    });
}

TDibBuffer PixelsOfRealHeights(const HeightPlane& plane, const RunOptions& options) {
    TDibBuffer pixels;
    pixels.Allocate(plane.Width, plane.Rows, 24);
    RunOptions quiet = options;
    quiet.Progress = nullptr;
    ParallelRows(plane.Rows, quiet, SynthesisStage::Blend,
                 [&](std::int32_t y) { PutNearestLevels(plane, y, pixels); });
    return pixels;
}

// A plain loop over the samples, free of branches on the data, which the
// compiler turns into vector code.
std::optional<HeightRange> RealSampleRange(const double* samples, std::size_t count) {
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = samples[i];
        const bool data = HasData(v);
        low = data && v < low ? v : low;
        high = data && v > high ? v : high;
    }
    if (low > high) return std::nullopt;
    return HeightRange{low, high};
}

std::optional<HeightRange> Widen(const std::optional<HeightRange>& range, const std::optional<HeightRange>& more) {
    if (!range || !more) return range ? range : more;
    return HeightRange{std::min(range->Low, more->Low), std::max(range->High, more->High)};
}

// Rounded to the nearest, so that their highest value is the highest
// height; a value beyond its bits counts as the highest.
void ScaleToKind(RasterSamples& samples) {
    const int kindBits = samples.Kind == SampleKind::Byte ? 8 : 16;
    if (samples.Kind == SampleKind::Real || samples.BitsPerSample >= kindBits) return;
    const std::uint32_t highest = (std::uint32_t{1} << samples.BitsPerSample) - 1;
    const std::uint32_t scale = (std::uint32_t{1} << kindBits) - 1;
    for (std::uint16_t& v : samples.Whole) {
        const std::uint32_t clamped = std::min<std::uint32_t>(v, highest);
        v = static_cast<std::uint16_t>((clamped * scale + highest / 2) / highest);
    }
}

std::optional<HeightRange> SampleRange(const RasterSamples& samples) {
    const std::optional<HeightRange> real = RealSampleRange(samples.Real.data(), samples.Real.size());
    double low = real ? real->Low : std::numeric_limits<double>::infinity();
    double high = real ? real->High : -std::numeric_limits<double>::infinity();
    for (const std::uint16_t v : samples.Whole) {
        low = std::min<double>(low, v);
        high = std::max<double>(high, v);
    }
    if (low > high) return std::nullopt;
    return HeightRange{low, high};
}

Picture MakePicture(const std::string& path, const RasterSamples& samples,
                    const std::optional<HeightRange>& range, int threads, bool realPixelsLater) {
    const bool ownRange = samples.Kind == SampleKind::Real && !range;
    return MakePicture(samples, HeightLevelsFor(path, samples.Kind, ownRange ? SampleRange(samples) : std::nullopt, range),
                       threads, realPixelsLater);
}

Picture MakePicture(const RasterSamples& samples, const HeightLevels& levels, int threads, bool realPixelsLater) {
    Picture picture;
    picture.Pixels.Allocate(samples.Width, samples.Rows, 24);
    picture.Geo = samples.Geo;
    picture.Levels = levels.Levels;
    if (samples.Kind == SampleKind::Real) {
        RunOptions rows;
        rows.Threads = threads;
        FillReal(samples, levels.Scale, realPixelsLater, rows, picture);
        picture.RealSamples = true;
        picture.AllNoData = !SampleRange(samples);
    } else {
        FillWhole(samples, picture);
    }
    return picture;
}

}  // namespace orvalis
