// Generate: one whole generation from the click to the texture on screen.
// The work runs in the background; the window stays responsive, takes only
// Cancel (the Generate button meanwhile), Esc, the pages or the quit keys,
// and shows the progress.
#include <optional>
#include <stdexcept>
#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>

#include "app/DibImage.h"
#include "app/ExportRequest.h"
#include "app/MainWindow.h"
#include "app/PreviewRelief.h"
#include "app/Relight.h"
#include "files/DisplayPath.h"
#include "generation/GenerationRequest.h"

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
    if (state_.HeightmapFile.empty()) {
        Fail(QStringLiteral("No heightmap chosen: click the big picture to choose one"));
    }
    CheckHeightmapFile(state_.HeightmapPath, state_.HeightmapFile);
    CheckProgramFolder();
    ProgressBar1->setMaximum(state_.TextureSize * state_.TextureSize);
    pictureBeforeRun_ = Image1->Picture();
    statusBeforeRun_ = StaticText1->text();
    const bool lit = UseLighting->isChecked();
    runLight_ = std::nullopt;
    if (lit) runLight_ = LightSettings{LightDir->value(), SunPos->value()};
    runExport_ = export_;
    progress_.emplace(lit);
    BackgroundGeneration::Callbacks callbacks;
    callbacks.Progress = [this](SynthesisStage stage, int rowsDone, int rowsTotal) {
        progress_->RowsDone(stage, rowsDone, rowsTotal);
        ShowProgress();
    };
    callbacks.BlendDone = [this](const QImage& unlit) {
        Image1->SetPicture(unlit);
        progress_->BlendDone();
        ShowProgress();
    };
    callbacks.Finished = [this](BackgroundGeneration::Outcome& outcome) {
        Run([this, &outcome] { FinishGeneration(outcome); });
    };
    GenerationRequest request = RequestFromWindow();
    request.Settings.UnlitTexture = Relighter->Prepare(state_.HeightmapPath, RelightInputs());
    generation_ = std::make_unique<BackgroundGeneration>(this, std::move(request), callbacks);
    // Quitting stays possible: it cancels the run as the close box does; so
    // does showing another page, so that the progress can be reached.
    QList<QKeySequence> stillWorking{kQuitKeys};
    for (int page = 0; page < PageControl->count(); ++page) stillWorking.append(PageKeys(page));
    inputBlocker_ = std::make_unique<InputBlocker>(
        QList<QWidget*>{static_cast<QWidget*>(Button3), PageControl->tabBar()}, stillWorking,
        InputBlocker::Handlers{[this] { if (generation_) generation_->Cancel(); },
                               [this](const QKeySequence& keys) { SayBlocked(keys); }});
    Button3->setText(QStringLiteral("Cancel"));
    ShowProgress();
}

bool TForm1::IsGenerating() const { return generation_ != nullptr; }

void TForm1::closeEvent(QCloseEvent* event) {
    if (generation_) generation_->Cancel();
    QWidget::closeEvent(event);
}

// The run has removed whatever it made when it did not complete.
void TForm1::FinishGeneration(BackgroundGeneration::Outcome& outcome) {
    generation_.reset();
    inputBlocker_.reset();
    progress_.reset();
    runNote_.reset();
    Button3->setText(QString::fromUtf8(kGenerateCaption));
    const bool saved = !outcome.Cancelled && outcome.Error.empty();
    Relighter->EndGeneration(saved);
    ProgressBar1->setValue(0);
    if (!saved) {
        Image1->SetPicture(pictureBeforeRun_);
        StaticText1->setText(statusBeforeRun_);
        if (!outcome.Error.empty()) throw std::runtime_error(outcome.Error);
        StaticText1->setText(QStringLiteral("Generation cancelled, nothing saved"));
        return;
    }
    state_.OutputFile = outcome.OutputFile;
    if (!outcome.Lightmap.IsEmpty()) state_.Lightmap = std::move(outcome.Lightmap);
    savedLight_ = runLight_;
    savedStatus_ = QString::fromStdString(DisplayPath(state_.OutputFile)) +
                   QStringLiteral(" saved (") + QString::number(outcome.ElapsedMs) +
                   QStringLiteral("ms)");
    StaticText1->setText(savedStatus_);
    DescribeExport();  // the maps' next free numbers
    Image1->SetPicture(ReadPicture(ProgramFile(state_.OutputFile)));
    const bool fitsHardware = state_.TextureSize <= state_.MaxTextureSize;
    TexInfo->setText(fitsHardware ? QString() : QString::fromUtf8(kHardwareLimitWarning));
    state_.PreviewEnabled = fitsHardware;
    state_.PreviewRelief.UnitsPerLevel = TrueUnitsPerLevel(state_.HeightmapPath, runExport_);
    UpdateIdleLoop();
    // A run started from the Preview page, or with the preview's own window
    // open, shows its texture there at once.
    if (PageControl->currentIndex() == kPreviewPage || (BigPreview && BigPreview->isVisible())) TabSheet3Show();
}

// Into the program's folder: the first free terrain_tex*.bmp (or as the
// Export settings say), and lm.bmp replaced when lit.
GenerationRequest TForm1::RequestFromWindow() const {
    GenerationRequest request;
    request.OutputFolder = programFolder_.toStdString();
    GenerateSettings& settings = request.Settings;
    settings.HeightmapFile = state_.HeightmapPath;
    for (int i = 0; i < kTileCount; ++i) settings.Tiles[i] = state_.TileBitmaps[i].get();
    settings.TextureSize = state_.TextureSize;
    settings.UseLighting = UseLighting->isChecked();
    settings.Light = LightSettings{LightDir->value(), SunPos->value()};
    ApplyExportSettings(export_, programFolder_.toStdString(), request);
    return request;
}

void TForm1::CheckProgramFolder() const {
    const QFileInfo folder(programFolder_);
    if (!folder.isDir() || !folder.isWritable()) {
        Fail(QStringLiteral("Cannot write the texture: the program's folder %1 is not writable")
                 .arg(QString::fromStdString(DisplayPath(programFolder_.toStdString()))));
    }
}

// One bar for the whole run, and its phase in the status line, or what
// became of a key pressed during the phase.
void TForm1::ShowProgress() {
    const qint64 maximum = ProgressBar1->maximum();
    ProgressBar1->setValue(static_cast<int>(maximum * progress_->Done() / RunProgress::kFull));
    if (runNote_ && runNote_->second != progress_->CurrentPhase()) runNote_.reset();
    StaticText1->setText(runNote_ ? runNote_->first
                                  : QString::fromUtf8(RunProgress::NameOf(progress_->CurrentPhase())) +
                                        QStringLiteral("..."));
}

// Generate's keys do not cancel a run, only Cancel and Esc do: a slip of the
// finger must not throw a long run away.
void TForm1::SayBlocked(const QKeySequence& keys) {
    const QString name = keys.toString(QKeySequence::NativeText);
    const bool generate = keys == QKeySequence::mnemonic(QString::fromUtf8(kGenerateCaption)) ||
                          kGenerateKeys.contains(keys);
    runNote_.emplace(name + (generate ? QStringLiteral(": already generating; Esc cancels")
                                      : QStringLiteral(": not during a run; Esc cancels it")),
                     progress_->CurrentPhase());
    ShowProgress();
}

std::string TForm1::ProgramFile(const std::string& name) const {
    return QDir(programFolder_).filePath(QString::fromStdString(name)).toStdString();
}

}  // namespace orvalis
