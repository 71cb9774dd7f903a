#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/MemoryLimitOption.h"
#include "io/HeightWorld.h"
#include "io/PictureFile.h"
#include "raster/BmpFile.h"
#include "lighting/GroundCells.h"

namespace orvalis::cli {

const char* const kInfoUsage =
    "  info FILE.bmp              width, height, bits per pixel, header size, compression\n"
    "                             and row order of a BMP file; format, size, channels,\n"
    "                             sample type, height range, coordinate system, cell size\n"
    "                             and no-data value of any other picture (of a mosaic or a\n"
    "                             picture larger than 32768 a side, all but the height range,\n"
    "                             without reading its cells)\n"
    "    --memory-limit SIZE      as for generate";

namespace {

const char* CompressionName(std::uint32_t compression) {
    switch (compression) {
        case BI_RGB: return "BI_RGB";
        case BI_RLE8: return "BI_RLE8";
        case BI_RLE4: return "BI_RLE4";
        default: return "BI_BITFIELDS";  // the reader accepts nothing else
    }
}

// Where the file places the picture: its coordinate system, the ground size
// of its cells (as the real-scale lighting takes them) and its no-data value.
void PrintGeoReference(const RasterSamples& samples) {
    if (!samples.Geo) {
        std::printf("georeference: none\n");
        return;
    }
    const GeoReference& geo = *samples.Geo;
    std::printf("crs: %s\n", geo.Crs.empty() ? "none" : (geo.CrsName + (geo.Geographic ? " (geographic)" : "")).c_str());
    if (const std::optional<GroundCellSize> cells = GroundCellsOf(geo, samples.Width, samples.Rows)) {
        const std::array<double, 6>& t = *geo.Transform;
        std::printf("cell size: %.17g x %.17g%s (%.6g x %.6g m on the ground)\n", std::hypot(t[1], t[4]),
                    std::hypot(t[2], t[5]), geo.Geographic ? " degrees" : "", cells->X, cells->Y);
    }
    if (geo.NoData) std::printf("nodata: %.17g\n", *geo.NoData);
    else std::printf("nodata: none\n");
}

// A mosaic or a picture larger than one is read only in windows: its
// height range would take a pass over all its cells.
void PrintPictureFacts(const std::string& path, const PictureReadOptions& options) {
    const HeightWorld world(path, options);
    const RasterSamples& samples = world.Facts();
    std::printf(
        "format: %s\n"
        "width: %d\n"
        "height: %d\n"
        "channels: %d\n"
        "bits per sample: %d\n"
        "sample type: %s\n",
        samples.Format.c_str(), samples.Width, samples.Rows, samples.Channels,
        samples.BitsPerSample, samples.SampleType.c_str());
    if (world.IsMosaic() || !world.FitsOnePicture()) {
        std::printf("height range: not read (%s)\n", world.IsMosaic() ? "a mosaic" : "larger than one picture");
    } else if (const std::optional<HeightRange> range = ReadPictureFacts(path, options).Range) {
        std::printf("height range: %.17g .. %.17g\n", range->Low, range->High);
    } else {
        std::printf("height range: no data\n");
    }
    PrintGeoReference(samples);
}

}  // namespace

int RunInfo(const std::vector<std::string>& words) {
    std::vector<std::string> args = words;
    PictureReadOptions options;
    TakeMemoryLimit("info", args, options);
    if (args.size() != 1) throw UsageError("info takes one file: orvalis-cli info FILE.bmp");

    if (!IsBmpFile(args[0])) {
        PrintPictureFacts(args[0], options);
        return 0;
    }
    const BitmapInfoHeader header = ReadBmpHeader(args[0]).Info.Header;
    std::printf(
        "width: %d\n"
        "height: %lld\n"
        "bits: %d\n"
        "header size: %u\n"
        "compression: %s\n"
        "row order: %s\n",
        header.biWidth, std::llabs(header.biHeight), header.biBitCount, header.biSize,
        CompressionName(header.biCompression), header.biHeight < 0 ? "top-down" : "bottom-up");
    return 0;
}

}  // namespace orvalis::cli
