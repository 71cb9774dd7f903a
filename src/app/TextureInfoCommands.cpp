// Save, Load and the texture-info reading shared with start-up.
#include <QFileInfo>
#include <QLineEdit>

#include "app/DibImage.h"
#include "app/MainWindow.h"
#include "synth/TextureInfo.h"

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
// stay as they were.
void TForm1::LoadTextureInfo(const std::string& path) {
    const TextureInfo info = ReadTextureInfo(path);
    for (int i = 0; i < kTileCount; ++i) {
        state_.TileFiles[i] = info.TileFiles[i];
        LoadTile(i, state_.TileFiles[i]);
    }
    state_.HeightmapFile = info.HeightmapFile;
    if (info.BandTexts) {
        for (int i = 0; i < kTileCount; ++i) {
            BandStartEdits()[i]->setText(QString::fromStdString((*info.BandTexts)[i]));
        }
    }
    for (int i = 0; i < kTileCount; ++i) {
        TileBoxes()[i]->SetPicture(DibToImage(*state_.TileBitmaps[i]));
    }
    // The fallback stays even when "terrain.bmp" cannot be shown either.
    if (!QFileInfo(QString::fromStdString(state_.HeightmapFile)).isFile()) {
        state_.HeightmapFile = kFallbackHeightmap;
    }
    Image1->SetPicture(ReadPicture(state_.HeightmapFile));
}

}  // namespace orvalis
