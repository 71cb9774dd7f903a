#include "io/PngFile.h"

#include <new>
#include <string>
#include <vector>

#include "files/AtomicFile.h"
#include "files/Error.h"

namespace orvalis {

namespace {

// Sizes come from callers, not files, but a short buffer must not be read
// past, and a row must fit in one band of the encoder.
void CheckSamples(const std::string& path, const PngPixels& format, std::size_t count) {
    const bool shaped = format.Width > 0 && format.Rows > 0 && format.Channels > 0;
    if (shaped && format.Channels > 4) {
        throw Error(path, "a PNG file holds 1 to 4 channels, not " + std::to_string(format.Channels));
    }
    // Width and Channels are positive and small here, so the product fits;
    // a row of 16-bit samples is the longest.
    if (shaped && static_cast<std::size_t>(format.Width) * format.Channels * 2 > kLargestPngRowBytes) {
        throw Error(path, "rows of " + std::to_string(format.Width) + " pixels are too long for a PNG file");
    }
    if (!shaped || count / format.Channels / format.Width < static_cast<std::size_t>(format.Rows)) {
        throw Error(path, std::to_string(count) + " samples cannot make a picture of " +
                              std::to_string(format.Width) + " x " + std::to_string(format.Rows) +
                              " pixels of " + std::to_string(format.Channels) + " channels");
    }
}

void Write(const std::string& path, const PngLayout& layout, const PngRowSource& rows,
           const PngWriting& writing) {
    std::vector<std::uint8_t> file;
    try {
        file = EncodePng(layout, rows, writing);
    } catch (const std::bad_alloc&) {
        throw Error(path, "no memory to compress the picture");
    }
    WriteFileAtomically(path, {file}, writing.Cancel);
}

// Row y of the picture as red-green-blue bytes.
const std::uint8_t* RgbRow(const TDibBuffer& picture, std::int32_t y, std::uint8_t* scratch) {
    const std::int32_t row = picture.BufferRow(y);
    const std::int32_t width = picture.Width();
    if (picture.BitsPerPixel() == 24) {
        // The texture's and the lightmap's case, without a call per pixel.
        const std::uint8_t* bgr = picture.RowTable(row);
        for (std::int32_t i = 0; i < 3 * width; i += 3) {
            scratch[i] = bgr[i + 2];
            scratch[i + 1] = bgr[i + 1];
            scratch[i + 2] = bgr[i];
        }
        return scratch;
    }
    for (std::int32_t x = 0; x < width; ++x) {
        const PixelColour c = picture.ReadPixel(row, x);
        scratch[3 * x] = c.Red;
        scratch[3 * x + 1] = c.Green;
        scratch[3 * x + 2] = c.Blue;
    }
    return scratch;
}

}  // namespace

void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint8_t> samples, const PngWriting& writing) {
    CheckSamples(path, format, samples.size());
    const PngLayout layout{format.Width, format.Rows, format.Channels, 1};
    const std::size_t rowBytes = layout.RowBytes();
    Write(path, layout,
          [&](std::int32_t y, std::uint8_t*) { return samples.data() + rowBytes * static_cast<std::size_t>(y); },
          writing);
}

void WritePngFile(const std::string& path, const PngPixels& format,
                  std::span<const std::uint16_t> samples, const PngWriting& writing) {
    CheckSamples(path, format, samples.size());
    const PngLayout layout{format.Width, format.Rows, format.Channels, 2};
    const std::size_t rowSamples = static_cast<std::size_t>(format.Width) * format.Channels;
    Write(path, layout,
          [&](std::int32_t y, std::uint8_t* scratch) {
              const std::uint16_t* row = samples.data() + rowSamples * static_cast<std::size_t>(y);
              for (std::size_t i = 0; i < rowSamples; ++i) {  // PNG keeps the high byte first
                  scratch[2 * i] = static_cast<std::uint8_t>(row[i] >> 8);
                  scratch[2 * i + 1] = static_cast<std::uint8_t>(row[i]);
              }
              return scratch;
          },
          writing);
}

void WritePngFile(const std::string& path, const TDibBuffer& picture, const PngWriting& writing) {
    const PngLayout layout{picture.Width(), picture.RowCount(), 3, 1};
    const bool shaped = layout.Width > 0 && layout.Rows > 0;
    CheckSamples(path, {layout.Width, layout.Rows, 3}, shaped ? layout.RowBytes() * layout.Rows : 0);
    Write(path, layout,
          [&](std::int32_t y, std::uint8_t* scratch) { return RgbRow(picture, y, scratch); },
          writing);
}

}  // namespace orvalis
