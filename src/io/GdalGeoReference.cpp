#include "io/GdalGeoReference.h"

#include <ogr_srs_api.h>

#include <cpl_conv.h>

namespace orvalis {

namespace {

void ReadSystem(GDALDatasetH dataset, GeoReference& geo) {
    OGRSpatialReferenceH system = GDALGetSpatialRef(dataset);
    if (!system) return;
    char* wkt = nullptr;
    if (OSRExportToWkt(system, &wkt) == OGRERR_NONE && wkt) geo.Crs = wkt;
    CPLFree(wkt);
    if (const char* name = OSRGetName(system)) geo.CrsName = name;
    geo.Geographic = OSRIsGeographic(system) != 0;
    if (OSRIsProjected(system)) geo.MetresPerUnit = OSRGetLinearUnits(system, nullptr);
}

}  // namespace

std::optional<GeoReference> GeoReferenceOf(GDALDatasetH dataset) {
    GeoReference geo;
    ReadSystem(dataset, geo);
    std::array<double, 6> transform{};
    if (GDALGetGeoTransform(dataset, transform.data()) == CE_None) geo.Transform = transform;
    if (GDALGetRasterCount(dataset) > 0) {
        int hasNoData = 0;
        const double noData = GDALGetRasterNoDataValue(GDALGetRasterBand(dataset, 1), &hasNoData);
        if (hasNoData) geo.NoData = noData;
    }
    if (geo.Crs.empty() && !geo.Transform) return std::nullopt;
    return geo;
}

}  // namespace orvalis
