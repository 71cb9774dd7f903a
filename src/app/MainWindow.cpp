#include "app/MainWindow.h"

#include <exception>
#include <filesystem>
#include <utility>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

#include "app/DibImage.h"
#include "app/Relight.h"
#include "files/DisplayPath.h"
#include "io/PictureFile.h"

namespace orvalis {

TForm1::TForm1(UserDialogs& dialogs, QString programFolder, WindowOptions options,
               QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      options_(std::move(options)) {
    BuildControls();
    BuildKeyboard();
    Relighter = new TRelight(Image1->width(), this);
    ConnectHandlers();
    WatchWheel();
    previousTextureSink_ =
        SetTextureMessageSink([this](const std::string& caption, const std::string& text) {
            dialogs_.ShowMessage(this, QString::fromStdString(caption),
                                 QString::fromStdString(text));
        });
    Run([this] { FormCreate(); });
}

// A running generation stops and its worker is gone before the tiles it
// reads are.
TForm1::~TForm1() {
    generation_.reset();
    SetTextureMessageSink(std::move(previousTextureSink_));
}

void TForm1::Run(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        dialogs_.ShowError(this, QString::fromStdString(error.what()));
    }
}

void TForm1::ConnectHandlers() {
    const auto bind = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { Run([this, handler] { (this->*handler)(); }); });
    };
    bind(Image1, &PictureBox::Clicked, &TForm1::Image1Click);
    bind(Image2, &PictureBox::Clicked, &TForm1::Image2Click);
    bind(Image3, &PictureBox::Clicked, &TForm1::Image3Click);
    bind(Image4, &PictureBox::Clicked, &TForm1::Image4Click);
    bind(Image5, &PictureBox::Clicked, &TForm1::Image5Click);
    bind(Image6, &PictureBox::Clicked, &TForm1::Image6Click);
    // A picture file dropped on a box counts as chosen in its dialog.
    connect(Image1, &PictureBox::FileDropped, this,
            [this](const QString& path) { Run([&] { ChooseHeightmap(path); }); });
    for (int i = 0; i < kTileCount; ++i) {
        connect(TileBoxes()[i], &PictureBox::FileDropped, this,
                [this, i](const QString& path) { Run([&] { ChooseTile(i, path); }); });
    }
    bind(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    bind(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    bind(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    bind(StaticText2, &ClickableLabel::Clicked, &TForm1::StaticText2Click);
    bind(SunPos, &QScrollBar::valueChanged, &TForm1::SunPosChange);
    bind(LightDir, &QScrollBar::valueChanged, &TForm1::LightDirChange);
    bind(StaticText4, &ClickableLabel::Clicked, &TForm1::StaticText4Click);
    bind(ReliefSwitch, &ClickableLabel::Clicked, &TForm1::ReliefSwitchClick);
    bind(ExportButton, &QPushButton::clicked, &TForm1::ExportClick);
    bind(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
    bind(FPSTimer, &QTimer::timeout, &TForm1::FPSTimerTimer);
    bind(IdleTimer, &QTimer::timeout, &TForm1::ApplicationEvents1Idle);
    connect(PageControl, &QTabWidget::currentChanged, this, &TForm1::PreviewPageChanged);
    connect(PageControl, &QTabWidget::currentChanged, this, &TForm1::LightingPageChanged);
    connect(SunPos, &QScrollBar::valueChanged, this, &TForm1::LightingMoved);
    connect(LightDir, &QScrollBar::valueChanged, this, &TForm1::LightingMoved);
    connect(UseLighting, &QCheckBox::toggled, this, &TForm1::DescribeExport);
    connect(Relighter, &TRelight::Relit, this, &TForm1::ShowRelit);
    connect(Relighter, &TRelight::QuickRelit, this, &TForm1::ShowQuickRelit);
    Panel1->ExposureChanged = [this] { UpdateIdleLoop(); };
}

void TForm1::FormCreate() {
    state_.TextureSize = 256;
    state_.PreviewResolution = 128;
    state_.ZoomFactor = 1.0f;
    // The tile pictures exist from the start, so that the tile handlers and
    // Generate work on empty pictures when "default.txt" cannot be read.
    for (int i = 0; i < kTileCount; ++i) EnsureTile(i);
    // Without GL the page says there is no preview, but the window still
    // starts with the user's set-up.
    Run([this] { StartPreview(); });
    if (!Panel1->HasGl()) ShowPreviewUnavailable();
    for (int i = 0; i < kTileCount; ++i) ShowTile(i);
    ShowHeightmap(QImage());
    Run([this] { RecallExport(); });
    StartFromSetUp(options_.SetUpFile);
}

void TForm1::Image1Click() {
    const std::optional<QString> path = dialogs_.OpenPicture(this);
    if (path) ChooseHeightmap(*path);
}

// Read before it is taken: a file that cannot be read leaves the choice as
// it was, so that Save writes what the screen shows.
void TForm1::ChooseHeightmap(const QString& path) {
    const QImage picture = ReadPicture(std::filesystem::absolute(path.toStdString()).string());
    state_.SetHeightmapFile(path.toStdString());
    ShowHeightmap(picture);
    ShowNothingGenerated();
}

// The picture box shows the heightmap again, not the last texture.
void TForm1::ShowNothingGenerated() { StaticText1->setText(QString::fromUtf8(kNothingGenerated)); }

// The box says which heightmap it is for, and why it is empty when it is.
void TForm1::ShowHeightmap(const QImage& picture) {
    const QString name = QString::fromStdString(DisplayPath(state_.HeightmapFile));
    Image1->SetPlaceholder(name.isEmpty() ? QStringLiteral("No heightmap")
                                          : QStringLiteral("Not loaded:\n") + name);
    Image1->SetPicture(picture);
    Image1->setToolTip(
        (name.isEmpty() ? QStringLiteral("No heightmap chosen")
                        : QStringLiteral("Heightmap: ") + name) +
        QStringLiteral("\nClick or drop a picture here to choose the heightmap."));
}

void TForm1::Image2Click() { LoadTileFromDialog(0); }
void TForm1::Image3Click() { LoadTileFromDialog(1); }
void TForm1::Image4Click() { LoadTileFromDialog(2); }
void TForm1::Image5Click() { LoadTileFromDialog(3); }
void TForm1::Image6Click() { LoadTileFromDialog(4); }

void TForm1::LoadTileFromDialog(int index) {
    const std::optional<QString> path = dialogs_.OpenPicture(this);
    if (path) ChooseTile(index, *path);
}

void TForm1::ChooseTile(int index, const QString& path) {
    LoadTile(index, path.toStdString());
    state_.TileFiles[index] = path.toStdString();
    ShowTile(index);
}

// The box says which band its tile is for, and why it is empty when it is.
void TForm1::ShowTile(int index) {
    PictureBox* box = TileBoxes()[index];
    const QString name = QString::fromStdString(DisplayPath(state_.TileFiles[index]));
    box->SetPlaceholder(name.isEmpty() ? QStringLiteral("No tile")
                                       : QStringLiteral("Not loaded:\n") + name);
    box->SetPicture(DibToImage(*state_.TileBitmaps[index]));
    box->setToolTip(QStringLiteral("Tile for heights around %1: %2\n"
                                   "Click or drop a picture here to choose another.")
                        .arg(static_cast<int>(BandCentres[index]))
                        .arg(name.isEmpty() ? QStringLiteral("none") : name));
}

// A tile that cannot be read keeps its previous picture, and its file.
void TForm1::LoadTile(int index, const std::string& path) {
    TDibBuffer& tile = EnsureTile(index);
    tile = ReadPictureFile(path).Pixels;
}

TDibBuffer& TForm1::EnsureTile(int index) {
    auto& tile = state_.TileBitmaps[index];
    if (!tile) tile = std::make_unique<TDibBuffer>();
    return *tile;
}

void TForm1::StaticText2Click() {
    state_.TextureSize = state_.TextureSize >= 4096 ? 256 : state_.TextureSize * 2;
    StaticText2->setText(QString::number(state_.TextureSize) + QStringLiteral("^2"));
}

void TForm1::SunPosChange() {
    Label6->setText(QLocale().toString(SunPos->value() / 100.0, 'f', 3));
}

void TForm1::LightDirChange() {
    Label7->setText(QString::number(LightDir->value()) + QStringLiteral("°"));
}

std::array<PictureBox*, kTileCount> TForm1::TileBoxes() const {
    return {Image2, Image3, Image4, Image5, Image6};
}

// In file order: tile 0's band first.
std::array<QLineEdit*, kTileCount> TForm1::BandStartEdits() const {
    return {H4Start, H3Start, H2Start, H1Start, H0start};
}

}  // namespace orvalis
