#include <cmath>
#include <cstdint>
#include <fstream>

#include "io/RasterSamples.h"
#include "raster/Error.h"

namespace orvalis {

// A RAW heightmap has no header: its side is found from its length, and
// its first row is the top row, as in the tools that write it.
RasterSamples ReadRawHeightmap(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) throw Error(path, "cannot be opened");
    const std::streamoff bytes = file.tellg();
    if (bytes <= 0) throw Error(path, "the file is empty");
    // sqrt of at most 2^62 is exact enough to find a whole side.
    const auto side = static_cast<std::int64_t>(std::llround(std::sqrt(bytes / 2.0)));
    if (bytes % 2 != 0 || side * side * 2 != bytes) {
        throw Error(path, "a RAW heightmap holds a square of 16-bit samples, but " +
                              std::to_string(bytes) + " bytes are not 2 x a square number");
    }
    CheckPictureSize(path, side, side);

    RasterSamples samples{"RAW", "UInt16", 16, static_cast<std::int32_t>(side),
                          static_cast<std::int32_t>(side), 1, SampleKind::Word, {}, {}};
    std::vector<unsigned char> raw(static_cast<std::size_t>(bytes));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(raw.data()), bytes)) {
        throw Error(path, "ended while it was being read");
    }
    samples.Whole.resize(raw.size() / 2);
    for (std::size_t i = 0; i < samples.Whole.size(); ++i) {
        samples.Whole[i] = static_cast<std::uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    }
    return samples;
}

}  // namespace orvalis
