#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/MemoryLimitOption.h"
#include "io/PictureFile.h"
#include "raster/DibBuffer.h"
#include "files/DisplayPath.h"

namespace orvalis::cli {

const char* const kConvertUsage =
    "  convert IN.bmp OUT.bmp     any supported picture file to a 24-bit BMP file of the\n"
    "                             same size and row order\n"
    "    --memory-limit SIZE      as for generate";

int RunConvert(const std::vector<std::string>& words) {
    std::vector<std::string> args = words;
    PictureReadOptions options;
    TakeMemoryLimit("convert", args, options);
    if (args.size() != 2) {
        throw UsageError("convert takes two files: orvalis-cli convert IN.bmp OUT.bmp");
    }

    const TDibBuffer source = ReadPictureFile(args[0], options).Pixels;
    // Same signed height, so row r of both buffers is the same picture row.
    TDibBuffer converted;
    converted.Allocate(source.Width(), source.Height(), 24);
    for (std::int32_t row = 0; row < source.RowCount(); ++row) {
        for (std::int32_t column = 0; column < source.Width(); ++column) {
            converted.WritePixel(row, column, source.ReadPixel(row, column));
        }
    }
    converted.WriteBmpFile(args[1]);
    std::printf("%s: %d x %d, 24 bits per pixel\n", DisplayPath(args[1]).c_str(),
                converted.Width(), converted.RowCount());
    return 0;
}

}  // namespace orvalis::cli
