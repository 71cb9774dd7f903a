#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/Error.h"

namespace orvalis {

// Pixels as the texture upload takes them: Width x Height pixels of three
// bytes R, G, B, bottom row first, rows without padding.
struct TexturePixels {
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::vector<std::uint8_t> Rgb;
};

// A file the preview texture cannot be made from. The message is complete and
// meant for the user as it stands.
class TextureFileError : public Error {
public:
    explicit TextureFileError(const std::string& message) : Error(message) {}
};

// Reads an uncompressed 24-bit bottom-up BMP with a 40-byte or larger
// information header. The pixels are taken from the file's pixel offset, each
// row's padding to whole 32-bit words skipped. The file is opened without
// blocking and only when it is a regular file. Raises TextureFileError with
// "Error opening " + fileName (followed by ": " and the reason when something
// other than a regular file is there), "Error reading palette" (the file ends before
// the pixel offset), "Error reading bitmap data" (it ends inside the pixels),
// or a message naming the file for a short header, another depth, compression
// or header, or a side of 0, beyond 65535 or negative (top-down). Messages
// quote the file name as DisplayPath shows it.
TexturePixels ReadBmpTexturePixels(const std::string& fileName);

}  // namespace orvalis
