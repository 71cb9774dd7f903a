#pragma once

#include <array>
#include <optional>
#include <string>

#include <QImage>

#include "blending/BandBlend.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// One picture a set-up file names, read before the window takes any of it.
struct SetUpPicture {
    // The path the window keeps and Save writes: as the file has it, or
    // where it was found beside the set-up file (see ResolveInfoPath).
    std::string File;
    // Why it could not be read, starting with its line ("line 3: ..."); empty
    // when it was read.
    std::string Problem;

    bool WasRead() const { return Problem.empty(); }
};

struct SetUpTile : SetUpPicture {
    TDibBuffer Pixels;
};

struct SetUpHeightmap : SetUpPicture {
    QImage Shown;
};

// A texture-info file with every picture it names already read.
struct SetUpContents {
    std::array<SetUpTile, kTileCount> Tiles;
    SetUpHeightmap Heightmap;
    std::optional<std::array<std::string, kTileCount>> BandTexts;
    // One line for each picture that could not be read, each naming the
    // set-up file, the line and the path as written; empty when all were.
    std::string Problems;
};

// A heightmap that does not exist is replaced by this one when it does.
inline constexpr const char* kFallbackHeightmap = "terrain.bmp";

// Reads the texture-info file at path and the pictures it names. Raises
// Error only when the file itself cannot be read; a picture that cannot be
// read is described in Problems.
SetUpContents ReadSetUp(const std::string& path);

}  // namespace orvalis
