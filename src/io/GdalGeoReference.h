#pragma once

#include <optional>

#include <gdal.h>

#include "raster/GeoReference.h"

namespace orvalis {

// What an open dataset says of its place on the earth: its coordinate
// system, transform and the no-data value of its first band; none when it
// says nothing of either position or system.
std::optional<GeoReference> GeoReferenceOf(GDALDatasetH dataset);

}  // namespace orvalis
