// Save, Load and the texture-info reading shared with start-up.
#include <functional>
#include <string>

#include <QFileInfo>
#include <QLineEdit>

#include "app/DibImage.h"
#include "app/MainWindow.h"
#include "files/Error.h"
#include "generation/TextureInfo.h"

namespace orvalis {

namespace {

constexpr const char* kFallbackHeightmap = "terrain.bmp";

}  // namespace

void TForm1::Button1Click() {
    const std::optional<QString> path = dialogs_.OpenTextureInfo(this);
    if (!path) return;
    LoadTextureInfo(path->toStdString());
}

void TForm1::Button2Click() {
    const std::optional<QString> path = dialogs_.SaveTextureInfo(this);
    if (!path) return;
    TextureInfo info;
    info.TileFiles = state_.TileFiles;
    info.HeightmapFile = state_.HeightmapFile;
    std::array<std::string, kTileCount> bandTexts;
    for (int i = 0; i < kTileCount; ++i) bandTexts[i] = BandStartEdits()[i]->text().toStdString();
    info.BandTexts = bandTexts;
    WriteTextureInfo(path->toStdString(), info);
}

// Loads tile after tile and stops at the first that fails: the paths up to
// that one are taken, the heightmap, the band fields and the pictures shown
// stay as they were. A picture that fails is named with the info file and
// its line.
void TForm1::LoadTextureInfo(const std::string& path) {
    const TextureInfo info = ReadTextureInfo(path);
    const auto atLine = [&path](int line, const std::function<void()>& step) {
        try {
            step();
        } catch (const Error& error) {
            throw Error(path, "line " + std::to_string(line) + ": " + error.what());
        }
    };
    for (int i = 0; i < kTileCount; ++i) {
        state_.TileFiles[i] = info.TileFiles[i];
        atLine(i + 1, [&] { LoadTile(i, state_.TileFiles[i]); });
    }
    state_.SetHeightmapFile(info.HeightmapFile);
    if (info.BandTexts) {
        for (int i = 0; i < kTileCount; ++i) {
            BandStartEdits()[i]->setText(QString::fromStdString((*info.BandTexts)[i]));
        }
    }
    for (int i = 0; i < kTileCount; ++i) {
        TileBoxes()[i]->SetPicture(DibToImage(*state_.TileBitmaps[i]));
    }
    // Only a heightmap that does not exist falls back; one that exists but
    // cannot be read (a FIFO, a device, a folder) is named in the error. The
    // fallback stays even when "terrain.bmp" cannot be shown either.
    if (!QFileInfo::exists(QString::fromStdString(state_.HeightmapPath))) {
        state_.SetHeightmapFile(kFallbackHeightmap);
    }
    atLine(6, [this] { Image1->SetPicture(ReadPicture(state_.HeightmapPath)); });
}

}  // namespace orvalis
