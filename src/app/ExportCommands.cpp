// Export: the dialog, the settings kept between runs, and the line on the
// Lighting page that says what Generate will write, with the live view beside
// it. Also the preview's own window, opened from the same menu.
#include <filesystem>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>

#include "app/MainWindow.h"
#include "app/RememberedExport.h"
#include "app/ScreenFit.h"
#include "files/Error.h"
#include "generation/OutputNames.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

// The texture's name as the summary shows it: the run takes the first free number.
const char* const kNumberedTexture = "terrain_tex*";

// Every file the request writes, by name: they all go into the program folder.
QString FileList(const GenerationRequest& request) {
    QStringList files;
    const std::string texture = kNumberedTexture + std::string(ExtensionOf(request.Format));
    for (const NamedOutput& output : OutputNames(request, texture)) {
        if (output.Use == NameUse::Remove) continue;
        files << QString::fromStdString(std::filesystem::path(output.Path).filename().string());
    }
    return files.join(QStringLiteral(", "));
}

// How the terrain is sampled and lit when that is not the classic way.
QString TerrainLine(const ExportSettings& settings) {
    if (settings.RealScale) {
        return QStringLiteral("\nSun at %1° azimuth, %2° elevation (real scale)")
            .arg(QString::fromStdString(NumberText(settings.SunAzimuth)),
                 QString::fromStdString(NumberText(settings.SunElevation)));
    }
    if (!settings.ClassicTerrain() || settings.Range) return QStringLiteral("\nHeights: own range, bands or resampling set");
    return {};
}

}  // namespace

void TForm1::BuildExportControls() {
    const int top = GroupBox1->geometry().bottom() + 10;
    ExportButton = new QPushButton(QStringLiteral("&Export..."), TabSheet4);
    ExportButton->setGeometry(0, top, 90, 25);
    ExportButton->setToolTip(QStringLiteral(
        "Format, splat, normal and shadow maps, heights and real-scale lighting (Ctrl+E)"));
    // Beside the scrollbars' page, the picture of the first page follows
    // each relight, so the light can be watched as it moves.
    constexpr int kLiveEdge = 128;
    LiveView = new PictureBox(PictureBox::Fit::KeepAspect, TabSheet4);
    LiveView->setGeometry(329 - kLiveEdge, top, kLiveEdge, kLiveEdge);
    LiveView->setAcceptDrops(false);
    LiveView->setToolTip(QStringLiteral("The picture of the HeightMap page: the last texture, relit here as the\n"
                                        "scrollbars move."));
    connect(Image1, &PictureBox::PictureChanged, LiveView, [this] { LiveView->SetPicture(Image1->Picture()); });
    ExportSummary = new QLabel(TabSheet4);
    // Down to the page's bottom, below the tabs: the list of files may be long.
    const int pageHeight = height() - PageControl->tabBar()->sizeHint().height() - 8;
    ExportSummary->setGeometry(0, top + 31, 329 - kLiveEdge - 8, pageHeight - top - 31);
    ExportSummary->setWordWrap(true);
    ExportSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ShowExportSettings(export_);
}

void TForm1::ExportClick() {
    const std::optional<ExportSettings> chosen = dialogs_.EditExportSettings(this, export_);
    if (chosen) TakeExportSettings(*chosen);
}

void TForm1::TakeExportSettings(const ExportSettings& settings) {
    CheckExportSettings(settings);
    ShowExportSettings(settings);
    QSettings store;
    RememberExportSettings(store, settings);
}

void TForm1::ShowExportSettings(const ExportSettings& settings) {
    export_ = settings;
    DescribeExport();
    ShowLightingControls();
}

// The files of the request Generate would make now, or why it would refuse:
// a problem shows before Generate is pressed.
void TForm1::DescribeExport() {
    QString text;
    bool refused = false;
    try {
        text = QStringLiteral("Generate writes: ") + FileList(RequestFromWindow()) + TerrainLine(export_);
    } catch (const Error& error) {
        text = QStringLiteral("Generate would refuse: ") + QString::fromUtf8(error.what());
        refused = true;
    }
    ExportSummary->setText(text);
    QPalette palette = ExportSummary->palette();
    palette.setColor(QPalette::WindowText, refused ? QColor(0xb0, 0, 0) : this->palette().color(QPalette::WindowText));
    ExportSummary->setPalette(palette);
}

// Settings that can no longer be used are named, and the defaults stay.
void TForm1::RecallExport() {
    QSettings store;
    ShowExportSettings(RecallExportSettings(store));
}

void TForm1::BigPreviewClick() {
    if (!Panel1->HasGl()) throw Error("Preview unavailable: no OpenGL");
    // Before any Generate there is nothing wrong, only nothing to show yet.
    if (state_.OutputFile.empty()) {
        dialogs_.ShowMessage(this, QStringLiteral("Preview"),
                             QStringLiteral("Nothing to preview yet: the preview shows the texture that Generate "
                                            "makes.\nPress Generate (Alt+G) first, then F11."));
        return;
    }
    if (!state_.PreviewEnabled) throw Error(TexInfo->text().toStdString());
    TabSheet3Show();
    if (!BigPreview) {
        BigPreview = std::make_unique<TPreviewWindow>(*Panel1, state_.PreviewMesh);
        // It belongs to this window: closing this one ends the program.
        BigPreview->setTransientParent(windowHandle());
        BigPreview->setIcon(windowIcon());
        // Centred on this window's screen, and no larger than it: at a large
        // scale factor its first size would leave its close button off screen.
        const QRect room = RoomFor(*screen());
        QRect wanted(QPoint(), BigPreview->size());
        wanted.moveCenter(room.center());
        BigPreview->setGeometry(FitWithin(wanted, room));
    }
    BigPreview->show();
    BigPreview->requestActivate();
    BigPreview->Redraw();
}

void TForm1::RedrawBigPreview() {
    if (BigPreview && BigPreview->isVisible()) BigPreview->Redraw();
}

}  // namespace orvalis
