#include "io/GreyPngFile.h"

#include <cstdint>
#include <span>
#include <vector>

#include "io/PngFile.h"

namespace orvalis {

void WriteGreyPngFile(const std::string& path, const TDibBuffer& grey, const PngWriting& writing) {
    const std::int32_t width = grey.Width(), rows = grey.RowCount();
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(width) * rows);
    for (std::int32_t y = 0; y < rows; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            samples[static_cast<std::size_t>(y) * width + x] = grey.ReadPixel(grey.BufferRow(y), x).Blue;
        }
    }
    WritePngFile(path, {width, rows, 1}, std::span<const std::uint8_t>(samples), writing);
}

}  // namespace orvalis
