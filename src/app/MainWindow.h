#pragma once

#include <array>
#include <functional>
#include <string>

#include <QString>
#include <QWidget>

#include "app/AppState.h"
#include "app/ClickableLabel.h"
#include "app/PictureBox.h"
#include "app/UserDialogs.h"
#include "preview/GlContext.h"
#include "preview/Textures.h"
#include "synth/GenerateTexture.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTimer;

namespace orvalis {

// The one main window: four pages (heightmap and tiles, lighting, preview,
// info) and the handlers behind their controls. Every handler runs through
// Run, which shows what it raises in the error box and ends it at that step.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The tab index of the Preview page.
    static constexpr int kPreviewPage = 2;

    // Generated textures and "lm.bmp" go to programFolder (the executable's
    // folder); "default.txt" is read from the current folder at start-up.
    TForm1(UserDialogs& dialogs, QString programFolder, QWidget* parent = nullptr);
    ~TForm1() override;

    AppState& State() { return state_; }
    const AppState& State() const { return state_; }

    void Run(const std::function<void()>& handler);

    // Start-up: the defaults, the preview's GL context and the texture-size
    // limit, then "default.txt".
    void FormCreate();
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Image4Click();
    void Image5Click();
    void Image6Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void StaticText2Click();
    void SunPosChange();
    void LightDirChange();
    void LoadTextureInfo(const std::string& path);

    // The Preview page: rebuilt when it becomes current, drawn frame after
    // frame while it is current and a texture may be shown.
    void TabSheet3Show();
    void ApplicationEvents1Idle();
    void Timer1Timer();
    void FPSTimerTimer();
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void StaticText4Click();

    QTabWidget* PageControl = nullptr;
    QWidget* TabSheet1 = nullptr;  // "HeightMap"
    QWidget* TabSheet4 = nullptr;  // "Lighting"
    QWidget* TabSheet3 = nullptr;  // "Preview"
    QWidget* TabSheet2 = nullptr;  // "Info"

    PictureBox* Image1 = nullptr;  // the heightmap, later the generated texture
    PictureBox* Image2 = nullptr;  // tiles 0 .. 4, top to bottom
    PictureBox* Image3 = nullptr;
    PictureBox* Image4 = nullptr;
    PictureBox* Image5 = nullptr;
    PictureBox* Image6 = nullptr;
    QPushButton* Button1 = nullptr;  // "Load"
    QPushButton* Button2 = nullptr;  // "Save"
    QPushButton* Button3 = nullptr;  // "Generate"
    QLabel* StaticText1 = nullptr;   // the status line
    ClickableLabel* StaticText2 = nullptr;  // the texture-size switch
    QProgressBar* ProgressBar1 = nullptr;

    // Hidden band fields. The Start texts travel with texture-info files; the
    // End texts are never touched. None of them affects generation.
    QLineEdit* H4Start = nullptr;
    QLineEdit* H3Start = nullptr;
    QLineEdit* H2Start = nullptr;
    QLineEdit* H1Start = nullptr;
    QLineEdit* H0start = nullptr;
    QLineEdit* H0end = nullptr;
    QLineEdit* H1End = nullptr;
    QLineEdit* H2End = nullptr;
    QLineEdit* H3End = nullptr;
    QLineEdit* H4End = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* UseLighting = nullptr;
    QScrollBar* SunPos = nullptr;
    QScrollBar* LightDir = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;  // sun position
    QLabel* Label7 = nullptr;  // light direction
    QLabel* Label8 = nullptr;

    QFrame* Bevel1 = nullptr;
    // The OpenGL surface, shown on the page through Panel1Container, which
    // owns it.
    TPreviewSurface* Panel1 = nullptr;
    QWidget* Panel1Container = nullptr;
    QLabel* StaticText3 = nullptr;
    QLabel* TexInfo = nullptr;  // the hardware-limit warning
    ClickableLabel* StaticText4 = nullptr;  // the mesh-resolution switch

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;

    QTimer* Timer1 = nullptr;    // turns the mesh every 20 ms, whatever page is shown
    QTimer* FPSTimer = nullptr;  // turns the frame count into the rate every second
    // Stands in for the application's idle event: a zero-interval timer that
    // runs only while frames are wanted, so the event loop gets its turn
    // between any two frames.
    QTimer* IdleTimer = nullptr;

protected:
    // Watches the wheel on the window and on the preview surface, which gets
    // its own events, and lets every wheel event go on to its control.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildHeightMapPage();
    void BuildLightingPage();
    void BuildPreviewPage();
    void BuildInfoPage();
    void BuildTimers();
    void ConnectHandlers();
    void WatchWheel();
    void StartPreview();
    void PreviewPageChanged(int index);
    // True while the Preview page is current and may show the texture.
    bool DrawsFrames() const;
    void UpdateIdleLoop();

    std::array<PictureBox*, kTileCount> TileBoxes() const;
    std::array<QLineEdit*, kTileCount> BandStartEdits() const;
    TDibBuffer& EnsureTile(int index);
    void LoadTileFromDialog(int index);
    // What choosing a file in a picture dialog (or dropping it on the box) does.
    void ChooseHeightmap(const QString& path);
    void ChooseTile(int index, const QString& path);
    void LoadTile(int index, const std::string& path);
    GenerateSettings SettingsFromWindow(const std::string& heightmapPath);
    std::string ChooseOutputFile() const;
    void AdvanceProgress(int rows);
    std::string ProgramFile(const std::string& name) const;

    UserDialogs& dialogs_;
    QString programFolder_;
    AppState state_;
    int blendRowsShown_ = 0;  // rows of the running blend on the progress bar
    TextureMessageSink previousTextureSink_;
};

}  // namespace orvalis
