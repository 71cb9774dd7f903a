#include "io/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "files/Error.h"
#include "files/InputFile.h"

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

}  // namespace

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

RasterSamples ReadPictureSamples(const std::string& path) {
    { const InputFile regularFile(path); }
    if (IsRawExtension(LowerExtension(path))) return ReadRawHeightmap(path);
    return ReadGdalRaster(path);
}

Picture ReadPictureFile(const std::string& path, const PictureReadOptions& options) {
    if (!IsBmpFile(path)) return MakePicture(path, ReadPictureSamples(path), options.Range);
    Picture picture;
    picture.Pixels.ReadBmpFile(path);
    if (options.Range) picture.Levels = {options.Range->Low, options.Range->High};
    return picture;
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
