#include "preview/BmpTextureFile.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "raster/BitmapInfo.h"
#include "files/DisplayPath.h"
#include "files/InputFile.h"

namespace orvalis {
namespace {

constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::uint64_t kInfoHeaderBytes = 40;
constexpr std::uint64_t kPixelOffsetField = 10;  // bfOffBits within the file header
constexpr std::int32_t kLargestSide = 65535;     // the upload takes 16-bit sides

struct BmpTextureHeaders {
    std::uint64_t PixelOffset = 0;
    BitmapInfoHeader Info;
};

// fileName as messages show it (DisplayPath).
[[noreturn]] void Unsupported(const std::string& fileName, const std::string& problem) {
    throw TextureFileError("Unsupported BMP " + fileName + ": " + problem);
}

BmpTextureHeaders ReadHeaders(const InputFile& file, const std::string& fileName) {
    std::uint8_t bytes[kFileHeaderBytes + kInfoHeaderBytes];
    if (file.Size() < sizeof bytes) throw TextureFileError("Error reading header of " + fileName);
    file.ReadAt(0, bytes);
    std::uint32_t pixelOffset;
    std::memcpy(&pixelOffset, bytes + kPixelOffsetField, sizeof pixelOffset);
    BmpTextureHeaders headers;
    headers.PixelOffset = pixelOffset;
    std::memcpy(&headers.Info, bytes + kFileHeaderBytes, sizeof headers.Info);
    return headers;
}

void CheckFormat(const BmpTextureHeaders& headers, const std::string& fileName) {
    const BitmapInfoHeader& info = headers.Info;
    if (info.biSize < kInfoHeaderBytes) {
        Unsupported(fileName, "information header of " + std::to_string(info.biSize) + " bytes");
    }
    if (info.biBitCount != 24 || info.biCompression != BI_RGB) {
        Unsupported(fileName, std::to_string(info.biBitCount) + " bits per pixel, compression " +
                                  std::to_string(info.biCompression) +
                                  " (the preview reads uncompressed 24-bit pictures)");
    }
    if (info.biWidth < 1 || info.biWidth > kLargestSide || info.biHeight < 1 ||
        info.biHeight > kLargestSide) {
        Unsupported(fileName, "picture of " + std::to_string(info.biWidth) + " x " +
                                  std::to_string(info.biHeight) +
                                  " pixels (the preview reads 1 to 65535 pixels a side, bottom row first)");
    }
    if (headers.PixelOffset < kFileHeaderBytes + info.biSize) {
        Unsupported(fileName, "pixel data at offset " + std::to_string(headers.PixelOffset) +
                                  " lies inside the headers");
    }
}

// Rows are padded to whole 32-bit words; the last row's padding may be missing.
void CheckPixelsPresent(const BmpTextureHeaders& headers, std::uint64_t fileSize) {
    if (headers.PixelOffset > fileSize) throw TextureFileError("Error reading palette");
    const std::uint64_t width = static_cast<std::uint32_t>(headers.Info.biWidth);
    const std::uint64_t height = static_cast<std::uint32_t>(headers.Info.biHeight);
    const std::uint64_t rowBytes = (width * 3 + 3) / 4 * 4;
    // Both sides are below 2^16, so neither product can overflow.
    if (fileSize - headers.PixelOffset < rowBytes * (height - 1) + width * 3) {
        throw TextureFileError("Error reading bitmap data");
    }
}

// Reads the rows as they lie in the file and turns each pixel from B, G, R
// into R, G, B. CheckPixelsPresent has made sure the file holds them all.
std::vector<std::uint8_t> ReadRgbRows(const InputFile& file, const BmpTextureHeaders& headers) {
    const auto width = static_cast<std::size_t>(headers.Info.biWidth);
    const auto height = static_cast<std::size_t>(headers.Info.biHeight);
    const std::size_t pixelBytes = width * 3;
    const std::size_t rowBytes = (pixelBytes + 3) / 4 * 4;
    std::vector<std::uint8_t> rgb(pixelBytes * height);
    for (std::size_t row = 0; row < height; ++row) {
        std::uint8_t* line = rgb.data() + row * pixelBytes;
        file.ReadAt(headers.PixelOffset + row * rowBytes, {line, pixelBytes});
        for (std::size_t p = 0; p < pixelBytes; p += 3) std::swap(line[p], line[p + 2]);
    }
    return rgb;
}

}  // namespace

TexturePixels ReadBmpTexturePixels(const std::string& fileName) {
    const std::string shownName = DisplayPath(fileName);
    try {
        // Never blocks: a FIFO, device or folder is refused at once.
        const InputFile file(fileName);
        const BmpTextureHeaders headers = ReadHeaders(file, shownName);
        CheckFormat(headers, shownName);
        CheckPixelsPresent(headers, file.Size());
        TexturePixels pixels;
        pixels.Width = static_cast<std::uint16_t>(headers.Info.biWidth);
        pixels.Height = static_cast<std::uint16_t>(headers.Info.biHeight);
        pixels.Rgb = ReadRgbRows(file, headers);
        return pixels;
    } catch (const TextureFileError&) {
        throw;  // already the loader's own message
    } catch (const FileNotFoundError&) {
        throw TextureFileError("Error opening " + shownName);  // the loader's own message
    } catch (const InputFileError& error) {
        throw TextureFileError("Error opening " + shownName + ": " + error.Problem());
    } catch (const Error&) {
        throw TextureFileError("Error reading bitmap data");  // the file shrank or failed meanwhile
    }
}

}  // namespace orvalis
