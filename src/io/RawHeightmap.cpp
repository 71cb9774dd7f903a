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

void RawHeightmap::ReadWindow(const SampleWindow& window, RasterSamples& band) const {
    band = layout_;
    band.Width = window.Width;
    band.Rows = window.Rows;
    band.Whole.resize(static_cast<std::size_t>(window.Width) * window.Rows);
    const std::span<std::uint8_t> raw(reinterpret_cast<std::uint8_t*>(band.Whole.data()),
                                      band.Whole.size() * 2);
    // Whole rows lie one after another in the file: one read takes them all.
    const bool wholeRows = window.Width == layout_.Width;
    const std::size_t pieceBytes = wholeRows ? raw.size() : static_cast<std::size_t>(window.Width) * 2;
    for (std::size_t done = 0; done < raw.size(); done += pieceBytes) {
        const std::uint64_t row = window.Row + done / (static_cast<std::size_t>(window.Width) * 2);
        file_.ReadAt((row * layout_.Width + window.Column) * 2, raw.subspan(done, pieceBytes));
    }
    // Little-endian on the disk, whatever the processor: each sample is
    // rebuilt from its own two bytes, in place.
    for (std::size_t i = 0; i < band.Whole.size(); ++i) {
        band.Whole[i] = static_cast<std::uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    }
}

}  // namespace orvalis
