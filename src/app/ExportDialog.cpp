#include "app/ExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <optional>

#include "app/ScreenFit.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "io/PictureFile.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

// Shows a number as short as it reads back ("45", not "45.000000").
class NumberBox : public QDoubleSpinBox {
public:
    QString textFromValue(double value) const override {
        return locale().toString(value, 'f', QLocale::FloatingPointShortest);
    }
};

// Enough decimals for the smallest z-factor (kScaleLimits).
QDoubleSpinBox* MakeNumber(const NumberLimits& limits, double step, const QString& suffix) {
    auto* box = new NumberBox;
    box->setDecimals(9);
    box->setRange(limits.Lowest, limits.Highest);
    box->setSingleStep(step);
    box->setSuffix(suffix);
    box->setAccelerated(true);
    return box;
}

// A check box with its file name beside it; the name is edited only while
// the box is checked.
QWidget* OutputRow(QCheckBox* box, QLineEdit* file) {
    file->setToolTip(QStringLiteral("A file name in the program folder; a run that finds it taken adds a number."));
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    layout->addWidget(file, 1);
    QObject::connect(box, &QCheckBox::toggled, file, &QLineEdit::setEnabled);
    return row;
}

std::string TextOf(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

// The resampling box's entries, in order.
constexpr std::optional<Resampling> kResamplingChoices[] = {std::nullopt, Resampling::Classic, Resampling::Smooth,
                                                             Resampling::Spline};

// Where a text field's fault is named: "Height range: ...".
template <typename Parse>
auto ParseField(const char* field, const std::string& text, Parse parse) {
    try {
        return parse(text);
    } catch (const Error& error) {
        throw Error(std::string(field) + ": " + error.what());
    }
}

}  // namespace

ExportDialog::ExportDialog(const ExportSettings& settings, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Export"));
    auto* layout = new QVBoxLayout(this);
    // The settings scroll when the screen is too small for them (a large
    // scale factor); the problem and the buttons stay in sight below.
    auto* settingsPage = new QWidget;
    auto* settingsLayout = new QVBoxLayout(settingsPage);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    settingsLayout->addWidget(BuildOutputs());
    settingsLayout->addWidget(BuildTerrain());
    settingsLayout->addWidget(BuildRealScale());
    Scroll = new QScrollArea;
    Scroll->setWidget(settingsPage);
    Scroll->setWidgetResizable(true);
    Scroll->setFrameShape(QFrame::NoFrame);
    Scroll->setFocusPolicy(Qt::NoFocus);  // Tab goes through the settings, which it scrolls into sight
    Scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(Scroll, 1);
    Problem = new QLabel;
    Problem->setWordWrap(true);
    Problem->setStyleSheet(QStringLiteral("color: #b00000"));
    Problem->hide();
    layout->addWidget(Problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Defaults = buttons->addButton(QStringLiteral("&Defaults"), QDialogButtonBox::ResetRole);
    Defaults->setToolTip(QStringLiteral("Back to the classic output: a BMP texture and lm.bmp"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
    connect(Defaults, &QPushButton::clicked, this, [this] { Show(ExportSettings()); });
    layout->addWidget(buttons);
    Show(settings);
    FitOnScreen();
}

// The whole of the settings when the screen has room, else as much as fits,
// with a scroll bar beside them.
void ExportDialog::FitOnScreen() {
    const QWidget* settingsPage = Scroll->widget();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize whole = sizeHint() - Scroll->sizeHint() + settingsPage->sizeHint() + QSize(scrollBar, 0);
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    resize(whole.boundedTo(RoomFor(*screen).size()));
}

QWidget* ExportDialog::BuildOutputs() {
    auto* group = new QGroupBox(QStringLiteral("Outputs"));
    auto* form = new QFormLayout(group);
    Format = new QComboBox;
    Format->addItems({QStringLiteral("BMP"), QStringLiteral("PNG"), QStringLiteral("GeoTIFF")});
    Format->setToolTip(QStringLiteral("The texture and the lightmap as BMP, PNG or GeoTIFF; GeoTIFF keeps\n"
                                      "the heightmap's coordinate system and extent."));
    form->addRow(QStringLiteral("&Format:"), Format);
    Compression = new QComboBox;
    Compression->addItems({QStringLiteral("fast"), QStringLiteral("default"), QStringLiteral("best")});
    Compression->setToolTip(QStringLiteral("How hard every PNG is compressed; the pixels are the same."));
    form->addRow(QStringLiteral("PNG &compression:"), Compression);
    SplatMap = new QCheckBox(QStringLiteral("&Splat map"));
    SplatMapFile = new QLineEdit;
    SplatMap->setToolTip(QStringLiteral("Band weights as RGBA PNG (bands 256, 192, 128, 64) and a second\n"
                                        "file with _1 (band 0 in red)."));
    form->addRow(OutputRow(SplatMap, SplatMapFile));
    NormalMap = new QCheckBox(QStringLiteral("&Normal map"));
    NormalMapFile = new QLineEdit;
    NormalMap->setToolTip(QStringLiteral("The heightmap's normals as RGB PNG."));
    form->addRow(OutputRow(NormalMap, NormalMapFile));
    ShadowMap = new QCheckBox(QStringLiteral("S&hadow map"));
    ShadowMapFile = new QLineEdit;
    ShadowMap->setToolTip(QStringLiteral("The sun's visibility as grey picture; needs real-scale lighting."));
    form->addRow(OutputRow(ShadowMap, ShadowMapFile));
    WorldFile = new QCheckBox(QStringLiteral("&World file (.pgw) beside each PNG output"));
    WorldFile->setToolTip(QStringLiteral("Places each PNG output of a georeferenced heightmap for GIS tools;\n"
                                         "GeoTIFF holds its place itself."));
    form->addRow(WorldFile);
    return group;
}

QWidget* ExportDialog::BuildTerrain() {
    auto* group = new QGroupBox(QStringLiteral("Heights"));
    auto* form = new QFormLayout(group);
    HeightRange = new QLineEdit;
    HeightRange->setPlaceholderText(QStringLiteral("LOW:HIGH (empty: the data's own)"));
    HeightRange->setToolTip(QStringLiteral("Signed or floating-point heights LOW .. HIGH become 0 .. 255;\n"
                                           "for 8 and 16-bit samples, the heights of their lowest and highest value."));
    form->addRow(QStringLiteral("Height &range:"), HeightRange);
    Bands = new QLineEdit;
    Bands->setPlaceholderText(QStringLiteral("H256,H192,H128,H64,H0 (empty: from the data)"));
    Bands->setToolTip(QStringLiteral("Heights in the data's units where the five bands are centred, highest first."));
    form->addRow(QStringLiteral("&Bands:"), Bands);
    Resample = new QComboBox;
    Resample->addItems({QStringLiteral("Automatic (smooth with real-scale lighting)"), QStringLiteral("Classic"),
                        QStringLiteral("Smooth"), QStringLiteral("Spline (for enlarging ten times and more)")});
    Resample->setToolTip(QStringLiteral("How the heights reach the texture: classic stretches the heightmap; smooth\n"
                                        "interpolates (cubic) when enlarging and averages when shrinking; spline\n"
                                        "enlarges by the B-spline through the cells, with no cell lattice in the light."));
    form->addRow(QStringLiteral("Resam&pling:"), Resample);
    WaterLevel = new QLineEdit;
    WaterLevel->setPlaceholderText(QStringLiteral("H in the data's units (empty: no water)"));
    WaterLevel->setToolTip(QStringLiteral("Open water up to this height: the ground below is all water (band 0) and\n"
                                          "lies flat for the light. With real-scale lighting or smooth or spline resampling."));
    form->addRow(QStringLiteral("Wa&ter level:"), WaterLevel);
    return group;
}

QWidget* ExportDialog::BuildRealScale() {
    RealScale = new QGroupBox(QStringLiteral("Real-scale &lighting (the sun in degrees)"));
    RealScale->setCheckable(true);
    RealScale->setToolTip(QStringLiteral("Lights the terrain at its real scale instead of by the lighting page's\n"
                                         "scrollbars; the texture keeps the heightmap's aspect."));
    auto* form = new QFormLayout(RealScale);
    SunAzimuth = MakeNumber(kSunAzimuthLimits, 5, QStringLiteral("°"));
    SunAzimuth->setToolTip(QStringLiteral("Clockwise from north (the picture's top), as GIS tools count; the\n"
                                          "Lighting page's direction D is azimuth (450 - D) mod 360."));
    form->addRow(QStringLiteral("Sun azi&muth:"), SunAzimuth);
    SunElevation = MakeNumber(kSunElevationLimits, 1, QStringLiteral("°"));
    SunElevation->setToolTip(QStringLiteral("Degrees above the horizon, 0 to 90."));
    form->addRow(QStringLiteral("Sun &elevation:"), SunElevation);
    ZFactor = MakeNumber(kScaleLimits, 0.1, QString());
    ZFactor->setToolTip(QStringLiteral("Multiplies the heights; cells and heights are in the data's units\n"
                                       "(metres where the georeference says so)."));
    form->addRow(QStringLiteral("&Z-factor:"), ZFactor);
    Ambient = MakeNumber(kAmbientLimits, 0.05, QString());
    Ambient->setToolTip(QStringLiteral("The share of light from the sky, 0 to 1; level ground in shadow gets it."));
    form->addRow(QStringLiteral("&Ambient:"), Ambient);
    SunSize = MakeNumber(kSunSizeLimits, 0.1, QStringLiteral("°"));
    SunSize->setToolTip(QStringLiteral("The sun's diameter in degrees: wider suns give softer shadow edges."));
    form->addRow(QStringLiteral("Sun s&ize:"), SunSize);
    SkyLight = new QCheckBox(QStringLiteral("Sk&y light dimmed where the terrain hides the sky"));
    SkyLight->setToolTip(QStringLiteral("Takes away the sky the terrain around a point hides; slower."));
    form->addRow(SkyLight);
    return RealScale;
}

void ExportDialog::Show(const ExportSettings& settings) {
    Format->setCurrentIndex(static_cast<int>(settings.Format));
    Compression->setCurrentIndex(static_cast<int>(settings.Compression));
    const auto showOutput = [](QCheckBox* box, QLineEdit* file, const ExtraOutput& output) {
        box->setChecked(output.On);
        file->setText(QString::fromStdString(output.File));
        file->setEnabled(output.On);
    };
    showOutput(SplatMap, SplatMapFile, settings.SplatMap);
    showOutput(NormalMap, NormalMapFile, settings.NormalMap);
    showOutput(ShadowMap, ShadowMapFile, settings.ShadowMap);
    WorldFile->setChecked(settings.WorldFile);
    HeightRange->setText(settings.Range ? QString::fromStdString(HeightRangeText(*settings.Range)) : QString());
    Bands->setText(settings.Bands ? QString::fromStdString(BandHeightsText(*settings.Bands)) : QString());
    Resample->setCurrentIndex(static_cast<int>(std::find(std::begin(kResamplingChoices), std::end(kResamplingChoices),
                                                         settings.Resample) -
                                               std::begin(kResamplingChoices)));
    WaterLevel->setText(settings.WaterLevel ? QString::fromStdString(NumberText(*settings.WaterLevel)) : QString());
    RealScale->setChecked(settings.RealScale);
    SunAzimuth->setValue(settings.SunAzimuth);
    SunElevation->setValue(settings.SunElevation);
    ZFactor->setValue(settings.ZFactor);
    Ambient->setValue(settings.Ambient);
    SunSize->setValue(settings.SunSize);
    SkyLight->setChecked(settings.SkyLight);
    Problem->hide();
}

ExportSettings ExportDialog::Settings() const {
    ExportSettings settings;
    settings.Format = static_cast<ExportFormat>(Format->currentIndex());
    settings.Compression = static_cast<PngCompression>(Compression->currentIndex());
    settings.SplatMap = {SplatMap->isChecked(), TextOf(SplatMapFile)};
    settings.NormalMap = {NormalMap->isChecked(), TextOf(NormalMapFile)};
    settings.ShadowMap = {ShadowMap->isChecked(), TextOf(ShadowMapFile)};
    settings.WorldFile = WorldFile->isChecked();
    if (const std::string range = TextOf(HeightRange); !range.empty()) {
        settings.Range = ParseField("Height range", range, ParseHeightRange);
    }
    if (const std::string bands = TextOf(Bands); !bands.empty()) {
        settings.Bands = ParseBandHeights(bands, "Bands");
    }
    settings.Resample = kResamplingChoices[Resample->currentIndex()];
    if (const std::string water = TextOf(WaterLevel); !water.empty()) {
        settings.WaterLevel = NumberFromText(water);
        if (!settings.WaterLevel) throw Error("Water level wants a height in the data's units, not '" + DisplayPath(water) + "'");
    }
    settings.RealScale = RealScale->isChecked();
    settings.SunAzimuth = SunAzimuth->value();
    settings.SunElevation = SunElevation->value();
    settings.ZFactor = ZFactor->value();
    settings.Ambient = Ambient->value();
    settings.SunSize = SunSize->value();
    settings.SkyLight = SkyLight->isChecked();
    CheckExportSettings(settings);
    return settings;
}

void ExportDialog::accept() {
    try {
        Settings();
    } catch (const Error& error) {
        Problem->setText(QString::fromStdString(error.what()));
        Problem->show();
        return;
    }
    QDialog::accept();
}

}  // namespace orvalis
