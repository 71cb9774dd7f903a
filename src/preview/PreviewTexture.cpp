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

}  // namespace orvalis
