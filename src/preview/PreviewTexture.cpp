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

void ReplacePreviewTexture(THeightMap& mesh, std::int32_t width, std::int32_t height,
                           const std::uint8_t* rgb) {
    glDeleteTextures(1, &mesh.TextureId);
    mesh.TextureId = UploadTexture(static_cast<std::uint16_t>(width),
                                   static_cast<std::uint16_t>(height), GL_RGB, rgb, GL_LINEAR,
                                   GL_LINEAR_MIPMAP_LINEAR);
}

}  // namespace orvalis
