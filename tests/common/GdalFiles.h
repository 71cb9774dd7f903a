#pragma once

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_utils.h>
#include <ogr_srs_api.h>
#include <gtest/gtest.h>

#include "common/Files.h"

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

// The samples of a picture file as GDAL reads them, in the same order:
// bands one after another, each top row first; and its transform, if any.
inline GdalPicture ReadWithGdal(const std::string& path) {
    GDALAllRegister();
    GdalPicture p;
    GDALDatasetH file = GDALOpen(path.c_str(), GA_ReadOnly);
    EXPECT_NE(file, nullptr) << path << ": " << CPLGetLastErrorMsg();
    if (!file) return p;
    p.Width = GDALGetRasterXSize(file);
    p.Rows = GDALGetRasterYSize(file);
    p.Bands = GDALGetRasterCount(file);
    p.Type = GDALGetRasterDataType(GDALGetRasterBand(file, 1));
    if (std::vector<double> transform(6); GDALGetGeoTransform(file, transform.data()) == CE_None) {
        p.GeoTransform = transform;
    }
    p.Samples.resize(static_cast<std::size_t>(p.Width) * p.Rows * p.Bands);
    EXPECT_EQ(GDALDatasetRasterIO(file, GF_Read, 0, 0, p.Width, p.Rows, p.Samples.data(), p.Width,
                                  p.Rows, GDT_Float64, p.Bands, nullptr, 0, 0, 0),
              CE_None)
        << path << ": " << CPLGetLastErrorMsg();
    GDALClose(file);
    return p;
}

// A picture of zeros written through `driver` from a sparse TIFF in GDAL's
// memory, so that even a large one costs little memory to make.
inline void WriteZerosWithGdal(const std::string& path, const char* driver, int width, int rows,
                               GDALDataType type, std::vector<const char*> options = {}) {
    GDALAllRegister();
    const char* sparse[] = {"SPARSE_OK=YES", "TILED=YES", nullptr};
    const std::string source = "/vsimem/" + path + ".zeros.tif";
    GDALDatasetH zeros = GDALCreate(GDALGetDriverByName("GTiff"), source.c_str(), width, rows, 1, type,
                                    const_cast<char**>(sparse));
    ASSERT_NE(zeros, nullptr) << CPLGetLastErrorMsg();
    options.push_back(nullptr);
    GDALDatasetH copy = GDALCreateCopy(GDALGetDriverByName(driver), path.c_str(), zeros, FALSE,
                                       const_cast<char**>(options.data()), nullptr, nullptr);
    GDALClose(zeros);
    VSIUnlink(source.c_str());
    ASSERT_NE(copy, nullptr) << CPLGetLastErrorMsg();
    GDALClose(copy);
}

// A GIF animation: GDAL's one-frame GIF of zeros with its frame repeated.
inline void WriteGifOfFrames(const std::string& path, int side, int frames) {
    WriteZerosWithGdal(path, "GIF", side, side, GDT_Byte);
    std::string bytes = ReadBytes(path);
    const std::size_t screen = 13 + (bytes[10] & 0x80 ? 3 * (2u << (bytes[10] & 7)) : 0);
    const std::string frame = bytes.substr(screen, bytes.size() - 1 - screen);  // all but the trailer
    bytes.erase(screen);
    for (int i = 0; i < frames; ++i) bytes += frame;
    WriteBytes(path, bytes + ";");
}

// The picture (with a GeoTransform) cut into columns x rows GeoTIFF tiles
// in folder/STEM-tiles, each placed by the picture's transform, and joined
// by GDAL's own mosaic builder into folder/name, as gdalbuildvrt joins a
// survey's tiles. Gives the mosaic's path.
inline std::string WriteMosaicOfTiles(const std::filesystem::path& folder, const std::string& name,
                                      const GdalPicture& whole, int columns, int rows) {
    const std::filesystem::path tiles = folder / (std::filesystem::path(name).stem().string() + "-tiles");
    std::filesystem::create_directories(tiles);
    std::vector<std::string> names;
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            const int x0 = whole.Width * i / columns, y0 = whole.Rows * j / rows;
            GdalPicture tile = whole;
            tile.Width = whole.Width * (i + 1) / columns - x0;
            tile.Rows = whole.Rows * (j + 1) / rows - y0;
            tile.Samples.clear();
            for (int b = 0; b < whole.Bands; ++b)
                for (int y = y0; y < y0 + tile.Rows; ++y)
                    for (int x = x0; x < x0 + tile.Width; ++x)
                        tile.Samples.push_back(whole.Samples[(static_cast<std::size_t>(b) * whole.Rows + y) * whole.Width + x]);
            std::vector<double>& t = tile.GeoTransform;
            t[0] += x0 * t[1] + y0 * t[2];
            t[3] += x0 * t[4] + y0 * t[5];
            names.push_back((tiles / ("tile_" + std::to_string(i) + "_" + std::to_string(j) + ".tif")).string());
            WriteWithGdal(names.back(), "GTiff", tile);
        }
    }
    std::vector<const char*> sources;
    for (const std::string& n : names) sources.push_back(n.c_str());
    const std::string path = (folder / name).string();
    int usageError = 0;
    GDALDatasetH mosaic = GDALBuildVRT(path.c_str(), static_cast<int>(sources.size()), nullptr, sources.data(), nullptr, &usageError);
    EXPECT_NE(mosaic, nullptr) << CPLGetLastErrorMsg();
    GDALClose(mosaic);
    return path;
}

// 3 arc-second cells at 36.6 degrees north, as SRTM gives them.
inline const std::vector<double> kArcSecondCells = {-84.4, 3 / 3600.0, 0, 36.6, 0, -3 / 3600.0};

// A round hill of Int16 metres on a grid of width x rows, from -20 m to
// 380 m; placed by `transform` (GDAL's six numbers) in WGS 84 when one is given.
inline GdalPicture Hill(int width, int rows, std::vector<double> transform = {}) {
    GdalPicture hill{width, rows, 1, GDT_Int16};
    hill.GeoTransform = std::move(transform);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x) {
            const double d = std::hypot(x - width / 2.0, y - rows / 2.0) / (rows / 3.0);
            hill.Samples.push_back(std::round(400 * std::exp(-d * d)) - 20);
        }
    }
    return hill;
}

}  // namespace orvalis::test
