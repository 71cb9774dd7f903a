#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "preview/PreviewMesh.h"
#include "raster/DibBuffer.h"
#include "blending/BandBlend.h"

namespace orvalis {

// The working state the window's handlers, the generation and the preview
// share. It lives as long as the main window; everything is touched on the
// GUI thread only, except the tile pictures, which a running generation's
// worker reads while the window takes no input that could change them.
struct AppState {
    // Tile i belongs to the band centred at BandCentres[i]. Null until
    // start-up creates the pictures; a picture stays empty until a tile file
    // has been read into it.
    std::array<std::unique_ptr<TDibBuffer>, kTileCount> TileBitmaps;
    std::array<std::string, kTileCount> TileFiles;
    THeightMap PreviewMesh;
    // The lightmap of the last lit generation, at the heightmap's size.
    TDibBuffer Lightmap;
    std::int32_t TextureSize = 0;
    std::int32_t PreviewResolution = 0;
    std::int32_t FrameCounter = 0;
    float FramesPerSecond = 0.0f;
    float RotationAngle = 0.0f;
    float ZoomFactor = 0.0f;
    // The heightmap as the user chose it or a texture-info file wrote it:
    // what Save writes and messages show.
    std::string HeightmapFile;
    // HeightmapFile resolved against the current folder when it was set: the
    // file that Generate and the preview read, wherever the current folder
    // is by then.
    std::string HeightmapPath;
    // Plain file name of the last generated texture, in the program's folder.
    std::string OutputFile;
    // How the preview's relief stands: the true scale of the last texture
    // when it was lit at the real scale, and the relief switch's exaggeration.
    MeshRelief PreviewRelief;
    // The GL implementation's largest texture edge; 0 while unknown.
    std::int32_t MaxTextureSize = 0;
    bool PreviewEnabled = false;

    void SetHeightmapFile(const std::string& path) {
        HeightmapFile = path;
        HeightmapPath = path.empty() ? path : std::filesystem::absolute(path).string();
    }
};

}  // namespace orvalis
