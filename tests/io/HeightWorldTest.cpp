#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ErrorMessage.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "io/HeightWorld.h"
#include "raster/HeightHoles.h"

namespace orvalis {
namespace {

constexpr double kNoData = -9999;

// Samples that use much of each type's range, negative ones where it has
// them, with cells without data scattered over the real types.
double SampleOf(GDALDataType type, int x, int y) {
    const int i = x * 31 + y * 17;
    if ((type == GDT_Int16 || type == GDT_Int32 || type == GDT_Float32) && (x * 3 + y) % 11 == 5) return kNoData;
    switch (type) {
        case GDT_Byte: return i % 256;
        case GDT_UInt16: return (i * 997) % 65536;
        case GDT_Int16: return (i * 997) % 65536 - 32768;
        case GDT_Int32: return i * 99991.0 - 2e6;
        case GDT_Float32: return (i % 400 - 200) * 7.3125 + y * 0.001;
        default: return 1e9 + i * 0.1234567 - y * 1e-7;
    }
}

test::GdalPicture Samples(GDALDataType type, int width, int rows, int bands = 1) {
    test::GdalPicture picture{width, rows, bands, type};
    for (int b = 0; b < bands; ++b)
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x) picture.Samples.push_back(SampleOf(type, x + 5 * b, y));
    picture.HasNoData = type == GDT_Int16 || type == GDT_Int32 || type == GDT_Float32;
    picture.NoData = kNoData;
    picture.GeoTransform = test::kArcSecondCells;
    return picture;
}

struct WorldCase {
    const char* Name;
    std::function<std::string(const std::filesystem::path& folder)> Make;  // gives the file's path
    std::optional<HeightRange> Range = std::nullopt;
};

std::function<std::string(const std::filesystem::path&)> Written(const char* name, const char* driver,
                                                                 test::GdalPicture picture, const char* option = nullptr) {
    return [=](const std::filesystem::path& folder) {
        test::GdalPicture p = picture;
        p.Options[0] = option;
        test::WriteWithGdal((folder / name).string(), driver, p);
        return (folder / name).string();
    };
}

// Every kind of sample a world may hold, small, and one real file of
// several bands of rows, whose lowest sample lies in the first band and
// highest in the last.
std::vector<WorldCase> WorldCases() {
    test::GdalPicture banded = Samples(GDT_Float32, 600, 2000);
    banded.Samples[7] = -5000.5;
    banded.Samples[banded.Samples.size() - 9] = 7000.25;
    test::GdalPicture twelveBits = Samples(GDT_UInt16, 13, 9);
    for (double& v : twelveBits.Samples) v = std::fmod(v, 4096);
    return {
        {"8-bit grey PNG", Written("grey.png", "PNG", Samples(GDT_Byte, 13, 9))},
        {"8-bit colour TIFF", Written("colour.tif", "GTiff", Samples(GDT_Byte, 13, 9, 3))},
        {"16-bit PNG", Written("words.png", "PNG", Samples(GDT_UInt16, 13, 9))},
        {"16-bit PNG, height range", Written("words.png", "PNG", Samples(GDT_UInt16, 13, 9)), HeightRange{-50, 3000}},
        {"12-bit TIFF", Written("twelve.tif", "GTiff", twelveBits, "NBITS=12")},
        {"signed bytes", Written("signed.tif", "GTiff", Samples(GDT_Byte, 13, 9), "PIXELTYPE=SIGNEDBYTE")},
        {"Int16 with no data", Written("int16.tif", "GTiff", Samples(GDT_Int16, 13, 9))},
        {"Int32 with no data", Written("int32.tif", "GTiff", Samples(GDT_Int32, 13, 9))},
        {"Float32 with no data", Written("float32.tif", "GTiff", Samples(GDT_Float32, 13, 9))},
        {"Float32, height range", Written("float32.tif", "GTiff", Samples(GDT_Float32, 13, 9)), HeightRange{-5000, 100}},
        {"Float64", Written("float64.tif", "GTiff", Samples(GDT_Float64, 13, 9))},
        {"Float32 in bands of rows", Written("banded.tif", "GTiff", banded)},
        {"mosaic of Int16 tiles with no data",
         [](const std::filesystem::path& folder) {
             return test::WriteMosaicOfTiles(folder, "mosaic.vrt", Samples(GDT_Int16, 13, 9), 2, 2);
         }},
        {"BMP",
         [](const std::filesystem::path& folder) {
             test::RuggedTerrain(13, 9).WriteBmpFile((folder / "terrain.bmp").string());
             return (folder / "terrain.bmp").string();
         }},
        {"RAW",
         [](const std::filesystem::path& folder) {
             std::ofstream raw(folder / "square.r16", std::ios::binary);
             for (int i = 0; i < 11 * 11; ++i) raw.put(static_cast<char>(i * 7)).put(static_cast<char>(i * 13));
             return (folder / "square.r16").string();
         }},
    };
}

bool SameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// Cells of the window that differ from the whole's cells it covers, in
// pixels, fine heights or heights in the data's units.
int CellsOtherThanTheWholes(const Picture& window, const HeightPlane& windowHeights, const Picture& whole,
                            const HeightPlane& wholeHeights, std::int32_t x0, std::int32_t y0) {
    int differing = 0;
    for (std::int32_t row = 0; row < window.Pixels.RowCount(); ++row) {
        for (std::int32_t x = 0; x < window.Pixels.Width(); ++x) {
            const PixelColour shown = window.Pixels.ReadPixel(BufferRowOfPlaneRow(window.Pixels, row), x);
            bool same = shown == whole.Pixels.ReadPixel(BufferRowOfPlaneRow(whole.Pixels, y0 + row), x0 + x) &&
                        SameBits(windowHeights.At(row, x), wholeHeights.At(y0 + row, x0 + x));
            if (whole.FineHeights) {
                same = same && window.FineHeights &&
                       SameBits(window.FineHeights->At(row, x), whole.FineHeights->At(y0 + row, x0 + x));
            }
            differing += same ? 0 : 1;
        }
    }
    return differing;
}

using HeightWorldTest = test::ScratchFolderTest;

// A window is the part of the whole read's picture it covers, bit for bit,
// for every kind of sample, with the levels made from the world's
// statistics; windows touching each edge, and reaching past them, are
// clipped to the world.
TEST_F(HeightWorldTest, AWindowIsThePartOfTheWholeReadItCovers) {
    for (const WorldCase& c : WorldCases()) {
        SCOPED_TRACE(c.Name);
        const std::string path = c.Make(folder_);
        PictureReadOptions options;
        options.Range = c.Range;
        const Picture whole = ReadHeightmapPicture(path, options);
        const HeightPlane wholeHeights = HeightsInDataUnits(whole);
        const HeightWorld world(path, options);
        const HeightLevels levels = world.Levels(world.Statistics());
        EXPECT_TRUE(SameBits(levels.Levels.Low, whole.Levels.Low) && SameBits(levels.Levels.High, whole.Levels.High));
        const std::int32_t w = world.Facts().Width, h = world.Facts().Rows;
        const WorldWindow windows[] = {{0, 0, w, h},          {0, 0, 3, 2},          {w - 3, h - 2, w, h},
                                       {1, 1, w - 1, h - 1},  {-4, h - 3, 5, h + 7}, {w - 1, -6, w + 9, 2}};
        for (const WorldWindow& asked : windows) {
            SCOPED_TRACE(testing::Message() << asked.X0 << "," << asked.Y0 << " .. " << asked.X1 << "," << asked.Y1);
            const Picture window = world.ReadWindow(asked, levels);
            const std::int32_t x0 = std::max(asked.X0, 0), y0 = std::max(asked.Y0, 0);
            ASSERT_EQ(window.Pixels.Width(), std::min(asked.X1, w) - x0);
            ASSERT_EQ(window.Pixels.RowCount(), std::min(asked.Y1, h) - y0);
            EXPECT_EQ(CellsOtherThanTheWholes(window, world.ReadWindowHeights(asked, levels), whole, wholeHeights, x0, y0), 0);
        }
        EXPECT_TRUE(world.ReadWindow({2, 1, 2, h}, levels).Pixels.IsEmpty());
    }
}

// The world's statistics, read a band of rows at a time on one or two
// threads, are what the whole read finds: the real samples' range its
// levels come from, and the ends of its heights in the data's units.
TEST_F(HeightWorldTest, StatisticsAreTheWholeReads) {
    for (const WorldCase& c : WorldCases()) {
        SCOPED_TRACE(c.Name);
        const std::string path = c.Make(folder_);
        for (const int threads : {1, 2}) {
            PictureReadOptions options;
            options.Range = c.Range;
            options.Threads = threads;
            const HeightPlane heights = HeightsInDataUnits(ReadHeightmapPicture(path, options));
            const WorldStatistics statistics = HeightWorld(path, options).Statistics();
            EXPECT_EQ(statistics.Heights.Low, LowestHeightWithData(heights));
            EXPECT_EQ(statistics.Heights.High, *std::max_element(heights.Heights.begin(), heights.Heights.end()));
            const PictureFacts facts = path.ends_with(".bmp") ? PictureFacts{} : ReadPictureFacts(path, options);
            if (facts.Layout.Kind != SampleKind::Real) {
                EXPECT_FALSE(statistics.Samples);
                continue;
            }
            ASSERT_TRUE(statistics.Samples && facts.Range);
            EXPECT_EQ(statistics.Samples->Low, facts.Range->Low);
            EXPECT_EQ(statistics.Samples->High, facts.Range->High);
        }
    }
}

// A file larger than one picture (a sparse BigTIFF 40000 cells wide) is
// refused whole, saying that tiles read it, and read in windows: a window
// far in is what a whole read makes of a file of its cells alone, given the
// world's levels.
TEST_F(HeightWorldTest, AFileLargerThanOnePictureIsReadInWindows) {
    constexpr int kWidth = 40000, kRows = 64, kPatch = 20;
    GDALAllRegister();
    const char* sparse[] = {"SPARSE_OK=TRUE", "TILED=YES", "BIGTIFF=YES", nullptr};
    GDALDatasetH file = GDALCreate(GDALGetDriverByName("GTiff"), PathOf("wide.tif").c_str(), kWidth, kRows, 1,
                                   GDT_Int16, const_cast<char**>(sparse));
    ASSERT_NE(file, nullptr);
    GDALSetRasterNoDataValue(GDALGetRasterBand(file, 1), kNoData);
    test::GdalPicture patch = Samples(GDT_Int16, kPatch, kPatch);
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(file, 1), GF_Write, kWidth - kPatch, kRows - kPatch, kPatch, kPatch,
                           patch.Samples.data(), kPatch, kPatch, GDT_Float64, 0, 0),
              CE_None);
    GDALClose(file);

    EXPECT_NE(test::MessageOf<Error>([&] { ReadHeightmapPicture(PathOf("wide.tif")); })
                  .find("40000 x 64 pixels is too large to hold whole (each side at most 32768); tiles (--tile-size)"),
              std::string::npos);
    const HeightWorld world(PathOf("wide.tif"));
    EXPECT_FALSE(world.FitsOnePicture());
    const WorldStatistics statistics = world.Statistics();
    const HeightLevels levels = world.Levels(statistics);
    // The patch and some cells without data to its left, on the bottom rows.
    const Picture window = world.ReadWindow({kWidth - kPatch - 5, 0, kWidth, kPatch}, levels);
    test::GdalPicture cells{kPatch + 5, kPatch, 1, GDT_Int16};
    for (int y = 0; y < kPatch; ++y) {
        cells.Samples.insert(cells.Samples.end(), 5, kNoData);
        cells.Samples.insert(cells.Samples.end(), patch.Samples.begin() + y * kPatch, patch.Samples.begin() + (y + 1) * kPatch);
    }
    cells.HasNoData = true;
    cells.NoData = kNoData;
    test::WriteWithGdal(PathOf("cells.tif"), "GTiff", cells);
    PictureReadOptions sameLevels;
    sameLevels.Range = statistics.Samples;
    const Picture alone = ReadHeightmapPicture(PathOf("cells.tif"), sameLevels);
    EXPECT_EQ(CellsOtherThanTheWholes(window, HeightsInDataUnits(window), alone, HeightsInDataUnits(alone), 0, 0), 0);
    EXPECT_NE(test::MessageOf<Error>([&] { world.ReadWindow({0, 0, 32769, 1}, levels); })
                  .find("a window of 32769 x 1 cells is larger than one picture holds"),
              std::string::npos);
}

}  // namespace
}  // namespace orvalis
