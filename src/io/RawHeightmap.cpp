#include <cmath>
#include <cstdint>
#include <span>

#include "io/RasterSamples.h"
#include "files/Error.h"
#include "files/InputFile.h"

namespace orvalis {

// A RAW heightmap has no header: its side is found from its length, and
// its first row is the top row, as in the tools that write it.
RasterSamples ReadRawHeightmap(const std::string& path) {
    const InputFile file(path);
    const std::uint64_t bytes = file.Size();
    if (bytes == 0) throw Error(path, "the file is empty");
    // A file holds at most 2^63 bytes: sqrt is exact enough to find a whole
    // side, and side x side stays below 2^63.
    const auto side = static_cast<std::uint64_t>(std::llround(std::sqrt(bytes / 2.0)));
    if (bytes % 2 != 0 || side * side != bytes / 2) {
        throw Error(path, "a RAW heightmap holds a square of 16-bit samples, but " +
                              std::to_string(bytes) + " bytes are not 2 x a square number");
    }
    CheckPictureSize(path, static_cast<std::int64_t>(side), static_cast<std::int64_t>(side));

    RasterSamples samples{"RAW", "UInt16", 16, static_cast<std::int32_t>(side),
                          static_cast<std::int32_t>(side), 1, SampleKind::Word, {}, {}, {}};
    samples.Whole.resize(static_cast<std::size_t>(side * side));
    const std::span<std::uint8_t> raw(reinterpret_cast<std::uint8_t*>(samples.Whole.data()),
                                      static_cast<std::size_t>(bytes));
    file.ReadAt(0, raw);
    // Little-endian on the disk, whatever the processor: each sample is
    // rebuilt from its own two bytes, in place.
    for (std::size_t i = 0; i < samples.Whole.size(); ++i) {
        samples.Whole[i] = static_cast<std::uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    }
    return samples;
}

}  // namespace orvalis
