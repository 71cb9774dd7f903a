#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gdal.h>
#include <gtest/gtest.h>

namespace orvalis::test {

// Writes samples (top row first, bands one after another) through one of
// GDAL's drivers, as the tools that make heightmaps would.
struct GdalPicture {
    int Width = 0;
    int Rows = 0;
    int Bands = 1;
    GDALDataType Type = GDT_Byte;
    std::vector<double> Samples;
    std::vector<GDALColorEntry> Palette;  // one band of indexes when not empty
    std::vector<std::string> CreationOptions;
    bool HasNoData = false;
    double NoData = 0;
    std::vector<double> GeoTransform;  // six numbers, or none
};

inline void WriteWithGdal(const std::string& path, const char* driverName, const GdalPicture& p) {
    GDALAllRegister();
    GDALDatasetH source = GDALCreate(GDALGetDriverByName("MEM"), "", p.Width, p.Rows, p.Bands,
                                     p.Type, nullptr);
    ASSERT_NE(source, nullptr);
    std::vector<double> samples = p.Samples;
    ASSERT_EQ(GDALDatasetRasterIO(source, GF_Write, 0, 0, p.Width, p.Rows, samples.data(), p.Width,
                                  p.Rows, GDT_Float64, p.Bands, nullptr, 0, 0, 0),
              CE_None);
    if (!p.GeoTransform.empty()) {
        std::vector<double> transform = p.GeoTransform;
        GDALSetGeoTransform(source, transform.data());
        GDALSetProjection(source, "EPSG:4326");
    }
    if (p.HasNoData) GDALSetRasterNoDataValue(GDALGetRasterBand(source, 1), p.NoData);
    if (!p.Palette.empty()) {
        GDALColorTableH table = GDALCreateColorTable(GPI_RGB);
        for (int i = 0; i < static_cast<int>(p.Palette.size()); ++i) {
            GDALSetColorEntry(table, i, &p.Palette[i]);
        }
        GDALSetRasterColorTable(GDALGetRasterBand(source, 1), table);
        GDALDestroyColorTable(table);
    }
    std::vector<char*> options;
    for (const std::string& option : p.CreationOptions) options.push_back(const_cast<char*>(option.c_str()));
    options.push_back(nullptr);
    GDALDatasetH copy = GDALCreateCopy(GDALGetDriverByName(driverName), path.c_str(), source, FALSE,
                                       options.data(), nullptr, nullptr);
    GDALClose(source);
    ASSERT_NE(copy, nullptr) << CPLGetLastErrorMsg();
    GDALClose(copy);
}

// Every band of a file as GDAL reads it, top row first, bands one after another.
inline GdalPicture ReadWithGdal(const std::string& path) {
    GDALAllRegister();
    GdalPicture p;
    GDALDatasetH dataset = GDALOpen(path.c_str(), GA_ReadOnly);
    if (!dataset) return p;
    p.Width = GDALGetRasterXSize(dataset);
    p.Rows = GDALGetRasterYSize(dataset);
    p.Bands = GDALGetRasterCount(dataset);
    p.Type = GDALGetRasterDataType(GDALGetRasterBand(dataset, 1));
    p.Samples.resize(static_cast<std::size_t>(p.Width) * p.Rows * p.Bands);
    if (GDALDatasetRasterIO(dataset, GF_Read, 0, 0, p.Width, p.Rows, p.Samples.data(), p.Width,
                            p.Rows, GDT_Float64, p.Bands, nullptr, 0, 0, 0) != CE_None) {
        p.Samples.clear();
    }
    GDALClose(dataset);
    return p;
}

}  // namespace orvalis::test
