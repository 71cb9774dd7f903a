#include "preview/PreviewTexture.h"

#include <filesystem>
#include <system_error>

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

void ReplacePreviewTexture(THeightMap& mesh, const TDibBuffer& picture) {
    const TexturePixels pixels = TexturePixelsOf(picture);
    glDeleteTextures(1, &mesh.TextureId);
    mesh.TextureId = UploadTexture(pixels.Width, pixels.Height, GL_RGB, pixels.Rgb.data(), GL_LINEAR,
                                   GL_LINEAR_MIPMAP_LINEAR);
}

}  // namespace orvalis
