// Builds the window's controls at their fixed places. Positions are relative
// to the page (its client area below the tab bar) or to the group box.
#include <algorithm>

#include <QCheckBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

#include "app/MainWindow.h"
#include "app/ScreenFit.h"

namespace orvalis {

namespace {

constexpr int kClientWidth = 338;
constexpr int kClientHeight = 366;
// Width of a page's client area; the info labels are centred across it.
constexpr int kPageWidth = 330;
// 8 points at 96 pixels per inch.
constexpr int kFontPixels = 11;

QFont WindowFont() {
    const QString preferred = QStringLiteral("MS Sans Serif");
    QFont font = QFontDatabase::hasFamily(preferred)
                     ? QFont(preferred)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(kFontPixels);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// A static text: a fixed-size label with a one-pixel frame, flat or raised.
template <typename Label>
Label* MakeStaticText(QWidget* parent, const QString& text, QRect geometry, bool raised) {
    auto* label = new Label(text, parent);
    label->setGeometry(geometry);
    label->setFrameStyle(raised ? QFrame::Panel | QFrame::Raised : QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    return label;
}

QLineEdit* MakeBandEdit(QWidget* page, const QString& text, int x, int y) {
    auto* edit = new QLineEdit(text, page);
    edit->setGeometry(x, y, 33, 15);
    edit->setFrame(false);
    edit->hide();
    return edit;
}

QScrollBar* MakeScrollBar(QWidget* parent, QRect geometry, int maximum, int position) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setGeometry(geometry);
    bar->setRange(0, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(position);
    // A scroll bar's keys run the other way by default (Right lowers the
    // value); these set values, so Right and Up raise them.
    bar->setInvertedControls(false);
    return bar;
}

template <typename Label = QLabel>
Label* MakeInfoLabel(QWidget* page, const QString& text, int y, int height, int fontPixels) {
    auto* label = new Label(text, page);
    QFont font = label->font();
    font.setBold(true);
    if (fontPixels > 0) font.setPixelSize(fontPixels);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(0, y, kPageWidth, height);
    return label;
}

// The pictures the desktop's menu entry shows, built into the program.
QIcon WindowIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/org.example.orvalis-%1.png").arg(size));
    }
    return icon;
}

}  // namespace

void TForm1::BuildControls() {
    setWindowTitle(QStringLiteral("Orvalis v1.5(a)"));
    setWindowIcon(WindowIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(WindowFont());
    PlaceOnScreen();

    PageControl = new QTabWidget(this);
    PageControl->setGeometry(0, 0, kClientWidth, kClientHeight);
    TabSheet1 = new QWidget;
    TabSheet4 = new QWidget;
    TabSheet3 = new QWidget;
    TabSheet2 = new QWidget;
    PageControl->addTab(TabSheet1, QStringLiteral("HeightMap"));
    PageControl->addTab(TabSheet4, QStringLiteral("Lighting"));
    PageControl->addTab(TabSheet3, QStringLiteral("Preview"));
    PageControl->addTab(TabSheet2, QStringLiteral("Info"));
    PageControl->setCurrentIndex(0);

    BuildHeightMapPage();
    BuildLightingPage();
    BuildPreviewPage();
    BuildInfoPage();
    BuildExportControls();
    BuildTimers();
}

void TForm1::BuildHeightMapPage() {
    QWidget* page = TabSheet1;
    // A texture lit at the real scale keeps the heightmap's proportions.
    Image1 = new PictureBox(PictureBox::Fit::KeepAspect, page);
    Image1->setGeometry(0, 0, 256, 256);
    std::array<PictureBox*, kTileCount> tiles{};
    for (int i = 0; i < kTileCount; ++i) {
        tiles[i] = new PictureBox(PictureBox::Fit::KeepAspect, page);
        tiles[i]->setGeometry(264, 68 * i, 64, 64);
    }
    Image2 = tiles[0];
    Image3 = tiles[1];
    Image4 = tiles[2];
    Image5 = tiles[3];
    Image6 = tiles[4];
    Image1->setCursor(Qt::PointingHandCursor);
    for (PictureBox* tile : tiles) tile->setCursor(Qt::PointingHandCursor);

    Button2 = new QPushButton(QStringLiteral("Save"), page);
    Button2->setGeometry(8, 264, 75, 25);
    Button1 = new QPushButton(QStringLiteral("Load"), page);
    Button1->setGeometry(88, 264, 75, 25);
    Button3 = new QPushButton(QStringLiteral("Generate"), page);
    Button3->setGeometry(176, 264, 75, 25);
    setTabOrder(Button3, Button1);
    setTabOrder(Button1, Button2);
    Button2->setToolTip(QStringLiteral("Saves the heightmap and tiles in a texture-info file, and the Export\n"
                                       "settings beside it (Alt+S, Ctrl+S)."));
    Button1->setToolTip(QStringLiteral("Loads a texture-info file: all of it, or nothing when a picture it names\n"
                                       "cannot be read (Alt+L, Ctrl+O)."));
    Button3->setToolTip(QStringLiteral("Makes the texture in the program folder (Alt+G, Ctrl+G, F5); while it\n"
                                       "runs this button cancels it, as Esc does."));

    // The status line takes the whole row under the buttons, so that a
    // result such as "terrain_tex12.bmp saved (20345ms)" shows whole; the
    // size switch moves beside the progress bar, which gives way to it.
    StaticText1 = MakeStaticText<QLabel>(page, QString::fromUtf8(kNothingGenerated),
                                         QRect(8, 296, 241, 17), false);
    const int sizeWidth =
        std::max(45, page->fontMetrics().horizontalAdvance(QStringLiteral("4096^2")) + 8);
    StaticText2 = MakeStaticText<ClickableLabel>(page, QStringLiteral("256^2"),
                                                 QRect(249 - sizeWidth, 316, sizeWidth, 18), true);
    StaticText2->setAlignment(Qt::AlignCenter);
    StaticText2->setCursor(Qt::PointingHandCursor);
    StaticText2->setToolTip(
        QStringLiteral("Size of the texture to generate: click to go through 256^2 .. 4096^2."));

    ProgressBar1 = new QProgressBar(page);
    ProgressBar1->setGeometry(8, 317, 249 - sizeWidth - 4 - 8, 16);
    ProgressBar1->setRange(0, 65535);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setToolTip(QStringLiteral("How far the running Generate is; its phase is in the line above."));
    StaticText1->setToolTip(QStringLiteral("What the last command did, or the phase of the running Generate."));

    H4Start = MakeBandEdit(page, QStringLiteral("256"), 264, 49);
    H3Start = MakeBandEdit(page, QStringLiteral("192"), 264, 117);
    H2Start = MakeBandEdit(page, QStringLiteral("128"), 264, 185);
    H1Start = MakeBandEdit(page, QStringLiteral("64"), 264, 253);
    H0start = MakeBandEdit(page, QStringLiteral("0"), 264, 323);
    H0end = MakeBandEdit(page, QStringLiteral("64"), 296, 323);
    H1End = MakeBandEdit(page, QStringLiteral("128"), 296, 253);
    H2End = MakeBandEdit(page, QStringLiteral("192"), 296, 185);
    H3End = MakeBandEdit(page, QStringLiteral("256"), 296, 117);
    H4End = MakeBandEdit(page, QStringLiteral("256"), 296, 49);
}

void TForm1::BuildLightingPage() {
    GroupBox1 = new QGroupBox(QStringLiteral("Lighting"), TabSheet4);
    // The positions below assume the frame's top line about 10 pixels above
    // the first row, as in the classic style; a style that draws the caption
    // above the line moves the contents down and the box grows with them.
    const int dy = std::max(0, GroupBox1->contentsRect().top() - 10);
    GroupBox1->setGeometry(0, 8, 329, 93 + dy);
    Label5 = MakeLabel(GroupBox1, QStringLiteral("Sunposition : "), 4, 17 + dy);
    Label8 = MakeLabel(GroupBox1, QStringLiteral("Lightdirection : "), 4, 41 + dy);
    Label6 = MakeLabel(GroupBox1, QStringLiteral("0,5"), 284, 18 + dy);
    Label7 = MakeLabel(GroupBox1, QStringLiteral("90°"), 284, 42 + dy);
    // Wide enough for every value the scrollbars report.
    Label6->setFixedWidth(40);
    Label7->setFixedWidth(40);
    // A font wider than the classic one would run the captions under the
    // scrollbars, so these start after the longer caption.
    const int barLeft =
        std::max({80, Label5->geometry().right() + 1, Label8->geometry().right() + 1});
    SunPos = MakeScrollBar(GroupBox1, QRect(barLeft, 16 + dy, 281 - barLeft, 16), 400, 50);
    LightDir = MakeScrollBar(GroupBox1, QRect(barLeft, 40 + dy, 281 - barLeft, 16), 360, 90);
    UseLighting = new QCheckBox(QStringLiteral("Use Lighting"), GroupBox1);
    UseLighting->setGeometry(80, 64 + dy, 97, 17);
    UseLighting->setChecked(true);
    UseLighting->setToolTip(QStringLiteral("Multiplies the texture with the lightmap of this sun and writes the\n"
                                           "lightmap too; real-scale lighting (Export) needs it on."));
}

void TForm1::BuildPreviewPage() {
    QWidget* page = TabSheet3;
    // Black inside, which is what shows when the preview has no GL.
    Bevel1 = new QFrame(page);
    Bevel1->setGeometry(7, 7, 323, 243);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setAutoFillBackground(true);
    QPalette black = Bevel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    Bevel1->setPalette(black);
    // The surface gets its context at start-up, before the page is ever shown.
    Panel1 = new TPreviewSurface;
    Panel1Container = QWidget::createWindowContainer(Panel1, page);
    Panel1Container->setObjectName(QStringLiteral("Panel1"));
    Panel1Container->setGeometry(8, 8, TPreviewSurface::kWidth, TPreviewSurface::kHeight);
    StaticText3 = MakeStaticText<QLabel>(page, QString(), QRect(8, 260, 321, 17), false);
    // Grows to the left when the font is too wide for its longest caption.
    const int switchWidth =
        std::max(89, page->fontMetrics().horizontalAdvance(QStringLiteral("Resolution : 256")) + 6);
    const int switchLeft = 329 - switchWidth;
    StaticText4 = MakeStaticText<ClickableLabel>(page, QStringLiteral("Resolution : 128"),
                                                 QRect(switchLeft, 280, switchWidth, 17), true);
    StaticText4->setCursor(Qt::PointingHandCursor);
    StaticText4->setToolTip(QStringLiteral("Detail of the mesh: click to go through 32 .. 256."));
    ReliefSwitch = MakeStaticText<ClickableLabel>(page, QStringLiteral("Relief : x1"),
                                                  QRect(switchLeft, 300, switchWidth, 17), true);
    ReliefSwitch->setCursor(Qt::PointingHandCursor);
    ReliefSwitch->setToolTip(QStringLiteral("Height of the relief: click to go through x1, x2, x5 and x10. At x1 a\n"
                                            "terrain lit at its real scale (Export) stands at its true height."));
    // The hardware-limit warning wraps onto a second line beside the switch.
    TexInfo = new QLabel(page);
    TexInfo->setGeometry(9, 282, switchLeft - 9 - 4, 28);
    TexInfo->setWordWrap(true);
    TexInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PreviewUnavailable = new QLabel(QStringLiteral("Preview unavailable: no OpenGL"), Bevel1);
    PreviewUnavailable->setGeometry(Bevel1->contentsRect());
    PreviewUnavailable->setAlignment(Qt::AlignCenter);
    QPalette white = PreviewUnavailable->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    PreviewUnavailable->setPalette(white);
    PreviewUnavailable->hide();
}

// Where the window was designed to first stand, moved as little as needed to
// lie within the screen's free area; at a large scale factor the window is
// larger than the design assumed.
void TForm1::PlaceOnScreen() {
    move(FitWithin(QRect(QPoint(209, 107), size()), screen()->availableGeometry()).topLeft());
}

void TForm1::BuildTimers() {
    Timer1 = new QTimer(this);
    Timer1->start(20);
    FPSTimer = new QTimer(this);
    FPSTimer->start(1000);
    IdleTimer = new QTimer(this);
    IdleTimer->setInterval(0);
}

void TForm1::BuildInfoPage() {
    QWidget* page = TabSheet2;
    Label1 = MakeInfoLabel(page, QStringLiteral("Orvalis v1.6"), 24, 22, 16);
    Label2 = MakeInfoLabel(page,
                           QStringLiteral("Terrain texture generator\n"
                                          "Height-band blending and lighting\n"
                                          "(c) 2026 the Orvalis developers"),
                           56, 48, 13);
    Label3 = MakeInfoLabel(page, QStringLiteral("For more info and newer Versions visit :"), 152,
                           16, 0);
    Label4 = MakeInfoLabel<ClickableLabel>(page, QStringLiteral("https://orvalis.example.org"), 176,
                                           16, 0);
    QPalette black = Label4->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label4->setPalette(black);
    // A link: underlined, and opened in the browser when clicked.
    QFont underlined = Label4->font();
    underlined.setUnderline(true);
    Label4->setFont(underlined);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setToolTip(QStringLiteral("Opens the address in your browser."));
    connect(Label4, &ClickableLabel::Clicked, this,
            [this] { QDesktopServices::openUrl(QUrl(Label4->text())); });
}

}  // namespace orvalis
