#pragma once

#include <string>

#include "preview/PreviewMesh.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// The picture the preview lays over the mesh: the last generated texture
// while that file exists, else "terrain_tex.bmp" in the current folder.
std::string PreviewTextureFile(const std::string& outputFile);

// Deletes the mesh's texture and loads PreviewTextureFile into a new one,
// magnified linearly and minified trilinearly through its mipmaps. A file the
// loader cannot use is reported in its "BMP Unit" box; TextureId then keeps
// the deleted name, which binds as an empty texture, so the mesh is drawn
// untextured. Gives the loader's result.
bool ReloadPreviewTexture(THeightMap& mesh, const std::string& outputFile);

// Deletes the mesh's texture and makes a new one, filtered as above, from a
// picture in memory.
void ReplacePreviewTexture(THeightMap& mesh, const TDibBuffer& picture);

}  // namespace orvalis
