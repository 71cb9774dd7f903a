#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "io/PictureFile.h"
#include "io/PngFile.h"

namespace orvalis {
namespace {

// Whole-number heights with every level from 0 to 255 reachable, the lowest
// and highest present, and no symmetry that would hide a flip.
int HeightAt(int x, int y, int width, int rows) {
    if (x == 0 && y == 0) return 0;
    if (x == width - 1 && y == rows - 1) return 255;
    return (x * 37 + y * 71 + x * y * 13) % 256;
}

// A colour whose (r + g + b) / 3 is the whole number h.
PixelColour ColourOf(int h) {
    return MakeColour(static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(255 - h),
                      static_cast<std::uint8_t>(3 * (h % 85)));
}

struct Shape {
    int Width;
    int Rows;
    bool Colour;
    bool Flat;  // every height 100
};

int HeightOf(const Shape& s, int x, int y) { return s.Flat ? 100 : HeightAt(x, y, s.Width, s.Rows); }

// The picture as a 24-bit BMP would hold it: bottom row first.
TDibBuffer Reference(const Shape& s) {
    TDibBuffer picture;
    picture.Allocate(s.Width, s.Rows, 24);
    for (int y = 0; y < s.Rows; ++y) {
        for (int x = 0; x < s.Width; ++x) {
            const auto h = static_cast<std::uint8_t>(HeightOf(s, x, y));
            picture.WritePixel(picture.BufferRow(y), x, s.Colour ? ColourOf(h) : MakeColour(h, h, h));
        }
    }
    return picture;
}

// Samples top row first, bands one after another, each height through `value`.
test::GdalPicture Samples(const Shape& s, GDALDataType type, const std::function<double(int)>& value) {
    test::GdalPicture p;
    p.Width = s.Width;
    p.Rows = s.Rows;
    p.Bands = s.Colour ? 3 : 1;
    p.Type = type;
    for (int band = 0; band < p.Bands; ++band) {
        for (int y = 0; y < s.Rows; ++y) {
            for (int x = 0; x < s.Width; ++x) {
                const int h = HeightOf(s, x, y);
                const PixelColour c = ColourOf(h);
                const int channel = !s.Colour ? h : band == 0 ? c.Red : band == 1 ? c.Green : c.Blue;
                p.Samples.push_back(value(channel));
            }
        }
    }
    return p;
}

double Same(int v) { return v; }
double Word(int v) { return v * 257.0; }

void WriteRaw(const std::string& path, const Shape& s) {
    std::ofstream out(path, std::ios::binary);
    for (int y = 0; y < s.Rows; ++y) {
        for (int x = 0; x < s.Width; ++x) {
            const int v = HeightOf(s, x, y) * 257;
            out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>(v >> 8));
        }
    }
}

struct FormatCase {
    const char* Name;
    const char* File;
    Shape Size;
    std::function<void(const std::string&, const Shape&)> Write;
    PictureReadOptions Options;
};

void WriteGdal(const std::string& path, const char* driver, test::GdalPicture picture,
               std::vector<std::string> options = {}) {
    picture.CreationOptions = std::move(options);
    test::WriteWithGdal(path, driver, picture);
}

std::vector<FormatCase> FormatCases() {
    constexpr Shape grey{11, 7, false, false}, colour{11, 7, true, false};
    const auto gdal = [](const char* driver, GDALDataType type, double (*value)(int),
                         std::vector<std::string> options = {}) {
        return [=](const std::string& path, const Shape& s) {
            WriteGdal(path, driver, Samples(s, type, value), options);
        };
    };
    const auto palette = [](const std::string& path, const Shape& s) {
        test::GdalPicture p = Samples({s.Width, s.Rows, false, false}, GDT_Byte, Same);
        for (int i = 0; i < 256; ++i) {
            const PixelColour c = ColourOf(i);
            p.Palette.push_back({c.Red, c.Green, c.Blue, 255});
        }
        WriteGdal(path, "PNG", p);
    };
    const auto shifted = [](const std::string& path, const Shape& s) {
        WriteGdal(path, "GTiff", Samples(s, GDT_Float32, [](int v) { return 10.0 * v - 500; }));
    };
    const auto noData = [](const std::string& path, const Shape& s) {
        test::GdalPicture p = Samples(s, GDT_Float32, [](int v) { return v == 0 ? -9999.0 : v; });
        p.HasNoData = true;
        p.NoData = -9999;
        WriteGdal(path, "GTiff", p);
    };
    // SRTM tiles are 1201 x 1201 samples of one degree, named by their corner.
    const auto srtm = [](const std::string& path, const Shape& s) {
        test::GdalPicture p = Samples(s, GDT_Int16, Same);
        p.GeoTransform = {6 - 0.5 / 1200, 1 / 1200.0, 0, 46 + 0.5 / 1200, 0, -1 / 1200.0};
        WriteGdal(path, "SRTMHGT", p);
    };
    const auto ours = [](const std::string& path, const Shape& s) { WritePngFile(path, Reference(s)); };
    return {
        {"PNG 8-bit grey", "h.png", grey, gdal("PNG", GDT_Byte, Same), {}},
        {"PNG 8-bit RGB", "h.png", colour, gdal("PNG", GDT_Byte, Same), {}},
        {"PNG 8-bit palette", "h.png", colour, palette, {}},
        {"PNG 16-bit grey", "h.png", grey, gdal("PNG", GDT_UInt16, Word), {}},
        {"PNG 16-bit RGB", "h.png", colour, gdal("PNG", GDT_UInt16, Word), {}},
        {"PNG written by WritePngFile", "h.png", colour, ours, {}},
        {"JPEG 8-bit flat grey", "h.jpg", {16, 16, false, true}, gdal("JPEG", GDT_Byte, Same), {}},
        {"TIFF 8-bit grey", "h.tif", grey, gdal("GTiff", GDT_Byte, Same), {}},
        {"TIFF 8-bit RGB", "h.tif", colour, gdal("GTiff", GDT_Byte, Same), {}},
        {"TIFF 16-bit grey, deflate", "h.tif", grey,
         gdal("GTiff", GDT_UInt16, Word, {"COMPRESS=DEFLATE"}), {}},
        {"TIFF 16-bit signed", "h.tif", grey,
         gdal("GTiff", GDT_Int16, [](int v) { return v - 100.0; }), {}},
        {"TIFF 32-bit float", "h.tif", grey, gdal("GTiff", GDT_Float32, Same), {}},
        {"TIFF 32-bit float, --height-range", "h.tif", grey, shifted,
         {HeightRange{-500, 2050}}},
        {"TIFF 32-bit float, nodata as lowest", "h.tif", grey, noData, {HeightRange{0, 255}}},
        {"RAW 16-bit .r16", "h.r16", {9, 9, false, false}, WriteRaw, {}},
        {"RAW 16-bit .raw", "h.raw", {9, 9, false, false}, WriteRaw, {}},
        {"ASC integer grid", "h.asc", grey, gdal("AAIGrid", GDT_Int32, Same), {}},
        {"SRTM HGT", "N45E006.hgt", {1201, 1201, false, false}, srtm, {}},
    };
}

using PictureFileTest = test::ScratchFolderTest;

// Whole-number heights in any format give exactly the buffer and the
// heights of the same picture stored as a 24-bit BMP.
TEST_F(PictureFileTest, WholeNumberHeightsReadAsTheirBmp) {
    for (const FormatCase& c : FormatCases()) {
        SCOPED_TRACE(c.Name);
        const std::string path = PathOf(c.File);
        c.Write(path, c.Size);
        const Picture picture = ReadPictureFile(path, c.Options);
        const TDibBuffer reference = Reference(c.Size);
        ASSERT_EQ(picture.Pixels.Width(), reference.Width());
        ASSERT_EQ(picture.Pixels.Height(), reference.Height());
        ASSERT_EQ(picture.Pixels.BitsPerPixel(), 24);
        EXPECT_EQ(0, std::memcmp(picture.Pixels.PixelData(), reference.PixelData(),
                                 reference.PixelBytes()));
        EXPECT_EQ(HeightsOf(picture).Heights, HeightsOfPixels(reference).Heights);
        std::filesystem::remove(path);
    }
}

// A BMP file goes through our own reader, whatever its name.
TEST_F(PictureFileTest, BmpFilesKeepTheirOwnReader) {
    TDibBuffer topDown;
    topDown.Allocate(3, -2, 8);
    topDown.WriteIndex(0, 1, 7);
    for (const char* name : {"h.bmp", "h.png"}) {
        topDown.WriteBmpFile(PathOf(name));
        const Picture picture = ReadPictureFile(PathOf(name));
        EXPECT_EQ(picture.Pixels.Height(), -2);
        EXPECT_EQ(picture.Pixels.BitsPerPixel(), 8);
        EXPECT_FALSE(picture.FineHeights);
    }
}

// Finer data keeps its heights; the pixels show the nearest 8-bit level.
TEST_F(PictureFileTest, FineHeightsAreScaledOntoTheEightBitRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* Name;
        GDALDataType Type;
        std::vector<double> Samples;
        std::vector<double> Heights;
        std::vector<int> Levels;
    };
    const Case cases[] = {
        {"16-bit", GDT_UInt16, {0, 1, 128, 129, 65535}, {0, 1 / 257.0, 128 / 257.0, 129 / 257.0, 255},
         {0, 0, 0, 1, 255}},
        {"float with no data", GDT_Float32, {-5, 0, 5, nan, 2.5}, {0, 127.5, 255, 0, 191.25},
         {0, 128, 255, 0, 191}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::GdalPicture p;
        p.Width = 5;
        p.Rows = 1;
        p.Type = c.Type;
        p.Samples = c.Samples;
        const std::string path = PathOf("fine.tif");
        test::WriteWithGdal(path, "GTiff", p);
        const Picture picture = ReadPictureFile(path);
        ASSERT_TRUE(picture.FineHeights);
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(picture.FineHeights->At(0, x), c.Heights[x]) << x;
            EXPECT_EQ(picture.Pixels.ReadPixel(0, x).Red, c.Levels[x]) << x;
        }
    }
}

TEST(HeightRangeTest, ParsesTwoNumbersInOrder) {
    const HeightRange range = ParseHeightRange("-12.5:3e3");
    EXPECT_EQ(range.Low, -12.5);
    EXPECT_EQ(range.High, 3000);
    for (const char* bad : {"", "5", "5:", ":5", "5:5", "6:5", "a:b", "1:2:3", "1:inf"}) {
        EXPECT_THROW(ParseHeightRange(bad), Error) << bad;
    }
}

}  // namespace
}  // namespace orvalis
