#include "io/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "raster/Error.h"

namespace orvalis {

namespace {

std::string LowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool StartsWithBm(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char signature[2] = {};
    return file.read(signature, 2) && signature[0] == 'B' && signature[1] == 'M';
}

bool ParseNumber(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc{} && stop == end && std::isfinite(value);
}

}  // namespace

bool IsBmpFile(const std::string& path) {
    return LowerExtension(path) == ".bmp" || StartsWithBm(path);
}

RasterSamples ReadPictureSamples(const std::string& path) {
    // Only real files: GDAL would also take "/vsicurl/..." and the like.
    std::error_code error;
    if (!std::filesystem::exists(path, error)) throw Error(path, "Datei nicht gefunden");
    if (!std::filesystem::is_regular_file(path, error)) throw Error(path, "is not a file");
    const std::string extension = LowerExtension(path);
    if (extension == ".r16" || extension == ".raw") return ReadRawHeightmap(path);
    return ReadGdalRaster(path);
}

Picture ReadPictureFile(const std::string& path, const PictureReadOptions& options) {
    if (IsBmpFile(path)) return ReadBmpPicture(path);
    return MakePicture(ReadPictureSamples(path), options.Range);
}

PictureReader PictureFileReader(const PictureReadOptions& options) {
    return [options](const std::string& path) { return ReadPictureFile(path, options); };
}

HeightRange ParseHeightRange(const std::string& text) {
    const std::size_t colon = text.find(':');
    HeightRange range;
    if (colon == std::string::npos ||
        !ParseNumber(std::string_view(text).substr(0, colon), range.Low) ||
        !ParseNumber(std::string_view(text).substr(colon + 1), range.High) ||
        !(range.Low < range.High)) {
        throw Error("a height range is LOW:HIGH with LOW below HIGH, not '" + text + "'");
    }
    return range;
}

}  // namespace orvalis
