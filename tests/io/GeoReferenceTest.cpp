#include <cmath>
#include <string>

#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_srs_api.h>

#include "common/GdalFiles.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"
#include "io/GeoTiffFile.h"
#include "io/PictureFile.h"

namespace orvalis {
namespace {

class GeoReferenceTest : public test::ScratchFolderTest {
protected:
    // A 40 x 30 Int16 grid through GDAL's GeoTIFF driver.
    std::string WriteGrid(const std::string& name, std::vector<double> transform, const char* crs, bool noData) const {
        test::GdalPicture grid{40, 30, 1, GDT_Int16, std::vector<double>(40 * 30, 7.0)};
        grid.GeoTransform = std::move(transform);
        grid.Crs = crs;
        grid.HasNoData = noData;
        grid.NoData = -9999;
        test::WriteWithGdal(PathOf(name), "GTiff", grid);
        return PathOf(name);
    }
};

TEST_F(GeoReferenceTest, ReadsTheSystemTheTransformAndTheNoDataValue) {
    struct Case {
        const char* Name;
        const char* Crs;
        bool Geographic;
        double MetresPerUnit;
        const char* CrsName;
    };
    const Case cases[] = {
        {"wgs84.tif", "EPSG:4326", true, 1, "WGS 84"},
        {"utm.tif", "EPSG:32617", false, 1, "WGS 84 / UTM zone 17N"},
        {"feet.tif", "EPSG:2272", false, 0.3048006096012192, "NAD83 / Pennsylvania South (ftUS)"},
    };
    const std::vector<double> transform = {500000, 30, 0, 4100000, 0, -30};
    for (const Case& c : cases) {
        const Picture picture = ReadPictureFile(WriteGrid(c.Name, transform, c.Crs, true));
        ASSERT_TRUE(picture.Geo) << c.Name;
        EXPECT_EQ(picture.Geo->Geographic, c.Geographic) << c.Name;
        EXPECT_NEAR(picture.Geo->MetresPerUnit, c.MetresPerUnit, 1e-12) << c.Name;
        EXPECT_EQ(picture.Geo->CrsName, c.CrsName);
        EXPECT_FALSE(picture.Geo->Crs.empty());
        ASSERT_TRUE(picture.Geo->Transform);
        for (int i = 0; i < 6; ++i) EXPECT_EQ((*picture.Geo->Transform)[i], transform[i]) << c.Name << " " << i;
        ASSERT_TRUE(picture.Geo->NoData);
        EXPECT_EQ(*picture.Geo->NoData, -9999);
    }
    // A transform without a system, as an ASCII grid without .prj gives.
    const Picture bare = ReadPictureFile(WriteGrid("bare.tif", transform, nullptr, false));
    ASSERT_TRUE(bare.Geo);
    EXPECT_TRUE(bare.Geo->Crs.empty());
    EXPECT_FALSE(bare.Geo->NoData);
    // A PNG says nothing of its place.
    test::GreyPicture(4, 4, 9).WriteBmpFile(PathOf("plain.bmp"));
    EXPECT_FALSE(ReadPictureFile(PathOf("plain.bmp")).Geo);
}

// A GeoTIFF output keeps the map's system and extent at its own size.
TEST_F(GeoReferenceTest, AGeoTiffOutputCoversTheMapsExtent) {
    const Picture map = ReadPictureFile(WriteGrid("map.tif", {-84.41375, 1 / 1200.0, 0, 36.7329, 0, -1 / 1200.0}, "EPSG:4326", false));
    const TDibBuffer texture = test::MakePicture(100, 75, [](std::int32_t row, std::int32_t column) {
        return PixelColour{static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row), 7};
    });
    for (const bool grey : {false, true}) {
        const std::string path = PathOf(grey ? "grey.tif" : "colour.tif");
        WriteGeoTiffFile(path, texture, grey, {&*map.Geo, 40, 30});
        GDALDatasetH written = GDALOpen(path.c_str(), GA_ReadOnly);
        ASSERT_NE(written, nullptr);
        EXPECT_EQ(GDALGetRasterCount(written), grey ? 1 : 3);
        EXPECT_EQ(GDALGetRasterXSize(written), 100);
        double t[6];
        ASSERT_EQ(GDALGetGeoTransform(written, t), CE_None);
        EXPECT_DOUBLE_EQ(t[0], -84.41375);
        EXPECT_DOUBLE_EQ(t[3], 36.7329);
        EXPECT_DOUBLE_EQ(t[0] + 100 * t[1], -84.41375 + 40 / 1200.0);
        EXPECT_DOUBLE_EQ(t[3] + 75 * t[5], 36.7329 - 30 / 1200.0);
        EXPECT_TRUE(OSRIsGeographic(GDALGetSpatialRef(written)));
        GDALClose(written);
    }
}

TEST(WorldFileText, NamesThePixelSizeAndTheCentreOfTheTopLeftPixel) {
    GeoReference geo;
    geo.Transform = std::array<double, 6>{1000, 30, 0, 5000, 0, -30};
    EXPECT_EQ(WorldFileText({&geo, 10, 10}, 10, 10), "30\n0\n0\n-30\n1015\n4985\n");
    EXPECT_EQ(WorldFileText({&geo, 10, 10}, 20, 5), "15\n0\n0\n-60\n1007.5\n4970\n");
    GeoReference none;
    EXPECT_THROW(WorldFileText({&none, 10, 10}, 10, 10), Error);
}

}  // namespace
}  // namespace orvalis
