#pragma once

#include <string>

#include "io/PngEncoder.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// A grey picture (red = green = blue, such as a lightmap or a shadow map) as
// a one-channel PNG of its blue channel, written as WritePngFile writes.
void WriteGreyPngFile(const std::string& path, const TDibBuffer& grey, const PngWriting& writing = {});

}  // namespace orvalis
