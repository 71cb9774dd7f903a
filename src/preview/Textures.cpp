#include "preview/Textures.h"

#include <GL/glu.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <string_view>
#include <type_traits>

#include "preview/BmpTextureFile.h"

namespace orvalis {
namespace {

static_assert(std::is_same_v<GLuint, std::uint32_t>, "texture names are held as 32-bit unsigned values");

// A program without a window of its own hears of failures on standard error;
// the window installs a sink that shows its message box.
void PrintToStandardError(const std::string& caption, const std::string& text) {
    std::cerr << caption << ": " << text << '\n';
}

TextureMessageSink& CurrentSink() {
    static TextureMessageSink sink = PrintToStandardError;
    return sink;
}

bool EndsWithBmp(const std::string& fileName) {
    static constexpr std::string_view kBmp = ".BMP";
    if (fileName.size() < kBmp.size()) return false;
    return std::equal(kBmp.begin(), kBmp.end(), fileName.end() - kBmp.size(), [](char wanted, char c) {
        return wanted == std::toupper(static_cast<unsigned char>(c));
    });
}

void UploadTexture2D(std::uint16_t width, std::uint16_t height, GLenum format, const std::uint8_t* pixels,
                     GLint magFilter, GLint minFilter, GLuint name) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    // The wrap modes stay at repeat: the preview's texture coordinates run from -1 to 0.
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB8, width, height, format, GL_UNSIGNED_BYTE, pixels);
}

// A single row becomes a 1D texture; the caller's filters do not apply to it.
void UploadTexture1D(std::uint16_t width, GLenum format, const std::uint8_t* pixels, GLuint name) {
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, name);
    gluBuild1DMipmaps(GL_TEXTURE_1D, static_cast<GLint>(format), width, format, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
}

}  // namespace

TextureMessageSink SetTextureMessageSink(TextureMessageSink sink) {
    TextureMessageSink previous = std::move(CurrentSink());
    CurrentSink() = sink ? std::move(sink) : TextureMessageSink(PrintToStandardError);
    return previous;
}

bool LoadTextureFile(const std::string& fileName, std::uint32_t& textureId, GLint magFilter,
                     GLint minFilter) {
    if (EndsWithBmp(fileName)) return LoadBmpTexture(fileName, textureId, magFilter, minFilter);
    return false;
}

bool LoadBmpTexture(const std::string& fileName, std::uint32_t& textureId, GLint magFilter, GLint minFilter) {
    TexturePixels pixels;
    try {
        pixels = ReadBmpTexturePixels(fileName);
    } catch (const TextureFileError& error) {
        CurrentSink()(kTextureMessageCaption, error.what());
        return false;
    }
    textureId = UploadTexture(pixels.Width, pixels.Height, GL_RGB, pixels.Rgb.data(), magFilter, minFilter);
    return true;
}

std::uint32_t UploadTexture(std::uint16_t width, std::uint16_t height, GLenum format,
                            const std::uint8_t* pixels, GLint magFilter, GLint minFilter) {
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    GLuint name = 0;
    glGenTextures(1, &name);
    // Rows arrive without padding, whatever their width.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (height > 1) {
        UploadTexture2D(width, height, format, pixels, magFilter, minFilter, name);
    } else if (height == 1) {
        UploadTexture1D(width, format, pixels, name);
    }
    return name;
}

}  // namespace orvalis
