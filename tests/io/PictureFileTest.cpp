#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ErrorMessage.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"

namespace orvalis {
namespace {

struct Shape {
    int Width;
    int Rows;
    bool Colour;
    bool Flat;  // every height 100, for lossy JPEG
};
constexpr Shape kGrey{11, 7, false, false}, kColour{11, 7, true, false}, kSquare{9, 9, false, false};

// Whole-number heights with the lowest (0) and highest (255) present and no
// symmetry that would hide a flip.
int HeightOf(const Shape& s, int x, int y) {
    if (s.Flat) return 100;
    if (x == s.Width - 1 && y == s.Rows - 1) return 255;
    return (x * 37 + y * 71 + x * y * 13 + 1) % 256 * (x + y > 0);
}

// A colour whose (r + g + b) / 3 is the whole number h.
PixelColour ColourOf(int h) {
    return MakeColour(static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(255 - h),
                      static_cast<std::uint8_t>(3 * (h % 85)));
}

int Channel(const Shape& s, int band, int x, int y) {
    const int h = HeightOf(s, x, y);
    const PixelColour c = ColourOf(h);
    return !s.Colour ? h : band == 0 ? c.Red : band == 1 ? c.Green : c.Blue;
}

// The picture as a 24-bit BMP holds it: bottom row first.
TDibBuffer Reference(const Shape& s) {
    TDibBuffer picture;
    picture.Allocate(s.Width, s.Rows, 24);
    for (int y = 0; y < s.Rows; ++y) {
        for (int x = 0; x < s.Width; ++x) {
            picture.WritePixel(picture.BufferRow(y), x,
                               MakeColour(Channel(s, 0, x, y), Channel(s, 1, x, y), Channel(s, 2, x, y)));
        }
    }
    return picture;
}

using Writer = std::function<void(const std::string&, const Shape&)>;

// Each sample through `value`; `change` adjusts the rest before writing.
Writer Gdal(const char* driver, GDALDataType type, double (*value)(int),
            void (*change)(test::GdalPicture&) = nullptr) {
    return [=](const std::string& path, const Shape& s) {
        test::GdalPicture p{s.Width, s.Rows, s.Colour ? 3 : 1, type};
        for (int band = 0; band < p.Bands; ++band)
            for (int y = 0; y < s.Rows; ++y)
                for (int x = 0; x < s.Width; ++x) p.Samples.push_back(value(Channel(s, band, x, y)));
        if (change) change(p);
        test::WriteWithGdal(path, driver, p);
    };
}

double Same(int v) { return v; }
double Word(int v) { return v * 257.0; }

void Palette(test::GdalPicture& p) {
    for (int i = 0; i < 256; ++i) {
        const PixelColour c = ColourOf(i);
        p.Palette.push_back({c.Red, c.Green, c.Blue, 255});
    }
}

void WriteRaw(const std::string& path, const Shape& s) {
    std::ofstream out(path, std::ios::binary);
    for (int y = 0; y < s.Rows; ++y)
        for (int x = 0; x < s.Width; ++x) {
            const auto h = static_cast<char>(HeightOf(s, x, y));
            out.put(h).put(h);  // h x 257, little-endian
        }
}

struct FormatCase {
    const char* Name;
    const char* File;
    Shape Size;
    Writer Write;
    PictureReadOptions Options = {};
};

using PictureFileTest = test::ScratchFolderTest;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Whole-number heights in any format and depth give exactly the buffer and
// the heights of the same picture stored as a 24-bit BMP.
TEST_F(PictureFileTest, WholeNumberHeightsReadAsTheirBmp) {
    const FormatCase cases[] = {
        {"PNG 8-bit grey", "h.png", kGrey, Gdal("PNG", GDT_Byte, Same)},
        {"PNG 8-bit RGB", "h.png", kColour, Gdal("PNG", GDT_Byte, Same)},
        {"PNG 8-bit palette", "h.png", kColour,
         [](const std::string& path, const Shape& s) { Gdal("PNG", GDT_Byte, Same, Palette)(path, {s.Width, s.Rows, false, false}); }},
        {"PNG 16-bit grey", "h.png", kGrey, Gdal("PNG", GDT_UInt16, Word)},
        {"PNG 16-bit RGB", "h.png", kColour, Gdal("PNG", GDT_UInt16, Word)},
        {"PNG 8-bit RGB by WritePngFile", "h.png", kColour,
         [](const std::string& path, const Shape& s) { WritePngFile(path, Reference(s)); }},
        {"JPEG 8-bit flat grey", "h.jpg", {16, 16, false, true}, Gdal("JPEG", GDT_Byte, Same)},
        {"TIFF 8-bit RGB", "h.tif", kColour, Gdal("GTiff", GDT_Byte, Same)},
        {"TIFF 16-bit grey, deflate", "h.tif", kGrey,
         Gdal("GTiff", GDT_UInt16, Word, [](test::GdalPicture& p) { p.Options[0] = "COMPRESS=DEFLATE"; })},
        {"TIFF 16-bit signed", "h.tif", kGrey, Gdal("GTiff", GDT_Int16, [](int v) { return v - 100.0; })},
        {"TIFF 32-bit float", "h.tif", kGrey, Gdal("GTiff", GDT_Float32, Same)},
        {"TIFF 32-bit float, --height-range", "h.tif", kGrey,
         Gdal("GTiff", GDT_Float32, [](int v) { return 10.0 * v - 500; }), {HeightRange{-500, 2050}}},
        {"TIFF 32-bit float, no data as lowest", "h.tif", kGrey,
         Gdal("GTiff", GDT_Float32, [](int v) { return v == 0 ? -9999.0 : v; },
              [](test::GdalPicture& p) { p.HasNoData = true, p.NoData = -9999; }),
         {HeightRange{0, 255}}},
        {"RAW 16-bit .r16", "h.r16", kSquare, WriteRaw},
        {"RAW 16-bit .raw", "h.raw", kSquare, WriteRaw},
        {"ASC integer grid", "h.asc", kGrey, Gdal("AAIGrid", GDT_Int32, Same)},
        {"SRTM HGT, one degree of 1201 x 1201", "N45E006.hgt", {1201, 1201, false, false},
         Gdal("SRTMHGT", GDT_Int16, Same, [](test::GdalPicture& p) {
             p.GeoTransform = {6 - 0.5 / 1200, 1 / 1200.0, 0, 46 + 0.5 / 1200, 0, -1 / 1200.0};
         })},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Write(PathOf(c.File), c.Size);
        const Picture picture = ReadPictureFile(PathOf(c.File), c.Options);
        const TDibBuffer reference = Reference(c.Size);
        ASSERT_EQ(picture.Pixels.Height(), reference.Height());
        ASSERT_EQ(picture.Pixels.PixelBytes(), reference.PixelBytes());
        EXPECT_EQ(0, std::memcmp(picture.Pixels.PixelData(), reference.PixelData(), reference.PixelBytes()));
        EXPECT_EQ(test::EveryHeight(HeightsOf(picture)), test::EveryHeight(HeightsOfPixels(reference)));
        std::filesystem::remove(PathOf(c.File));
    }
}

// Finer data keeps its heights; the pixels show the nearest 8-bit level,
// halves rounded up as std::lround rounds them. Samples that a float holds
// exactly are kept as they are, with the scale that makes their heights.
TEST_F(PictureFileTest, FineHeightsAreScaledOntoTheEightBitRange) {
    struct Case {
        GDALDataType Type;
        std::vector<double> Samples, Heights;  // no Heights: not checked
        std::vector<int> Levels;
        bool KeptAsSamples;
    };
    const double justBelowHalf = std::nextafter(0.5, 0.0);
    const Case cases[] = {
        {GDT_UInt16, {0, 1, 128, 129, 65535}, {0, 1 / 257.0, 128 / 257.0, 129 / 257.0, 255}, {0, 0, 0, 1, 255}, false},
        {GDT_Float32, {-5, 0, 5, std::nan(""), 2.5}, {0, 127.5, 255, 0, 191.25}, {0, 128, 255, 0, 191}, true},
        // Infinities have no height, like cells without data.
        {GDT_Float32, {-5, kInfinity, 5, -kInfinity, 0}, {0, 0, 255, 0, 127.5}, {0, 0, 255, 0, 128}, true},
        {GDT_Int16, {0, 255, 2, 3, 254}, {0, 255, 2, 3, 254}, {0, 255, 2, 3, 254}, true},
        {GDT_Float32, {0, 255, 2.5, 3.5, 0.5}, {0, 255, 2.5, 3.5, 0.5}, {0, 255, 3, 4, 1}, true},
        {GDT_Float64, {0, 255, justBelowHalf, 254.5, 1.5}, {}, {0, 255, 0, 255, 2}, false},
        {GDT_Int32, {0, 255, 2, 3, 254}, {0, 255, 2, 3, 254}, {0, 255, 2, 3, 254}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GDALGetDataTypeName(c.Type));
        test::WriteWithGdal(PathOf("fine.tif"), "GTiff", {5, 1, 1, c.Type, c.Samples});
        const Picture picture = ReadPictureFile(PathOf("fine.tif"));
        ASSERT_TRUE(picture.FineHeights);
        EXPECT_EQ(picture.FineHeights->ScaledSamples(), c.KeptAsSamples);
        for (int x = 0; x < 5; ++x) {
            const double height = picture.FineHeights->At(0, x);
            if (!c.Heights.empty()) {
                EXPECT_EQ(height, c.Heights[x]) << x;
            }
            EXPECT_EQ(picture.Pixels.ReadPixel(0, x).Red, c.Levels[x]) << x;
            EXPECT_EQ(picture.Pixels.ReadPixel(0, x).Red, std::lround(height)) << x;
        }
    }
}

// The range of the samples with data: NaN and infinities have none.
TEST(SampleRangeTest, SpansTheSamplesWithData) {
    struct Case {
        std::vector<double> Real;
        std::vector<std::uint16_t> Whole;
        std::optional<HeightRange> Expected;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {{3, nan, -2, kInfinity, 7.5, -kInfinity}, {}, HeightRange{-2, 7.5}},
        {{nan, kInfinity, -kInfinity}, {}, std::nullopt},
        {{}, {}, std::nullopt},
        {{}, {5, 65535, 0, 7}, HeightRange{0, 65535}},
        {{-1e308, 1e308, 4}, {}, HeightRange{-1e308, 1e308}},
    };
    for (const Case& c : cases) {
        RasterSamples samples;
        samples.Real = c.Real;
        samples.Whole = c.Whole;
        const std::optional<HeightRange> range = SampleRange(samples);
        ASSERT_EQ(range.has_value(), c.Expected.has_value()) << c.Real.size() << " reals, " << c.Whole.size() << " words";
        if (range) {
            EXPECT_EQ(range->Low, c.Expected->Low);
            EXPECT_EQ(range->High, c.Expected->High);
        }
    }
}

// Of samples that compare equal the first counts, so the ranges of
// consecutive runs (rows read in parallel) widened in order are the range of
// the whole: the sign of a zero at either end is the first one's.
TEST(SampleRangeTest, TheFirstOfEqualSamplesCountsAndRunsAddUp) {
    const std::vector<double> samples = {0.0, -0.0, 5, 3, -0.0, 0.0, 5};
    for (const std::size_t split : {1, 2, 4, 6}) {
        std::optional<HeightRange> range = RealSampleRange(samples.data(), split);
        const std::optional<HeightRange> rest = RealSampleRange(samples.data() + split, samples.size() - split);
        range = HeightRange{std::min(range->Low, rest->Low), std::max(range->High, rest->High)};
        const std::optional<HeightRange> whole = RealSampleRange(samples.data(), samples.size());
        EXPECT_FALSE(std::signbit(whole->Low));
        EXPECT_EQ(std::signbit(range->Low), std::signbit(whole->Low)) << split;
        EXPECT_EQ(range->High, whole->High) << split;
    }
}

// Heights are mapped through High - Low, which must be a finite number.
TEST_F(PictureFileTest, RangesWiderThanADoubleAreRefused) {
    const std::string path = PathOf("wide.tif");
    test::WriteWithGdal(path, "GTiff", {2, 1, 1, GDT_Float64, {-1.5e308, 1.5e308}});
    EXPECT_EQ(test::MessageOf<Error>([&] { ReadPictureFile(path); }),
              path + ": its heights from -1.5e+308 to 1.5e+308 span more than a number can hold");
    for (const char* text : {"-1e308:1e308", "0:1e309", "-inf:0"}) {
        EXPECT_NE(test::MessageOf<Error>([&] { ParseHeightRange(text); }), test::kNoError) << text;
    }
}

// Samples too few for the size given are refused before GDAL reads them.
TEST_F(PictureFileTest, PngOfTooFewSamplesIsRefusedAndNotWritten) {
    const std::string path = PathOf("short.png");
    const struct {
        PngPixels Format;
        std::size_t Count;
    } cases[] = {{{4, 4, 3}, 47}, {{4, 0, 3}, 48}, {{-4, -4, 3}, 48}, {{4, 4, 0}, 48}};
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> samples(c.Count);
        const std::string message = test::MessageOf<Error>([&] { WritePngFile(path, c.Format, samples); });
        EXPECT_EQ(message.rfind(path + ": " + std::to_string(c.Count) + " samples cannot make", 0), 0u) << message;
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

// A RAW heightmap has no signature: one whose first sample is 19778 (the
// bytes "BM") is still a heightmap; other names go by the signature.
TEST_F(PictureFileTest, RawNamesDecideBeforeTheBmpSignature) {
    const struct {
        const char* File;
        const char* Content;
        bool Bmp;
    } cases[] = {{"bm.r16", "BM", false}, {"bm.RAW", "BMBMBMBM", false}, {"bm.bmp", "xx", true},
                 {"bm.dat", "BM", true}, {"h.dat", "xx", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        std::ofstream(PathOf(c.File), std::ios::binary) << c.Content;
        EXPECT_EQ(IsBmpFile(PathOf(c.File)), c.Bmp);
    }
    const Picture raw = ReadPictureFile(PathOf("bm.r16"));
    ASSERT_TRUE(raw.FineHeights);
    EXPECT_EQ(raw.FineHeights->At(0, 0), 19778 / 257.0);
}

}  // namespace
}  // namespace orvalis
