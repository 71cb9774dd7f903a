#include "io/RawHeightmap.h"

#include <cmath>
#include <span>

#include "files/Error.h"

namespace orvalis {

// A RAW heightmap has no header: its side is found from its length, and
// its first row is the top row, as in the tools that write it.
RawHeightmap::RawHeightmap(const std::string& path) : file_(path) {
    const std::uint64_t bytes = file_.Size();
    if (bytes == 0) throw Error(path, "the file is empty");
    // A file holds at most 2^63 bytes: sqrt is exact enough to find a whole
    // side, and side x side stays below 2^63.
    const auto side = static_cast<std::uint64_t>(std::llround(std::sqrt(bytes / 2.0)));
    if (bytes % 2 != 0 || side * side != bytes / 2) {
        throw Error(path, "a RAW heightmap holds a square of 16-bit samples, but " +
                              std::to_string(bytes) + " bytes are not 2 x a square number");
    }
    CheckPictureSize(path, static_cast<std::int64_t>(side), static_cast<std::int64_t>(side));
    layout_ = RasterSamples{"RAW", "UInt16", 16, static_cast<std::int32_t>(side),
                            static_cast<std::int32_t>(side), 1, SampleKind::Word, {}, {}, {}};
}

std::int32_t RawHeightmap::BandRows() const { return RowsPerBand(layout_.Width, layout_.Rows); }

void RawHeightmap::ReadRows(std::int32_t first, std::int32_t count, RasterSamples& band) const {
    band = layout_;
    band.Rows = count;
    band.Whole.resize(static_cast<std::size_t>(layout_.Width) * count);
    const std::span<std::uint8_t> raw(reinterpret_cast<std::uint8_t*>(band.Whole.data()),
                                      band.Whole.size() * 2);
    file_.ReadAt(static_cast<std::uint64_t>(first) * layout_.Width * 2, raw);
    // Little-endian on the disk, whatever the processor: each sample is
    // rebuilt from its own two bytes, in place.
    for (std::size_t i = 0; i < band.Whole.size(); ++i) {
        band.Whole[i] = static_cast<std::uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    }
}

}  // namespace orvalis
