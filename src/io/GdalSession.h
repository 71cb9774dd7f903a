#pragma once

namespace orvalis {

// Registers GDAL's drivers once per process, with no ".aux.xml" files
// written beside the user's pictures.
void StartGdal();

}  // namespace orvalis
