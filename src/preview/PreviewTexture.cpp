#include "preview/PreviewTexture.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "preview/Textures.h"

namespace orvalis {

std::string PreviewTextureFile(const std::string& outputFile) {
    std::error_code error;
    if (!outputFile.empty() && std::filesystem::exists(outputFile, error)) return outputFile;
    return "terrain_tex.bmp";
}

bool ReloadPreviewTexture(THeightMap& mesh, const std::string& outputFile) {
    glDeleteTextures(1, &mesh.TextureId);
    return LoadTextureFile(PreviewTextureFile(outputFile), mesh.TextureId, GL_LINEAR,
                           GL_LINEAR_MIPMAP_LINEAR);
}

// GL takes tightly packed RGB rows, bottom row first.
void ReplacePreviewTexture(THeightMap& mesh, const TDibBuffer& picture) {
    const std::int32_t width = picture.Width(), rows = picture.RowCount();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * rows * 3);
    std::uint8_t* out = rgb.data();
    for (std::int32_t y = rows - 1; y >= 0; --y) {
        const std::uint8_t* in = picture.RowTable(picture.BufferRow(y));
        for (std::int32_t x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    glDeleteTextures(1, &mesh.TextureId);
    mesh.TextureId = UploadTexture(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(rows),
                                   GL_RGB, rgb.data(), GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
}

}  // namespace orvalis
