// Export: the dialog, the settings kept between runs, and the line on the
// Lighting page that says what Generate will write. Also the preview's own
// window, opened from the same menu.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include "app/MainWindow.h"
#include "app/RememberedExport.h"
#include "files/Error.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

QString FormatName(ExportFormat format) {
    switch (format) {
        case ExportFormat::Png: return QStringLiteral("PNG");
        case ExportFormat::GeoTiff: return QStringLiteral("GeoTIFF");
        case ExportFormat::Bmp: break;
    }
    return QStringLiteral("BMP");
}

QString FileList(const ExportSettings& settings) {
    QStringList files;
    const auto add = [&](const char* what, const ExtraOutput& output) {
        if (output.On) files << QStringLiteral("%1 %2").arg(QLatin1String(what), QString::fromStdString(output.File));
    };
    add("splat map", settings.SplatMap);
    add("normal map", settings.NormalMap);
    add("shadow map", settings.ShadowMap);
    if (settings.WorldFile) files << QStringLiteral("world files");
    return files.join(QStringLiteral(", "));
}

// One or two lines: the format and the files besides the texture, then how
// the terrain is sampled and lit when that is not the classic way.
QString Describe(const ExportSettings& settings) {
    QString text = QStringLiteral("Generate writes: %1 texture").arg(FormatName(settings.Format));
    if (const QString files = FileList(settings); !files.isEmpty()) text += QStringLiteral(", ") + files;
    if (settings.RealScale) {
        text += QStringLiteral("\nSun at %1° azimuth, %2° elevation (real scale)")
                    .arg(QString::fromStdString(NumberText(settings.SunAzimuth)),
                         QString::fromStdString(NumberText(settings.SunElevation)));
    } else if (!settings.ClassicTerrain() || settings.Range) {
        text += QStringLiteral("\nHeights: own range, bands or resampling set");
    }
    return text;
}

}  // namespace

void TForm1::BuildExportControls() {
    const int top = GroupBox1->geometry().bottom() + 10;
    ExportButton = new QPushButton(QStringLiteral("&Export..."), TabSheet4);
    ExportButton->setGeometry(0, top, 90, 25);
    ExportButton->setToolTip(QStringLiteral(
        "Format, splat, normal and shadow maps, heights and real-scale lighting (Ctrl+E)"));
    ExportSummary = new QLabel(TabSheet4);
    ExportSummary->setGeometry(0, top + 31, 329, 72);
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
    ExportSummary->setText(Describe(settings));
}

// Settings that can no longer be used are named, and the defaults stay.
void TForm1::RecallExport() {
    QSettings store;
    ShowExportSettings(RecallExportSettings(store));
}

void TForm1::BigPreviewClick() {
    if (!Panel1->HasGl()) throw Error("Preview unavailable: no OpenGL");
    if (!state_.PreviewEnabled) {
        throw Error(state_.OutputFile.empty() ? "No texture to preview yet: generate one first"
                                              : TexInfo->text().toStdString());
    }
    TabSheet3Show();
    if (!BigPreview) {
        BigPreview = std::make_unique<TPreviewWindow>(*Panel1, state_.PreviewMesh);
        // It belongs to this window: closing this one ends the program.
        BigPreview->setTransientParent(windowHandle());
        BigPreview->setIcon(windowIcon());
    }
    BigPreview->show();
    BigPreview->requestActivate();
    BigPreview->Redraw();
}

void TForm1::RedrawBigPreview() {
    if (BigPreview && BigPreview->isVisible()) BigPreview->Redraw();
}

}  // namespace orvalis
