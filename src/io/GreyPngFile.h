#pragma once

#include <string>

#include "files/Cancellation.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// A grey picture (red = green = blue, such as a lightmap or a shadow map) as
// a one-channel PNG of its blue channel, written as WritePngFile writes.
void WriteGreyPngFile(const std::string& path, const TDibBuffer& grey, const CancelFlag* cancel = nullptr);

}  // namespace orvalis
