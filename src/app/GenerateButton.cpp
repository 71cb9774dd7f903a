// Generate: one whole generation from the click to the texture on screen.
// The work runs in the background; the window stays responsive, takes only
// Cancel (the Generate button meanwhile) or Esc, and shows the progress.
#include <algorithm>
#include <stdexcept>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include "app/DibImage.h"
#include "app/MainWindow.h"
#include "app/Relight.h"
#include "files/DisplayPath.h"
#include "generation/GenerateTexture.h"

namespace orvalis {

namespace {

const char* const kHardwareLimitWarning = "Textur größer als Hardwarelimit! Keine Vorschau!";

[[noreturn]] void Fail(const QString& message) { throw Error(message.toStdString()); }

}  // namespace

void TForm1::Button3Click() {
    if (generation_) {
        generation_->Cancel();
        return;
    }
    CheckHeightmapFile(state_.HeightmapPath, state_.HeightmapFile);
    CheckProgramFolder();
    ProgressBar1->setMaximum(state_.TextureSize * state_.TextureSize);
    pictureBeforeRun_ = Image1->Picture();
    BackgroundGeneration::Callbacks callbacks;
    callbacks.Progress = [this](SynthesisStage, int rowsDone, int rowsTotal) {
        ShowProgress(rowsDone, rowsTotal);
    };
    callbacks.BlendDone = [this](const QImage& unlit) { Image1->SetPicture(unlit); };
    callbacks.Finished = [this](BackgroundGeneration::Outcome& outcome) {
        Run([this, &outcome] { FinishGeneration(outcome); });
    };
    generation_ = std::make_unique<BackgroundGeneration>(this, SettingsFromWindow(),
                                                         programFolder_.toStdString(), callbacks);
    inputBlocker_ = std::make_unique<InputBlocker>(Button3, [this] {
        if (generation_) generation_->Cancel();
    });
    Button3->setText(QStringLiteral("Cancel"));
}

bool TForm1::IsGenerating() const { return generation_ != nullptr; }

// The run has removed whatever it made when it did not complete.
void TForm1::FinishGeneration(BackgroundGeneration::Outcome& outcome) {
    generation_.reset();
    inputBlocker_.reset();
    Button3->setText(QStringLiteral("Generate"));
    const bool saved = !outcome.Cancelled && outcome.Error.empty();
    Relighter->EndGeneration(saved);
    ProgressBar1->setValue(0);
    if (!saved) {
        Image1->SetPicture(pictureBeforeRun_);
        if (!outcome.Error.empty()) throw std::runtime_error(outcome.Error);
        StaticText1->setText(QStringLiteral("Generation cancelled, nothing saved"));
        return;
    }
    state_.OutputFile = outcome.OutputFile;
    if (!outcome.Lightmap.IsEmpty()) state_.Lightmap = std::move(outcome.Lightmap);
    StaticText1->setText(QString::fromStdString(DisplayPath(state_.OutputFile)) +
                         QStringLiteral(" saved (") + QString::number(outcome.ElapsedMs) +
                         QStringLiteral("ms)"));
    Image1->SetPicture(ReadPicture(ProgramFile(state_.OutputFile)));
    const bool fitsHardware = state_.TextureSize <= state_.MaxTextureSize;
    TexInfo->setText(fitsHardware ? QString() : QString::fromUtf8(kHardwareLimitWarning));
    state_.PreviewEnabled = fitsHardware;
    UpdateIdleLoop();
}

GenerateSettings TForm1::SettingsFromWindow() const {
    GenerateSettings settings;
    settings.HeightmapFile = state_.HeightmapPath;
    for (int i = 0; i < kTileCount; ++i) settings.Tiles[i] = state_.TileBitmaps[i].get();
    settings.TextureSize = state_.TextureSize;
    settings.UseLighting = UseLighting->isChecked();
    settings.Light = LightSettings{LightDir->value(), SunPos->value()};
    settings.UnlitTexture = Relighter->Prepare(state_.HeightmapPath, RelightInputs());
    return settings;
}

void TForm1::CheckProgramFolder() const {
    const QFileInfo folder(programFolder_);
    if (!folder.isDir() || !folder.isWritable()) {
        Fail(QStringLiteral("Cannot write the texture: the program's folder %1 is not writable")
                 .arg(QString::fromStdString(DisplayPath(programFolder_.toStdString()))));
    }
}

// The blend moves the bar by TextureSize a row up to its maximum; the
// lightmap, which follows, fills the same bar once more.
void TForm1::ShowProgress(int rowsDone, int rowsTotal) {
    if (rowsTotal <= 0) return;
    const qint64 maximum = ProgressBar1->maximum();
    ProgressBar1->setValue(static_cast<int>(std::min(maximum * rowsDone / rowsTotal, maximum)));
}

std::string TForm1::ProgramFile(const std::string& name) const {
    return QDir(programFolder_).filePath(QString::fromStdString(name)).toStdString();
}

}  // namespace orvalis
