#include "io/RasterSamples.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "files/Error.h"

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

struct RealMapping {
    double Low = 0;
    double Span = 0;  // High - Low; nothing above 0 maps everything to 0

    // Multiplied first, so a whole-number v rounds once: over 0 .. 65535 that is
    // the 16-bit v / 257 exactly (33 x 255 / 65535 is, 33 / 65535 x 255 is not).
    double Height(double v) const {
        if (!HasData(v) || !(Span > 0)) return 0;
        return std::clamp((v - Low) * 255 / Span, 0.0, 255.0);
    }
};

RealMapping MappingOf(const std::string& path, const RasterSamples& samples,
                      const std::optional<HeightRange>& range) {
    const std::optional<HeightRange> own = range ? range : SampleRange(samples);
    if (!own) return {};
    const double span = own->High - own->Low;
    if (!std::isfinite(span)) {
        throw Error(path, "its heights from " + ShortestText(own->Low) + " to " +
                              ShortestText(own->High) + " span more than a number can hold");
    }
    return {own->Low, span};
}

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

void FillReal(const RasterSamples& s, const RealMapping& mapping, Picture& picture) {
    HeightPlane plane{s.Width, s.Rows, std::vector<double>(s.Real.size()), {}};
    for (std::int32_t y = 0; y < s.Rows; ++y) {
        std::uint8_t* out = picture.Pixels.RowTable(picture.Pixels.BufferRow(y));
        const double* in = s.Real.data() + static_cast<std::size_t>(y) * s.Width;
        double* heights = &plane.Heights[plane.IndexOf(PlaneRowOfDeviceRow(s.Rows, y), 0)];
        for (std::int32_t x = 0; x < s.Width; ++x, out += 3) {
            heights[x] = mapping.Height(in[x]);
            out[0] = out[1] = out[2] = static_cast<std::uint8_t>(std::lround(heights[x]));
        }
    }
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

std::optional<HeightRange> SampleRange(const RasterSamples& samples) {
    std::optional<HeightRange> range;
    const auto widen = [&range](double v) {
        if (!HasData(v)) return;
        if (!range) range = HeightRange{v, v};
        range->Low = std::min(range->Low, v);
        range->High = std::max(range->High, v);
    };
    for (const double v : samples.Real) widen(v);
    for (const std::uint16_t v : samples.Whole) widen(v);
    return range;
}

Picture MakePicture(const std::string& path, const RasterSamples& samples,
                    const std::optional<HeightRange>& range) {
    Picture picture;
    picture.Pixels.Allocate(samples.Width, samples.Rows, 24);
    picture.Geo = samples.Geo;
    if (samples.Kind == SampleKind::Real) {
        const RealMapping mapping = MappingOf(path, samples, range);
        FillReal(samples, mapping, picture);
        picture.Levels = {mapping.Low, mapping.Low + mapping.Span};
        picture.RealSamples = true;
    } else {
        FillWhole(samples, picture);
        if (range) picture.Levels = {range->Low, range->High};
    }
    return picture;
}

}  // namespace orvalis
