// Save, Load and the start-up's reading of a set-up file.
#include <string>

#include <QLineEdit>

#include "app/ExportFile.h"
#include "app/MainWindow.h"
#include "app/SetUpFile.h"
#include "files/Error.h"
#include "generation/TextureInfo.h"

namespace orvalis {

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
    // The export settings go beside the set-up, in a file of their own.
    const std::string exportFile = ExportFileBeside(path->toStdString());
    if (exportFile == path->toStdString()) {
        throw Error(exportFile, "is the name of the export settings beside a set-up; choose a set-up name ending in .txt");
    }
    WriteTextureInfo(path->toStdString(), info);
    WriteExportFile(exportFile, export_);
}

// All or nothing: a set-up with a picture that cannot be read changes
// nothing, so that a Save never writes a mix of two set-ups.
// The export settings beside it count as part of it; without such a file
// the current ones stay.
void TForm1::LoadTextureInfo(const std::string& path) {
    const std::optional<ExportSettings> exports = ReadExportFileIfAny(ExportFileBeside(path));
    SetUpContents setUp = ReadSetUp(path);
    if (!setUp.Problems.empty()) throw Error(setUp.Problems);
    TakeSetUp(setUp);
    if (exports) TakeExportSettings(*exports);
}

// At start-up there is nothing to keep: the window takes what could be
// read and names what could not; the boxes of the missing pictures say so.
void TForm1::StartFromSetUp(const std::string& path) {
    SetUpContents setUp = ReadSetUp(path);
    TakeSetUp(setUp);
    std::string problems = setUp.Problems;
    try {
        const std::optional<ExportSettings> exports = ReadExportFileIfAny(ExportFileBeside(path));
        if (exports) TakeExportSettings(*exports);
    } catch (const Error& error) {
        problems += (problems.empty() ? "" : "\n") + std::string(error.what());
    }
    if (!problems.empty()) throw Error(problems);
}

void TForm1::TakeSetUp(SetUpContents& setUp) {
    for (int i = 0; i < kTileCount; ++i) {
        SetUpTile& tile = setUp.Tiles[i];
        state_.TileFiles[i] = tile.File;
        if (tile.WasRead()) *state_.TileBitmaps[i] = std::move(tile.Pixels);
        ShowTile(i);
    }
    state_.SetHeightmapFile(setUp.Heightmap.File);
    ShowHeightmap(setUp.Heightmap.Shown);
    ShowNothingGenerated();
    if (setUp.BandTexts) {
        for (int i = 0; i < kTileCount; ++i) {
            BandStartEdits()[i]->setText(QString::fromStdString((*setUp.BandTexts)[i]));
        }
    }
}

}  // namespace orvalis
