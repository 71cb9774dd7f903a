#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "raster/DibBuffer.h"

namespace orvalis {

// Caption of every message box of the texture loader.
inline constexpr char kTextureMessageCaption[] = "BMP Unit";

// Receives the loader's failure messages: a caption and a text. The default
// writes them to standard error; the window shows them in its message box.
using TextureMessageSink = std::function<void(const std::string& caption, const std::string& text)>;

// Installs sink and returns the one it replaces; an empty sink brings back
// the default.
TextureMessageSink SetTextureMessageSink(TextureMessageSink sink);

// Loads a picture file into a new mipmapped texture of the current GL
// context. The file is read by ReadPictureFile, so every picture the
// programs read or write loads, whatever its name. A file that cannot be
// read is reported in a "BMP Unit" box, "Error opening " + fileName (and
// ": " + the reason when something other than a regular file is there) or
// the reader's message, which names the file, and gives false. Names are
// quoted as DisplayPath shows them. textureId is set only on success; the
// caller deletes an earlier texture.
bool LoadTextureFile(const std::string& fileName, std::uint32_t& textureId, GLint magFilter, GLint minFilter);

// Pixels as the texture upload takes them: Width x Height pixels of three
// bytes R, G, B, bottom row first, rows without padding.
struct TexturePixels {
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::vector<std::uint8_t> Rgb;
};

// The picture's pixels in that order, whatever its depth and row order.
TexturePixels TexturePixelsOf(const TDibBuffer& picture);

// Makes a new texture name and, for height > 1, a 2D GL_RGB8 texture with the
// given filters and a full mipmap chain; for height 1 a 1D texture filtered
// GL_NEAREST and clamped to its edge, with 1D texturing left on and 2D off;
// for height 0 an empty name. pixels holds tightly packed rows, bottom row
// first. The name is returned in every case.
std::uint32_t UploadTexture(std::uint16_t width, std::uint16_t height, GLenum format,
                            const std::uint8_t* pixels, GLint magFilter, GLint minFilter);

}  // namespace orvalis
