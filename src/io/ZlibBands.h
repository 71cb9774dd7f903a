#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "raster/Progress.h"

namespace orvalis {

// Puts the bytes of band `band` into `bytes` (which it may reuse).
using BandFiller = std::function<void(std::int32_t band, std::vector<std::uint8_t>& bytes)>;

// How zlib deflates: its level (1 .. 9), and whether it looks for runs of
// one byte only (the quickest, and good at filtered rows of smooth maps)
// rather than for any repeat.
struct DeflateEffort {
    int Level = 6;
    bool RunsOnly = false;
};

// One zlib stream of the bands' bytes (filtered rows of a picture) in
// order, deflated on run.Threads worker threads; it has no progress to
// report. Each band is deflated on its own and ended on a byte boundary by a
// sync flush, the last by the end of the stream, so the pieces follow each
// other inside the one stream as the pieces of parallel gzip tools do. The
// first piece begins with the zlib header and the last ends with the
// Adler-32 of every band's bytes. The stream depends on the bands and the
// effort alone, never on the thread count. Needs a band at least.
// Raises RunCancelled once run.Cancel is set (seen between bands) and
// std::bad_alloc when zlib has no memory.
std::vector<std::vector<std::uint8_t>> DeflateBands(std::int32_t bandCount, const BandFiller& fill,
                                                    const DeflateEffort& effort, const RunOptions& run);

}  // namespace orvalis
