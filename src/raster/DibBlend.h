#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/DibBuffer.h"
#include "raster/Progress.h"

namespace orvalis {

// destination = (source1 x source2) >> 8, channel byte by channel byte, over
// the bytes each row's pixels occupy (the row padding is not touched). The
// destination may be one of the sources. 16-bit buffers multiply each packed
// channel; depths other than 8, 16, 24 and 32 are left alone. The sources
// must have at least the destination's rows and row length.
void MultiplyBuffers(TDibBuffer& destination, const TDibBuffer& source1, const TDibBuffer& source2);
// The same, rows in parallel as options ask (its progress is not reported).
void MultiplyBuffers(TDibBuffer& destination, const TDibBuffer& source1, const TDibBuffer& source2,
                     const RunOptions& options);

// The same product over count bytes of single rows; destination may be a or b.
void MultiplyRowBytes(std::uint8_t* destination, const std::uint8_t* a, const std::uint8_t* b,
                      std::size_t count);

}  // namespace orvalis
