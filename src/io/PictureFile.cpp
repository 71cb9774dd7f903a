#include "io/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>

#include "files/Error.h"
#include "files/InputFile.h"
#include "io/BandedRead.h"
#include "io/GdalRaster.h"
#include "io/HeightLevels.h"
#include "io/RawHeightmap.h"
#include "raster/BmpFile.h"

namespace orvalis {

namespace {

std::string LowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool IsRawExtension(const std::string& extension) {
    return extension == ".r16" || extension == ".raw";
}

bool StartsWithBm(const InputFile& file) {
    std::uint8_t signature[2] = {};
    if (file.Size() < sizeof signature) return false;
    file.ReadAt(0, signature);
    return signature[0] == 'B' && signature[1] == 'M';
}

bool ParseNumber(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc{} && stop == end && std::isfinite(value);
}

// What TDibBuffer::ReadBmpFile holds: the pixels at the file's own depth,
// and for run-length data those data.
std::uint64_t BmpReadBytes(const std::string& path) {
    const BmpFileHeader header = ReadBmpHeader(path);
    const BitmapInfoHeader& info = header.Info.Header;
    // Sides of at most 2^15 (checked by ReadBmpHeader), at most 32 bits a pixel: below 2^36.
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(info.biWidth) * info.biBitCount + 31) / 32 * 4;
    const std::uint64_t rows = static_cast<std::uint64_t>(std::abs(std::int64_t{info.biHeight}));
    const bool runLength = info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4;
    const std::uint64_t data =
        runLength ? std::min<std::uint64_t>(header.DeclaredFileSize, header.FileSize) - header.PixelOffset : 0;
    return rowBytes * rows + data;
}

Picture ReadBmpWithin(const std::string& path, const PictureReadOptions& options) {
    CheckMemoryNeed(path, BmpReadBytes(path), options.MemoryLimit);
    Picture picture;
    picture.Pixels.ReadBmpFile(path, options.Threads);
    picture.Levels = HeightLevelsFor(path, SampleKind::Byte, std::nullopt, options.Range).Levels;
    return picture;
}

// Out of memory is a fault of the input's size, told with its name.
template <typename Read>
auto NamingMemoryFailure(const std::string& path, Read&& read) {
    try {
        return read();
    } catch (const std::bad_alloc&) {
        throw Error(path, "there is not enough memory to read it");
    }
}

}  // namespace

std::unique_ptr<SampleSource> OpenSampleSource(const std::string& path, const CancelFlag* cancel) {
    if (IsRawExtension(LowerExtension(path))) return std::make_unique<RawHeightmap>(path);
    return std::make_unique<GdalRaster>(path, cancel);
}

// Opening the file first refuses at once, without blocking, what is not a
// regular file (a FIFO, a device, a folder) and says so, or that nothing is
// there; GDAL would also take "/vsicurl/..." and the like. A RAW heightmap
// has no signature: its first sample may well be the bytes "BM".
bool IsBmpFile(const std::string& path) {
    const InputFile file(path);
    const std::string extension = LowerExtension(path);
    if (IsRawExtension(extension)) return false;
    return extension == ".bmp" || StartsWithBm(file);
}

Picture ReadPictureFile(const std::string& path, const PictureReadOptions& options) {
    return NamingMemoryFailure(path, [&] {
        if (IsBmpFile(path)) return ReadBmpWithin(path, options);
        return ReadPictureInBands(path, *OpenSampleSource(path, options.Cancel), options);
    });
}

PictureFacts ReadPictureFacts(const std::string& path, const PictureReadOptions& options) {
    return NamingMemoryFailure(path, [&] {
        return ReadFactsInBands(path, *OpenSampleSource(path, options.Cancel), options);
    });
}

Picture ReadHeightmapPicture(const std::string& path, const PictureReadOptions& options) {
    Picture picture = ReadPictureFile(path, options);
    if (picture.Pixels.IsEmpty()) throw Error(path, "the picture is empty");
    return picture;
}

HeightRange ParseHeightRange(const std::string& text) {
    const std::size_t colon = text.find(':');
    HeightRange range;
    if (colon == std::string::npos ||
        !ParseNumber(std::string_view(text).substr(0, colon), range.Low) ||
        !ParseNumber(std::string_view(text).substr(colon + 1), range.High) ||
        !(range.Low < range.High)) {
        throw Error("a height range is LOW:HIGH with LOW below HIGH, not '" + DisplayPath(text) + "'");
    }
    if (!std::isfinite(range.High - range.Low)) {
        throw Error("the height range '" + DisplayPath(text) + "' is wider than a number can hold");
    }
    return range;
}

}  // namespace orvalis
