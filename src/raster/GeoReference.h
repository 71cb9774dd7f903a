#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvalis {

// Where a picture lies on the earth, as its file says.
struct GeoReference {
    std::string Crs;       // the coordinate reference system as WKT; empty: none named
    std::string CrsName;   // its name, as people know it ("WGS 84", "NAD83 / UTM zone 17N")
    bool Geographic = false;   // coordinates in degrees of longitude and latitude
    double MetresPerUnit = 1;  // of a projected system's linear unit
    // Pixel corner (column, row), counted from the top-left corner, lies at
    // x = T[0] + column T[1] + row T[2], y = T[3] + column T[4] + row T[5]
    // (GDAL's geotransform); none when the file gives no position.
    std::optional<std::array<double, 6>> Transform;
    std::optional<double> NoData;  // the value that marks cells without data
};

// The transform of a picture of width x rows pixels over the same extent as
// one of fromWidth x fromRows pixels with `transform`.
std::array<double, 6> TransformForSize(const std::array<double, 6>& transform, std::int32_t fromWidth,
                                       std::int32_t fromRows, std::int32_t width, std::int32_t rows);

}  // namespace orvalis
