#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QWidget>

#include "app/AppState.h"
#include "app/BackgroundGeneration.h"
#include "app/ClickableLabel.h"
#include "app/ExportSettings.h"
#include "app/InputBlocker.h"
#include "app/PictureBox.h"
#include "app/RunProgress.h"
#include "app/UserDialogs.h"
#include "app/WindowOptions.h"
#include "preview/GlContext.h"
#include "preview/PreviewWindow.h"
#include "preview/Textures.h"
#include "generation/GenerateTexture.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTimer;

namespace orvalis {

class TRelight;
struct RelitTexture;
struct SetUpContents;

// The one main window: four pages (heightmap and tiles, lighting, preview,
// info) and the handlers behind their controls. Every handler runs through
// Run, which shows what it raises in the error box and ends it at that step.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The tab index of the Preview page.
    static constexpr int kPreviewPage = 2;
    // The status line before a Generate, and after the heightmap changes.
    static constexpr const char* kNothingGenerated = "No texture generated...";
    // Generate's caption, with its Alt key.
    static constexpr const char* kGenerateCaption = "&Generate";
    // Close the window, also during a run, which they cancel.
    static constexpr QKeyCombination kQuitKeys{Qt::CTRL | Qt::Key_Q};
    static constexpr QKeyCombination kExportKeys{Qt::CTRL | Qt::Key_E};
    static constexpr QKeyCombination kBigPreviewKeys{Qt::Key_F11};
    // Generate besides its Alt key.
    inline static const QList<QKeySequence> kGenerateKeys{QKeySequence(Qt::CTRL | Qt::Key_G),
                                                          QKeySequence(Qt::Key_F5)};
    // Ctrl+1 .. Ctrl+4 show the pages.
    static QKeySequence PageKeys(int page) { return QKeyCombination(Qt::CTRL, Qt::Key(Qt::Key_1 + page)); }

    // Generated textures and "lm.bmp" go to programFolder; the set-up file
    // of the options ("default.txt") is read from the current folder at start-up.
    TForm1(UserDialogs& dialogs, QString programFolder, WindowOptions options = {},
           QWidget* parent = nullptr);
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
    // Takes the whole set-up or, when a picture cannot be read, nothing.
    void LoadTextureInfo(const std::string& path);
    // Takes what can be read of the set-up and names what cannot.
    void StartFromSetUp(const std::string& path);
    // True from a Generate click until its run has finished, failed or
    // been cancelled.
    bool IsGenerating() const;

    // The Preview page: rebuilt when it becomes current, drawn frame after
    // frame while it is current and a texture may be shown.
    void TabSheet3Show();
    void ApplicationEvents1Idle();
    void Timer1Timer();
    void FPSTimerTimer();
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void StaticText4Click();
    void ReliefSwitchClick();

    // Export: the dialog of what Generate writes besides the texture.
    void ExportClick();
    const ExportSettings& Export() const { return export_; }
    // Takes settings that CheckExportSettings accepts and remembers them
    // for the next start.
    void TakeExportSettings(const ExportSettings& settings);
    // Opens the preview in its own window, with the texture the Preview page
    // would show.
    void BigPreviewClick();

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
    ClickableLabel* ReliefSwitch = nullptr;  // the relief's exaggeration
    // Takes the panel's place when the window system gives no OpenGL.
    QLabel* PreviewUnavailable = nullptr;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    ClickableLabel* Label4 = nullptr;  // the web address, a link

    QTimer* Timer1 = nullptr;    // turns the mesh every 20 ms, whatever page is shown
    QTimer* FPSTimer = nullptr;  // turns the frame count into the rate every second
    // Stands in for the application's idle event: a zero-interval timer that
    // runs only while frames are wanted, so the event loop gets its turn
    // between any two frames.
    QTimer* IdleTimer = nullptr;

    // Below the lighting group: Export and what Generate will write.
    QPushButton* ExportButton = nullptr;
    QLabel* ExportSummary = nullptr;
    // The first page's picture, small, beside the lighting controls.
    PictureBox* LiveView = nullptr;
    // In the window's context menu, with their keys.
    QAction* ExportAction = nullptr;
    QAction* BigPreviewAction = nullptr;
    // The same, opened on the preview's surface.
    QMenu* PreviewMenu = nullptr;
    // The preview in its own window; none until first opened.
    std::unique_ptr<TPreviewWindow> BigPreview;

    // Lights the last generated texture again while the lighting scrollbars move.
    TRelight* Relighter = nullptr;

protected:
    // Watches the wheel on the window and on the preview surface, which gets
    // its own events, and lets every wheel event go on to its control.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The preview draws only while the window can be seen.
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Closing cancels a run; it has removed its files before the window ends.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildHeightMapPage();
    void BuildLightingPage();
    void BuildPreviewPage();
    void BuildInfoPage();
    void BuildExportControls();
    void ShowExportSettings(const ExportSettings& settings);
    void DescribeExport();
    void ShowLightingControls();
    void RecallExport();
    void RedrawBigPreview();
    void RebuildMesh();
    void BuildTimers();
    void BuildKeyboard();
    void PlaceOnScreen();
    void ConnectHandlers();
    void ShowPreviewUnavailable();
    void WatchWheel();
    void PanelEvent(QEvent* event);
    void StartPreview();
    void PreviewPageChanged(int index);
    // True while the Preview page is current and may show the texture.
    bool DrawsFrames() const;
    void UpdateIdleLoop();
    // What a relight must find unchanged since the generation.
    QStringList RelightInputs() const;
    bool RelightsFromScrollbars() const;
    void LightingPageChanged(int index);
    void LightingMoved();
    void ShowRelit(const RelitTexture& texture);
    void ShowQuickRelit(const QImage& picture, const LightSettings& light);
    void ShowRelitStatus(const LightSettings& light);

    std::array<PictureBox*, kTileCount> TileBoxes() const;
    std::array<QLineEdit*, kTileCount> BandStartEdits() const;
    TDibBuffer& EnsureTile(int index);
    void LoadTileFromDialog(int index);
    // What choosing a file in a picture dialog (or dropping it on the box) does.
    void ChooseHeightmap(const QString& path);
    void ChooseTile(int index, const QString& path);
    void LoadTile(int index, const std::string& path);
    void ShowTile(int index);
    void ShowHeightmap(const QImage& picture);
    void ShowNothingGenerated();
    void TakeSetUp(SetUpContents& setUp);
    GenerationRequest RequestFromWindow() const;
    void CheckProgramFolder() const;
    void ShowProgress();
    void SayBlocked(const QKeySequence& keys);
    void MakeMnemonicGlobal(QAbstractButton* button, QWidget* page);
    void FinishGeneration(BackgroundGeneration::Outcome& outcome);
    std::string ProgramFile(const std::string& name) const;

    ExportSettings export_;
    UserDialogs& dialogs_;
    QString programFolder_;
    WindowOptions options_;
    AppState state_;
    TextureMessageSink previousTextureSink_;
    // While a generation runs; it reads the tile pictures in state_.
    std::unique_ptr<BackgroundGeneration> generation_;
    std::unique_ptr<InputBlocker> inputBlocker_;
    std::optional<RunProgress> progress_;  // while a generation runs
    // What became of a key pressed during a run, shown for the phase it came in.
    std::optional<std::pair<QString, RunProgress::Phase>> runNote_;
    QImage pictureBeforeRun_;  // shown again when the run does not complete
    QString statusBeforeRun_;  // shown again when the run fails
    // The light of the running generation and of the last saved texture;
    // none for an unlit one.
    std::optional<LightSettings> runLight_;
    std::optional<LightSettings> savedLight_;
    ExportSettings runExport_;  // of the running generation
    QString savedStatus_;  // what the status line said of the last saved texture
};

}  // namespace orvalis
