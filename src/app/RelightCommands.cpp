// The Lighting page's scrollbars relight the last generated texture on screen.
#include <QCheckBox>
#include <QScrollBar>
#include <QTabWidget>

#include "app/MainWindow.h"
#include "app/Relight.h"
#include "preview/PreviewTexture.h"

namespace orvalis {

namespace {

const char* const kUnsavedRelitStatus = "Relit on screen only, not saved";

}  // namespace

// The names of the heightmap and the tiles, the size and the export
// settings; the relight also checks that the heightmap file itself has not
// changed.
QStringList TForm1::RelightInputs() const {
    QStringList inputs{QString::fromStdString(state_.HeightmapPath),
                       QString::number(state_.TextureSize)};
    for (const std::string& tile : state_.TileFiles) inputs.append(QString::fromStdString(tile));
    for (const auto& [name, value] : ExportSettingsValues(export_)) {
        inputs.append(QString::fromStdString(name + "=" + value));
    }
    return inputs;
}

// The scrollbars light the classic way, from the heights as the classic
// generation reads them.
bool TForm1::RelightsFromScrollbars() const { return export_.ClassicTerrain() && !export_.Range; }

// With real-scale lighting the sun comes from Export and the scrollbars
// have nothing to do; with other heights they still light Generate's
// texture, but the picture on screen is not relit. Their tooltips say which.
void TForm1::ShowLightingControls() {
    const QString relight = export_.RealScale ? QStringLiteral("\nOff: real-scale lighting (Export) takes the sun in degrees instead.")
                            : RelightsFromScrollbars()
                                ? QStringLiteral("\nThe last texture is relit on screen as it moves.")
                                : QStringLiteral("\nGenerate uses it; the Export's heights settings keep the picture on screen as it is.");
    SunPos->setToolTip(QStringLiteral("Height of the sun, from 0 (on the horizon) to 4 (high above).") + relight);
    LightDir->setToolTip(QStringLiteral(
        "Direction the light comes from, 0° to 360° counter-clockwise from east\n"
        "(the picture's right): 0° east, 90° north (the top). Export's sun azimuth A,\n"
        "clockwise from north, is (450 - A) mod 360 here.") + relight);
    SunPos->setEnabled(!export_.RealScale);
    LightDir->setEnabled(!export_.RealScale);
}

// The Lighting page gets the terrain ready as soon as it is shown.
void TForm1::LightingPageChanged(int index) {
    if (PageControl->widget(index) == TabSheet4 && RelightsFromScrollbars()) Relighter->Warm(RelightInputs());
}

void TForm1::LightingMoved() {
    if (!UseLighting->isChecked() || !RelightsFromScrollbars()) return;
    Relighter->Request(LightSettings{LightDir->value(), SunPos->value()}, RelightInputs());
}

// A run shows its own blend meanwhile; a light that ends during it is kept
// for the preview only.
void TForm1::ShowRelit(const RelitTexture& texture) {
    if (IsGenerating()) return;
    Image1->SetPicture(texture.Picture);
    ShowRelitStatus(texture.Light);
    // The preview's own window follows at once; the page takes it up when shown.
    if (BigPreview && BigPreview->isVisible() && state_.PreviewEnabled) {
        ReplacePreviewTexture(state_.PreviewMesh, texture.Texture);
        BigPreview->Redraw();
    }
}

void TForm1::ShowQuickRelit(const QImage& picture, const LightSettings& light) {
    if (IsGenerating()) return;
    Image1->SetPicture(picture);
    ShowRelitStatus(light);
}

// A relight for the saved texture's own light shows that texture again.
void TForm1::ShowRelitStatus(const LightSettings& light) {
    const bool saved = savedLight_ && savedLight_->LightDir == light.LightDir &&
                       savedLight_->SunPos == light.SunPos;
    StaticText1->setText(saved ? savedStatus_ : QString::fromUtf8(kUnsavedRelitStatus));
}

}  // namespace orvalis
