#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>

#include "raster/DibBuffer.h"
#include "files/Error.h"

namespace {

using orvalis::Error;
using orvalis::TDibBuffer;

// The reader refuses any header that claims far more than its file holds, so
// every file is read; only the walk over the pixels is kept to pictures this
// small, so that time goes into new inputs.
constexpr std::int64_t kLargestWalkedPixelCount = std::int64_t{1} << 22;

// The whole reader, file handling included, then every pixel of the result.
void ReadAsFile(std::span<const std::uint8_t> bytes) {
    static const std::string path = "/tmp/orvalis-fuzz-" + std::to_string(getpid()) + ".bmp";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    TDibBuffer picture;
    try {
        picture.ReadBmpFile(path);
    } catch (const Error&) {
        return;
    }
    if (std::int64_t{picture.Width()} * picture.RowCount() > kLargestWalkedPixelCount) return;
    unsigned sum = 0;
    for (std::int32_t row = 0; row < picture.RowCount(); ++row) {
        for (std::int32_t column = 0; column < picture.Width(); ++column) {
            sum += picture.ReadPixel(row, column).Green;
        }
    }
    static volatile unsigned sink;
    sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    ReadAsFile(bytes);

    // The same bytes as bare run-length data, bottom-up and top-down.
    TDibBuffer rle8;
    rle8.Allocate(16, 16, 8);
    rle8.DecodeRle8(bytes);
    TDibBuffer rle4;
    rle4.Allocate(15, -7, 4);
    rle4.DecodeRle4(bytes);
    return 0;
}
