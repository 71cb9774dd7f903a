#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "FormFixture.h"

namespace orvalis::test {
namespace {

class KeyboardTest : public FormFixture {
protected:
    std::unique_ptr<TForm1> ShowSampleForm() {
        auto form = MakeSampleForm();
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    // The controls Tab visits on the current page, from the tab bar on.
    static std::vector<QWidget*> TabStops(TForm1& form) {
        std::vector<QWidget*> stops;
        form.PageControl->tabBar()->setFocus();
        QWidget* start = QApplication::focusWidget();
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() == start) break;
            stops.push_back(QApplication::focusWidget());
        }
        return stops;
    }
};

TEST_F(KeyboardTest, TabReachesEveryControlOfEachPage) {
    const auto form = ShowSampleForm();
    const std::vector<std::pair<int, std::vector<QWidget*>>> pages = {
        {0, {form->Button3, form->Button1, form->Button2, form->StaticText2, form->Image1,
             form->Image2, form->Image3, form->Image4, form->Image5, form->Image6}},
        {1, {form->SunPos, form->LightDir, form->UseLighting, form->ExportButton}},
        {2, {form->StaticText4, form->ReliefSwitch}},
    };
    for (const auto& [page, expected] : pages) {
        form->PageControl->setCurrentIndex(page);
        EXPECT_EQ(TabStops(*form), expected) << "page " << page;
    }
}

TEST_F(KeyboardTest, SpaceAndReturnActLikeClicksAndShortcutsSwitchPages) {
    const auto form = ShowSampleForm();
    form->StaticText2->setFocus();
    QTest::keyClick(form->StaticText2, Qt::Key_Space);
    QTest::keyClick(form->StaticText2, Qt::Key_Return);
    EXPECT_EQ(form->StaticText2->text(), "1024^2");

    dialogs.Answers = {QString::fromStdString(Root("tile3.bmp"))};
    form->Image2->setFocus();
    QTest::keyClick(form->Image2, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(form->State().TileFiles[0], Root("tile3.bmp"));

    for (const int page : {3, 1, 2, 0}) {
        QTest::keyClick(form.get(), Qt::Key(Qt::Key_1 + page), Qt::ControlModifier);
        EXPECT_EQ(form->PageControl->currentIndex(), page);
    }
    QTest::keyClick(form.get(), Qt::Key_F5);
    WaitForGeneration(*form);
    EXPECT_TRUE(form->StaticText1->text().startsWith("terrain_tex.bmp saved ("));
    EXPECT_TRUE(dialogs.Errors.empty());
    QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

// Right and Up raise a lighting value, Left and Down lower it, and the label
// keeps its unit.
TEST_F(KeyboardTest, ArrowKeysMoveTheLightingScrollbarsTheirWay) {
    const auto form = ShowSampleForm();
    form->PageControl->setCurrentIndex(1);
    EXPECT_EQ(form->Label7->text(), "90°");
    struct Case {
        QScrollBar* TForm1::*Bar;
        Qt::Key Key;
        int Change;
    };
    const Case cases[] = {{&TForm1::SunPos, Qt::Key_Right, 1}, {&TForm1::SunPos, Qt::Key_Left, -1},
                          {&TForm1::LightDir, Qt::Key_Right, 1}, {&TForm1::LightDir, Qt::Key_Left, -1},
                          {&TForm1::LightDir, Qt::Key_Up, 1}, {&TForm1::LightDir, Qt::Key_Down, -1}};
    for (const Case& c : cases) {
        QScrollBar* bar = (*form).*c.Bar;
        SCOPED_TRACE(bar == form->SunPos ? "SunPos" : "LightDir");
        SCOPED_TRACE(QKeySequence(c.Key).toString().toStdString());
        bar->setFocus();
        const int before = bar->value();
        QTest::keyClick(bar, c.Key);
        EXPECT_EQ(bar->value(), before + c.Change);
    }
    form->LightDir->setFocus();
    QTest::keyClick(form->LightDir, Qt::Key_Right);
    EXPECT_EQ(form->Label7->text(), "91°");
}

// The Alt keys of Save, Load, Generate and Export work on every page.
TEST_F(KeyboardTest, TheButtonsAltKeysWorkOnEveryPage) {
    const auto form = ShowSampleForm();
    form->UseLighting->setChecked(false);
    for (int page = 0; page < form->PageControl->count(); ++page) {
        form->PageControl->setCurrentIndex(page);
        for (QPushButton* button : {form->Button2, form->Button1, form->Button3, form->ExportButton}) {
            SCOPED_TRACE("page " + std::to_string(page) + ", " + button->text().toStdString());
            QSignalSpy clicked(button, &QPushButton::clicked);
            QTest::keySequence(form.get(), QKeySequence::mnemonic(button->text()));
            EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.count() == 1; }, 60000));
            WaitForGeneration(*form);
        }
    }
    EXPECT_TRUE(dialogs.Errors.empty());
}

// Generate keeps its Alt key through a run.
TEST_F(KeyboardTest, AltGGeneratesAgainAfterARun) {
    const auto form = ShowSampleForm();
    form->UseLighting->setChecked(false);
    for (const char* expected : {"terrain_tex.bmp", "terrain_tex0.bmp"}) {
        // The button shows itself pressed for a moment before it acts.
        QTest::keyClick(form.get(), Qt::Key_G, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form->State().OutputFile == expected; }, 60000));
        EXPECT_EQ(form->Button3->text(), "&Generate");
    }
    EXPECT_TRUE(dialogs.Errors.empty());
}

// During a run the page keys still show a page, every other key says in the
// status line what became of it, and the quit keys close the window,
// cancelling the run as the close box does.
TEST_F(KeyboardTest, KeysDuringARunSwitchPagesSayWhatTheyDidOrQuit) {
    const auto form = ShowSampleForm();
    for (int i = 0; i < 4; ++i) emit form->StaticText2->Clicked();  // 4096
    form->PageControl->setCurrentIndex(1);
    form->Button3->click();
    ASSERT_TRUE(form->IsGenerating());
    struct Case {
        QKeyCombination Keys;
        int Page;
        const char* Status;  // empty: the run's phase
    };
    const Case cases[] = {
        {Qt::CTRL | Qt::Key_1, 0, ""},
        {Qt::ALT | Qt::Key_G, 0, "Alt+G: already generating; Esc cancels"},
        {Qt::CTRL | Qt::Key_S, 0, "Ctrl+S: not during a run; Esc cancels it"},
        {Qt::CTRL | Qt::Key_3, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.Keys).toString().toStdString());
        form->StaticText1->clear();
        QTest::keyClick(form.get(), c.Keys.key(), c.Keys.keyboardModifiers());
        EXPECT_EQ(form->PageControl->currentIndex(), c.Page);
        if (*c.Status) EXPECT_EQ(form->StaticText1->text(), c.Status);
        EXPECT_TRUE(form->IsGenerating());
    }
    QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
    WaitForGeneration(*form);
    EXPECT_EQ(form->StaticText1->text(), "Generation cancelled, nothing saved");
    EXPECT_TRUE(QDir(ProgramFolder()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(dialogs.Errors.empty());
}

}  // namespace
}  // namespace orvalis::test
