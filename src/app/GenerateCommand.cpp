// Generate: one whole generation from the click to the texture on screen.
#include <algorithm>
#include <stdexcept>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>

#include "app/DibImage.h"
#include "app/InputBlocker.h"
#include "app/MainWindow.h"
#include "synth/GenerateTexture.h"

namespace orvalis {

namespace {

const char* const kHardwareLimitWarning = "Textur größer als Hardwarelimit! Keine Vorschau!";

[[noreturn]] void Fail(const QString& message) { throw Error(message.toStdString()); }

}  // namespace

void TForm1::Button3Click() {
    const QFileInfo heightmap(QString::fromStdString(state_.HeightmapFile));
    if (!heightmap.isFile()) {
        Fail(QStringLiteral("Heightmap ") + QString::fromStdString(state_.HeightmapFile) +
             QStringLiteral(" doesn't exist!"));
    }
    // Read where the check found it, although the generation works from the
    // program's folder.
    const GenerateSettings settings =
        SettingsFromWindow(heightmap.absoluteFilePath().toStdString());

    const InputBlocker blocker;
    QElapsedTimer clock;
    clock.start();
    ProgressBar1->setMaximum(state_.TextureSize * state_.TextureSize);
    state_.OutputFile = ChooseOutputFile();
    if (!QDir::setCurrent(programFolder_)) {
        Fail(QStringLiteral("Cannot change to the program's folder %1").arg(programFolder_));
    }
    GenerateTexture(settings, ProgramFile(state_.OutputFile), ProgramFile(kLightmapFileName),
                    state_.Lightmap);
    const qint64 elapsedMs = clock.elapsed();

    StaticText1->setText(QString::fromStdString(state_.OutputFile) + QStringLiteral(" saved (") +
                         QString::number(elapsedMs) + QStringLiteral("ms)"));
    ProgressBar1->setValue(0);
    Image1->SetPicture(ReadPicture(ProgramFile(state_.OutputFile)));
    const bool fitsHardware = state_.TextureSize <= state_.MaxTextureSize;
    TexInfo->setText(fitsHardware ? QString() : QString::fromUtf8(kHardwareLimitWarning));
    state_.PreviewEnabled = fitsHardware;
    UpdateIdleLoop();
}

GenerateSettings TForm1::SettingsFromWindow(const std::string& heightmapPath) {
    GenerateSettings settings;
    settings.HeightmapFile = heightmapPath;
    for (int i = 0; i < kTileCount; ++i) settings.Tiles[i] = state_.TileBitmaps[i].get();
    settings.TextureSize = state_.TextureSize;
    settings.UseLighting = UseLighting->isChecked();
    settings.Light = LightSettings{LightDir->value(), SunPos->value()};
    settings.Run.ReadPicture = PictureFileReader();
    blendRowsShown_ = 0;
    settings.Run.Progress = [this](SynthesisStage stage, int rowsDone, int) {
        if (stage != SynthesisStage::Blend) return;
        AdvanceProgress(rowsDone - blendRowsShown_);
        blendRowsShown_ = rowsDone;
    };
    settings.BlendWritten = [this](const std::string& unlitTexture) {
        Image1->SetPicture(ReadPicture(unlitTexture));
        Image1->repaint();
    };
    return settings;
}

// The first free name in the program's folder, which must take the files.
std::string TForm1::ChooseOutputFile() const {
    const QFileInfo folder(programFolder_);
    if (!folder.isDir() || !folder.isWritable()) {
        Fail(QStringLiteral("Cannot write the texture: the program's folder %1 is not writable")
                 .arg(programFolder_));
    }
    const std::optional<std::string> name = ChooseOutputName(programFolder_.toStdString());
    if (!name) {
        Fail(QStringLiteral("No free texture name left in %1: terrain_tex.bmp and "
                            "terrain_tex0.bmp to terrain_tex65534.bmp all exist")
                 .arg(programFolder_));
    }
    return *name;
}

// Each blend row moves the bar by TextureSize. QProgressBar repaints at once
// whenever the shown length changes, so it advances although the generation
// keeps the event loop waiting.
void TForm1::AdvanceProgress(int rows) {
    const qint64 advanced =
        qint64{ProgressBar1->value()} + qint64{rows} * qint64{state_.TextureSize};
    ProgressBar1->setValue(static_cast<int>(std::min<qint64>(advanced, ProgressBar1->maximum())));
}

std::string TForm1::ProgramFile(const std::string& name) const {
    return QDir(programFolder_).filePath(QString::fromStdString(name)).toStdString();
}

}  // namespace orvalis
