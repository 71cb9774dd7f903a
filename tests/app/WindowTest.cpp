#include <QAbstractSpinBox>
#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolTip>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>

#include "FormFixture.h"
#include "app/ExportDialog.h"

namespace orvalis::test {
namespace {

class WindowTest : public FormFixture {};

// Takes the addresses the window opens instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& url) { Opened.append(url); }
};

TEST_F(WindowTest, StartUpLoadsDefaultSetUp) {
    WriteSampleSetUp();
    std::vector<std::string> lines = kSampleLines;
    lines.insert(lines.end(), {"10", "20", "30", "40", "50"});
    WriteLines("default.txt", lines);
    const auto form = MakeForm();
    EXPECT_TRUE(dialogs.Errors.empty());
    const AppState& state = form->State();
    EXPECT_EQ(state.TextureSize, 256);
    EXPECT_EQ(state.PreviewResolution, 128);
    EXPECT_EQ(state.ZoomFactor, 1.0f);
    EXPECT_FALSE(state.PreviewEnabled);
    EXPECT_EQ(state.HeightmapFile, "hills.bmp");
    EXPECT_EQ(state.TileFiles[4], "tile4.bmp");
    EXPECT_EQ(state.TileBitmaps[2]->Width(), 8);
    EXPECT_EQ(form->StaticText2->text(), "256^2");
    EXPECT_EQ(form->H2Start->text(), "30");
    EXPECT_EQ(form->H2End->text(), "192");
    EXPECT_EQ(form->Image4->Shown().pixel(10, 10), qRgb(40, 160, 30));
    EXPECT_EQ(form->Image1->Shown().size(), QSize(256, 213));  // 24 x 20, in its proportions
}

TEST_F(WindowTest, StartUpWithoutDefaultFileGoesOnWithEmptyTiles) {
    const auto form = MakeForm();
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_TRUE(dialogs.Errors[0].contains("default.txt"));
    EXPECT_EQ(form->State().TextureSize, 256);
    for (const auto& tile : form->State().TileBitmaps) {
        ASSERT_NE(tile, nullptr);
        EXPECT_TRUE(tile->IsEmpty());
    }

    WriteSampleSetUp();
    dialogs.Answers = {QString::fromStdString(Root("tile3.bmp"))};
    emit form->Image5->Clicked();
    EXPECT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_EQ(form->State().TileFiles[3], Root("tile3.bmp"));
    EXPECT_EQ(form->Image5->Shown().pixel(0, 0), qRgb(220, 200, 120));
}

// A start whose set-up cannot be read whole shows what it could read, and
// every box says what it lacks; Generate names what is missing.
TEST_F(WindowTest, AFaultyStartShowsWhatLoadedAndNamesWhatIsMissing) {
    struct Case {
        const char* Name;
        std::vector<std::string> Lines;  // none: no "default.txt"
        std::vector<QString> ErrorParts;
        std::vector<QString> Placeholders;  // heightmap, then tiles 0 .. 4
        QString GenerateError;
    };
    const Case cases[] = {
        {"no set-up",
         {},
         {"default.txt: Datei nicht gefunden"},
         {"No heightmap", "No tile", "No tile", "No tile", "No tile", "No tile"},
         "No heightmap chosen: click the big picture to choose one"},
        {"missing pictures",
         {"tile0.bmp", "tile1.bmp", "rock.bmp", "tile3.bmp", "tile4.bmp", "gone.bmp"},
         {"default.txt: line 3: rock.bmp: Datei nicht gefunden",
          "default.txt: line 6: neither gone.bmp nor terrain.bmp exists"},
         {"Not loaded:\ngone.bmp", "", "", "Not loaded:\nrock.bmp", "", ""},
         "Heightmap gone.bmp doesn't exist!"},
        {"missing tile only",
         {"tile0.bmp", "tile1.bmp", "tile2.bmp", "tile3.bmp", "", "hills.bmp"},
         {"default.txt: line 5 is empty"},
         {"", "", "", "", "", "No tile"},
         "tile 5 (bottom box, band 0) has no picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteSampleSetUp();
        QFile::remove(QString::fromStdString(Root("default.txt")));
        if (!c.Lines.empty()) WriteLines("default.txt", c.Lines);
        const auto form = MakeForm();
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        for (const QString& part : c.ErrorParts) {
            EXPECT_TRUE(dialogs.Errors[0].contains(part)) << dialogs.Errors[0].toStdString();
        }
        const PictureBox* boxes[] = {form->Image1, form->Image2, form->Image3,
                                     form->Image4, form->Image5, form->Image6};
        for (int i = 0; i < 6; ++i) {
            if (c.Placeholders[i].isEmpty()) {
                EXPECT_FALSE(boxes[i]->Shown().isNull()) << "box " << i;
            } else {
                EXPECT_TRUE(boxes[i]->Shown().isNull()) << "box " << i;
                EXPECT_EQ(boxes[i]->Placeholder(), c.Placeholders[i]) << "box " << i;
            }
        }
        dialogs.Errors.clear();
        Generate(*form);
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        EXPECT_EQ(dialogs.Errors[0], c.GenerateError);
        dialogs.Errors.clear();
    }
}

// Every picture says what it is for, and so do the size label and the
// lighting scrollbars; the window has its icon, and the address is a link.
TEST_F(WindowTest, ControlsExplainThemselvesAndTheAddressIsALink) {
    const auto form = MakeSampleForm();
    const std::pair<QWidget*, std::vector<QString>> tips[] = {
        {form->Image1, {"Heightmap: hills.bmp", "choose the heightmap"}},
        {form->Image2, {"around 256", "tile0.bmp"}},
        {form->Image3, {"around 192", "tile1.bmp"}},
        {form->Image4, {"around 128", "tile2.bmp"}},
        {form->Image5, {"around 64", "tile3.bmp"}},
        {form->Image6, {"around 0", "tile4.bmp"}},
        {form->StaticText2, {"256^2 .. 4096^2"}},
        {form->SunPos, {"Height of the sun"}},
        {form->LightDir, {"Direction the light comes from"}},
    };
    for (const auto& [control, parts] : tips) {
        for (const QString& part : parts) {
            EXPECT_TRUE(control->toolTip().contains(part)) << control->toolTip().toStdString();
        }
    }
    dialogs.Answers = {QString::fromStdString(Root("tile3.bmp"))};
    emit form->Image2->Clicked();
    EXPECT_TRUE(form->Image2->toolTip().contains(QString::fromStdString(Root("tile3.bmp"))));

    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(form->windowIcon().availableSizes().size(), 6);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    emit form->Label4->Clicked();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.Opened, QList<QUrl>{QUrl("https://orvalis.example.org")});
    EXPECT_EQ(form->Label4->text(), "https://orvalis.example.org");
}

// Every control the keyboard reaches, the status line and the progress bar
// say what they are for, in the window and in Export; the 3D panel shows
// its tooltip and a menu that names F11 itself.
TEST_F(WindowTest, EveryControlExplainsItselfAndThePanelNamesF11) {
    const auto form = MakeSampleForm();
    ExportDialog dialog(ExportSettings(), form.get());
    QWidgetList controls = form->findChildren<QWidget*>() + dialog.findChildren<QWidget*>();
    // Qt's own parts of the tabs, spin boxes and OK and Cancel need no words of ours.
    const auto qtsOwn = [](const QWidget* w) {
        return qobject_cast<const QTabWidget*>(w) || qobject_cast<const QTabBar*>(w) || qobject_cast<QTabBar*>(w->parent()) ||
               qobject_cast<QAbstractSpinBox*>(w->parent()) || qobject_cast<QDialogButtonBox*>(w->parent());
    };
    controls.removeIf([&](const QWidget* w) { return !(w->focusPolicy() & Qt::TabFocus) || w->isHidden() || qtsOwn(w); });
    for (const QWidget* control : controls + QWidgetList{form->StaticText1, form->ProgressBar1}) {
        EXPECT_FALSE(control->toolTip().isEmpty()) << control->metaObject()->className();
    }

    form->show();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(form->Panel1, &enter);
    EXPECT_TRUE(QToolTip::text().contains("F11"));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->Panel1, &press);
    ASSERT_TRUE(form->PreviewMenu->isVisible());
    EXPECT_TRUE(form->PreviewMenu->actions().contains(form->BigPreviewAction));
    EXPECT_EQ(form->BigPreviewAction->shortcut(), QKeySequence(Qt::Key_F11));
    form->PreviewMenu->hide();
}

TEST_F(WindowTest, SizeLabelCyclesBackAfterFiveClicks) {
    const auto form = MakeSampleForm();
    const QStringList expected = {"512^2", "1024^2", "2048^2", "4096^2", "256^2"};
    for (const QString& caption : expected) {
        emit form->StaticText2->Clicked();
        EXPECT_EQ(form->StaticText2->text(), caption);
        EXPECT_EQ(QString::number(form->State().TextureSize) + "^2", caption);
    }
}

TEST_F(WindowTest, ScrollbarLabelsShowPositionsInTheUsersLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German));
    const auto form = MakeSampleForm();
    EXPECT_EQ(form->Label6->text(), "0,5");
    EXPECT_EQ(form->Label7->text(), "90°");
    const std::pair<int, const char*> sunTexts[] = {
        {0, "0,000"}, {5, "0,050"}, {50, "0,500"}, {123, "1,230"}, {400, "4,000"}};
    for (const auto& [position, text] : sunTexts) {
        form->SunPos->setValue(position);
        EXPECT_EQ(form->Label6->text(), text);
    }
    for (const int position : {0, 90, 360}) {
        form->LightDir->setValue(position);
        EXPECT_EQ(form->Label7->text(), QString::number(position) + "°");
    }
    QLocale::setDefault(previous);
}

}  // namespace
}  // namespace orvalis::test

#include "WindowTest.moc"
