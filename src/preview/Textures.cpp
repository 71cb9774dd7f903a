#include "preview/Textures.h"

#include <GL/glu.h>

#include <iostream>
#include <type_traits>

#include "files/DisplayPath.h"
#include "files/InputFile.h"
#include "io/PictureFile.h"

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

static_assert(TDibBuffer::kMaxDimension <= 65535, "the upload takes 16-bit sides");

// Shows the loader's message for a file it cannot load.
bool Refuse(const std::string& text) {
    CurrentSink()(kTextureMessageCaption, text);
    return false;
}

// One row of the picture as R, G, B; 24-bit rows (every texture the programs
// write) byte by byte.
void PutRgbRow(const TDibBuffer& picture, std::int32_t row, std::uint8_t* out) {
    if (picture.BitsPerPixel() == 24) {
        const std::uint8_t* in = picture.RowTable(row);  // blue, green, red
        for (std::int32_t x = 0; x < picture.Width(); ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        return;
    }
    for (std::int32_t x = 0; x < picture.Width(); ++x, out += 3) {
        const PixelColour c = picture.ReadPixel(row, x);
        out[0] = c.Red;
        out[1] = c.Green;
        out[2] = c.Blue;
    }
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
    TexturePixels pixels;
    try {
        pixels = TexturePixelsOf(ReadPictureFile(fileName).Pixels);
    } catch (const FileNotFoundError&) {
        return Refuse("Error opening " + DisplayPath(fileName));
    } catch (const InputFileError& error) {
        return Refuse("Error opening " + DisplayPath(fileName) + ": " + error.Problem());
    } catch (const Error& error) {
        return Refuse(error.what());
    }
    textureId = UploadTexture(pixels.Width, pixels.Height, GL_RGB, pixels.Rgb.data(), magFilter, minFilter);
    return true;
}

TexturePixels TexturePixelsOf(const TDibBuffer& picture) {
    const std::int32_t width = picture.Width(), rows = picture.RowCount();
    TexturePixels pixels{static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(rows),
                         std::vector<std::uint8_t>(static_cast<std::size_t>(width) * rows * 3)};
    std::uint8_t* out = pixels.Rgb.data();
    for (std::int32_t y = rows - 1; y >= 0; --y, out += static_cast<std::size_t>(width) * 3) {
        PutRgbRow(picture, picture.BufferRow(y), out);
    }
    return pixels;
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
