#include <sys/stat.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/Files.h"
#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

using MosaicTest = test::ScratchFolderTest;

// Tiles of uneven sizes joined by GDAL's mosaic builder read as the file
// they were cut from: the same pixels, heights, levels and georeference,
// cells without data included (which makes the builder write ComplexSource
// pieces with their no-data value).
TEST_F(MosaicTest, ReadsAsTheFileItsTilesWereCutFrom) {
    test::GdalPicture whole = test::Hill(41, 31, test::kArcSecondCells);
    whole.HasNoData = true;
    whole.NoData = -32768;
    for (std::size_t i = 3; i < whole.Samples.size(); i += 17) whole.Samples[i] = whole.NoData;
    test::WriteWithGdal(PathOf("whole.tif"), "GTiff", whole);
    const std::string mosaic = test::WriteMosaicOfTiles(folder_, "hills.vrt", whole, 2, 2);

    const Picture merged = ReadHeightmapPicture(PathOf("whole.tif"));
    const Picture joined = ReadHeightmapPicture(mosaic);
    EXPECT_TRUE(test::SamePixels(joined.Pixels, merged.Pixels));
    ASSERT_TRUE(joined.FineHeights && merged.FineHeights);
    EXPECT_EQ(test::EveryHeight(*joined.FineHeights), test::EveryHeight(*merged.FineHeights));
    EXPECT_EQ(joined.Levels.Low, merged.Levels.Low);
    EXPECT_EQ(joined.Levels.High, merged.Levels.High);
    ASSERT_TRUE(joined.Geo && merged.Geo);
    EXPECT_EQ(joined.Geo->Crs, merged.Geo->Crs);
    EXPECT_EQ(joined.Geo->Transform, merged.Geo->Transform);
    EXPECT_EQ(joined.Geo->NoData, merged.Geo->NoData);
    EXPECT_EQ(ReadPictureFacts(mosaic).Layout.Format, "VRT");
}

struct MosaicCase {
    const char* Name;
    std::string Source;             // as the mosaic names it
    const char* Problem = nullptr;  // nullptr: read as the picture it names
    const char* Relative = "1";
    const char* SourceBand = "1";
    const char* PieceXml = "";  // more of the piece, after its band
    const char* BandXml = "";   // more of the band, before its piece
    const char* BandAttributes = "";
    const char* MosaicAttributes = "";
};

std::string MosaicText(const MosaicCase& c) {
    return std::string("<VRTDataset rasterXSize=\"4\" rasterYSize=\"3\"") + c.MosaicAttributes +
           "><VRTRasterBand dataType=\"Byte\" band=\"1\"" + c.BandAttributes + ">" + c.BandXml +
           "<ComplexSource><SourceFilename relativeToVRT=\"" + c.Relative + "\">" + c.Source +
           "</SourceFilename><SourceBand>" + c.SourceBand + "</SourceBand>" + c.PieceXml +
           "</ComplexSource></VRTRasterBand></VRTDataset>";
}

// A mosaic is read when it copies plain regular files in its folder or below
// it; anything else is refused at once, naming the mosaic, the source and
// the reason: a way out of the folder, the network, GDAL's file systems and
// drivers, a mosaic in a mosaic, a missing or unreadable file, and whatever
// computes cells rather than copying them.
TEST_F(MosaicTest, OnlyPlainFilesInItsFolderAreRead) {
    constexpr int kOwnLevel = 77, kOutsideLevel = 200;
    const fs::path in = folder_ / "mosaic";
    fs::create_directories(in / "tiles");
    test::GdalPicture own{4, 3, 1, GDT_Byte, std::vector<double>(12, kOwnLevel)};
    test::WriteWithGdal((in / "a.tif").string(), "GTiff", own);
    own.Options[0] = "PIXELTYPE=SIGNEDBYTE";
    test::WriteWithGdal((in / "signed.tif").string(), "GTiff", own);
    own.Options[0] = nullptr;
    test::WriteWithGdal((in / "tiles/b.tif").string(), "GTiff", own);
    test::WriteWithGdal(PathOf("outside.tif"), "GTiff", {4, 3, 1, GDT_Byte, std::vector<double>(12, kOutsideLevel)});
    fs::create_symlink("tiles/b.tif", in / "link-in.tif");
    fs::create_symlink("../outside.tif", in / "link-out.tif");
    test::WriteBytes(in / "inner.vrt", MosaicText({"inner", "a.tif"}));
    ::mkfifo((in / "pipe.tif").c_str(), 0600);
    test::WriteBytes(in / "notes.tif", "hello");
    const std::string absoluteOutside = PathOf("outside.tif"), absoluteInside = (in / "a.tif").string();

    const MosaicCase cases[] = {
        {"beside it", "a.tif"},
        {"below it, through '..'", "tiles/../tiles/b.tif"},
        {"a link to a file below it", "link-in.tif"},
        {"an absolute name inside", absoluteInside, nullptr, "0"},
        {"out by '..'", "../outside.tif", "lies outside the mosaic's folder"},
        {"an absolute name outside", absoluteOutside, "lies outside the mosaic's folder", "0"},
        {"a link that leads out", "link-out.tif", "lies outside the mosaic's folder"},
        {"/vsicurl/", "/vsicurl/http://localhost/a.tif", "names one of GDAL's virtual file systems"},
        {"a URL", "https://localhost/a.tif", "is a network address"},
        {"a driver's prefix", "GTIFF_DIR:1:a.tif", "through a driver's prefix"},
        {"a mosaic in a mosaic", "inner.vrt", "is a mosaic itself"},
        {"a missing file", "none.tif", "its source 'none.tif' is missing"},
        {"a FIFO", "pipe.tif", "is not a regular file (a FIFO)"},
        {"text", "notes.tif", "not a GeoTIFF, HGT or PNG file"},
        {"signed bytes", "signed.tif", "holds signed bytes"},
        {"a band the file lacks", "a.tif", "has no band 2", "1", "2"},
        {"a mask band", "a.tif", "a source's mask", "1", "mask,1"},
        {"a lookup table", "a.tif", "'LUT' (a lookup table", "1", "1", "<LUT>0:0,255:1</LUT>"},
        {"a derived band", "a.tif", "is a VRTDerivedRasterBand", "1", "1", "", "<PixelFunctionType>sum</PixelFunctionType>",
         " subClass=\"VRTDerivedRasterBand\""},
        {"Python", "a.tif", "'PixelFunctionLanguage' (a pixel function", "1", "1", "",
         "<PixelFunctionLanguage>Python</PixelFunctionLanguage>"},
        {"a warped mosaic", "a.tif", "is a VRTWarpedDataset", "1", "1", "", "", "", " subClass=\"VRTWarpedDataset\""},
    };
    for (const MosaicCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = (in / "m.vrt").string();
        test::WriteBytes(path, MosaicText(c));
        const std::string message = [&] {
            try {
                EXPECT_EQ(ReadPictureFile(path).Pixels.ReadPixel(0, 0).Red, kOwnLevel);
                return std::string();
            } catch (const Error& e) {
                return std::string(e.what());
            }
        }();
        if (!c.Problem) {
            EXPECT_EQ(message, "");
            continue;
        }
        EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(c.Problem), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace orvalis
