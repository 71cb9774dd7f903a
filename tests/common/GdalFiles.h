#pragma once

#include <string>
#include <vector>

#include <gdal.h>
#include <ogr_srs_api.h>
#include <gtest/gtest.h>

namespace orvalis::test {

// Samples (top row first, bands one after another) to write through one of
// GDAL's drivers, as the tools that make heightmaps would.
struct GdalPicture {
    int Width = 0;
    int Rows = 0;
    int Bands = 1;
    GDALDataType Type = GDT_Byte;
    std::vector<double> Samples{};
    std::vector<GDALColorEntry> Palette{};  // one band of indexes when not empty
    std::vector<double> GeoTransform{};   // six numbers, or none
    const char* Options[2] = {nullptr, nullptr};  // one creation option
    bool HasNoData = false;
    double NoData = 0;
    const char* Crs = "EPSG:4326";  // with a GeoTransform; nullptr: none
};

inline void WriteWithGdal(const std::string& path, const char* driver, GdalPicture p) {
    GDALAllRegister();
    GDALDatasetH source = GDALCreate(GDALGetDriverByName("MEM"), "", p.Width, p.Rows, p.Bands, p.Type, nullptr);
    ASSERT_EQ(GDALDatasetRasterIO(source, GF_Write, 0, 0, p.Width, p.Rows, p.Samples.data(), p.Width,
                                  p.Rows, GDT_Float64, p.Bands, nullptr, 0, 0, 0),
              CE_None);
    if (!p.GeoTransform.empty()) {
        GDALSetGeoTransform(source, p.GeoTransform.data());
        if (p.Crs) {
            OGRSpatialReferenceH system = OSRNewSpatialReference(nullptr);
            OSRSetFromUserInput(system, p.Crs);
            GDALSetSpatialRef(source, system);
            OSRDestroySpatialReference(system);
        }
    }
    if (p.HasNoData) GDALSetRasterNoDataValue(GDALGetRasterBand(source, 1), p.NoData);
    if (!p.Palette.empty()) {
        GDALColorTableH table = GDALCreateColorTable(GPI_RGB);
        for (int i = 0; i < static_cast<int>(p.Palette.size()); ++i) GDALSetColorEntry(table, i, &p.Palette[i]);
        GDALSetRasterColorTable(GDALGetRasterBand(source, 1), table);
        GDALDestroyColorTable(table);
    }
    GDALDatasetH copy = GDALCreateCopy(GDALGetDriverByName(driver), path.c_str(), source, FALSE,
                                       const_cast<char**>(p.Options), nullptr, nullptr);
    GDALClose(source);
    ASSERT_NE(copy, nullptr) << CPLGetLastErrorMsg();
    GDALClose(copy);
}

}  // namespace orvalis::test
