#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <string>

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
// context, choosing the reader by the last four characters of the name,
// compared without case: only ".BMP" has a reader. Any other ending loads
// nothing, says nothing and gives false. textureId is set only on success;
// the caller deletes an earlier texture.
bool LoadTextureFile(const std::string& fileName, std::uint32_t& textureId, GLint magFilter, GLint minFilter);

// The BMP reader: an uncompressed 24-bit bottom-up picture becomes a texture,
// anything else is reported in a "BMP Unit" box and gives false.
bool LoadBmpTexture(const std::string& fileName, std::uint32_t& textureId, GLint magFilter, GLint minFilter);

// Makes a new texture name and, for height > 1, a 2D GL_RGB8 texture with the
// given filters and a full mipmap chain; for height 1 a 1D texture filtered
// GL_NEAREST and clamped to its edge, with 1D texturing left on and 2D off;
// for height 0 an empty name. pixels holds tightly packed rows, bottom row
// first. The name is returned in every case.
std::uint32_t UploadTexture(std::uint16_t width, std::uint16_t height, GLenum format,
                            const std::uint8_t* pixels, GLint magFilter, GLint minFilter);

}  // namespace orvalis
