#include "app/SetUpFile.h"

#include <exception>
#include <functional>

#include <QFileInfo>

#include "app/DibImage.h"
#include "files/DisplayPath.h"
#include "files/InputFile.h"
#include "generation/TextureInfo.h"
#include "io/PictureFile.h"

namespace orvalis {

namespace {

constexpr int kHeightmapLine = 6;

bool IsFile(const std::string& path) { return QFileInfo(QString::fromStdString(path)).isFile(); }

// Reads one picture of line `line`; what fails becomes its Problem.
void ReadNamed(SetUpPicture& picture, int line, const std::function<void()>& read) {
    const std::string where = "line " + std::to_string(line);
    if (picture.File.empty()) {
        picture.Problem = where + " is empty: a set-up names five tiles, then the heightmap";
        return;
    }
    try {
        read();
    } catch (const std::exception& error) {
        picture.Problem = where + ": " + error.what();
    }
}

// A heightmap that is missing gives way to the fallback when that exists;
// one that exists but cannot be read (a FIFO, a device, a folder, a loop of
// links) is named in the problem instead.
void ReadHeightmap(SetUpHeightmap& heightmap, const std::string& written,
                   const std::string& infoPath) {
    heightmap.File = ResolveInfoPath(written, infoPath);
    const std::string fallback = ResolveInfoPath(kFallbackHeightmap, infoPath);
    if (!written.empty() && NothingAt(heightmap.File)) {
        if (!IsFile(fallback)) {
            heightmap.Problem = "line " + std::to_string(kHeightmapLine) + ": neither " +
                                DisplayPath(written) + " nor " + kFallbackHeightmap + " exists";
            return;
        }
        heightmap.File = fallback;
    }
    ReadNamed(heightmap, kHeightmapLine, [&heightmap] {
        heightmap.Shown = ReadPicture(heightmap.File);
    });
}

}  // namespace

SetUpContents ReadSetUp(const std::string& path) {
    const TextureInfo info = ReadTextureInfo(path);
    SetUpContents setUp;
    for (int i = 0; i < kTileCount; ++i) {
        SetUpTile& tile = setUp.Tiles[i];
        tile.File = ResolveInfoPath(info.TileFiles[i], path);
        ReadNamed(tile, i + 1, [&tile] { tile.Pixels = ReadPictureFile(tile.File).Pixels; });
    }
    ReadHeightmap(setUp.Heightmap, info.HeightmapFile, path);
    setUp.BandTexts = info.BandTexts;
    const auto note = [&](const SetUpPicture& picture) {
        if (picture.WasRead()) return;
        if (!setUp.Problems.empty()) setUp.Problems += "\n";
        setUp.Problems += DisplayPath(path) + ": " + picture.Problem;
    };
    for (const SetUpTile& tile : setUp.Tiles) note(tile);
    note(setUp.Heightmap);
    return setUp;
}

}  // namespace orvalis
