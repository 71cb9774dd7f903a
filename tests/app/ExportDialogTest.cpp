#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "FormFixture.h"
#include "app/ExportDialog.h"

namespace orvalis::test {
namespace {

class ExportDialogTest : public FormFixture {
protected:
    static void ShowActive(QWidget& window) {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

TEST_F(ExportDialogTest, ControlsShowAndGiveBackTheSettings) {
    for (const ExportSettings& settings : {ExportSettings(), NonDefaultExport()}) {
        ExportDialog dialog(settings);
        EXPECT_EQ(dialog.Settings(), settings);
    }
    ExportDialog dialog(NonDefaultExport());
    EXPECT_FALSE(dialog.SplatMapFile->isEnabled());
    EXPECT_TRUE(dialog.NormalMapFile->isEnabled());
    dialog.Defaults->click();
    EXPECT_EQ(dialog.Settings(), ExportSettings());
}

// OK keeps the dialog open and says what is wrong.
TEST_F(ExportDialogTest, OkRefusesSettingsThatCannotBeUsed) {
    struct Case {
        std::function<void(ExportDialog&)> Change;
        const char* Expected;
    };
    const Case cases[] = {
        {[](ExportDialog& d) { d.Bands->setText("1,2,3,4,5"); }, "Bands wants each height below the one before it"},
        {[](ExportDialog& d) { d.HeightRange->setText("10"); }, "Height range: "},
        {[](ExportDialog& d) { d.ShadowMap->setChecked(true); }, "The shadow map goes with real-scale lighting"},
        {[](ExportDialog& d) { d.WaterLevel->setText("0"); }, "The water level goes with real-scale lighting"},
        {[](ExportDialog& d) { d.WaterLevel->setText("sea"); }, "Water level wants a height"},
    };
    for (const Case& c : cases) {
        ExportDialog dialog{ExportSettings()};
        dialog.show();
        c.Change(dialog);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.Problem->isHidden());
        EXPECT_TRUE(dialog.Problem->text().startsWith(c.Expected)) << dialog.Problem->text().toStdString();
    }
    ExportDialog dialog{ExportSettings()};
    dialog.show();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// Every control has its Alt key, and Tab visits them all.
TEST_F(ExportDialogTest, TheKeyboardReachesEveryControl) {
    ExportDialog dialog(NonDefaultExport());
    ShowActive(dialog);
    const std::pair<Qt::Key, QWidget*> keys[] = {
        {Qt::Key_F, dialog.Format},       {Qt::Key_C, dialog.Compression},  {Qt::Key_S, dialog.SplatMap},
        {Qt::Key_N, dialog.NormalMap},    {Qt::Key_H, dialog.ShadowMap},    {Qt::Key_W, dialog.WorldFile},
        {Qt::Key_R, dialog.HeightRange},  {Qt::Key_B, dialog.Bands},        {Qt::Key_P, dialog.Resample},
        {Qt::Key_T, dialog.WaterLevel},
        {Qt::Key_M, dialog.SunAzimuth},   {Qt::Key_E, dialog.SunElevation}, {Qt::Key_Z, dialog.ZFactor},
        {Qt::Key_A, dialog.Ambient},      {Qt::Key_I, dialog.SunSize},      {Qt::Key_Y, dialog.SkyLight},
        {Qt::Key_L, dialog.RealScale},  // last: it switches the group's controls off
    };
    for (const auto& [key, control] : keys) {
        QTest::keyClick(&dialog, key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), control) << QKeySequence(key).toString().toStdString();
    }
    // The check boxes show themselves pressed for a moment before they toggle.
    const QCheckBox* boxes[] = {dialog.SplatMap, dialog.NormalMap, dialog.ShadowMap, dialog.WorldFile, dialog.SkyLight};
    const auto released = [&] {
        return std::none_of(std::begin(boxes), std::end(boxes), [](const QCheckBox* box) { return box->isDown(); });
    };
    EXPECT_TRUE(QTest::qWaitFor(released, 60000));
    EXPECT_FALSE(dialog.RealScale->isChecked());
    std::set<QWidget*> visited;
    dialog.RealScale->setChecked(true);
    dialog.SplatMap->setChecked(true);
    dialog.Format->setFocus();
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.insert(QApplication::focusWidget());
    }
    for (const auto& [key, control] : keys) EXPECT_TRUE(visited.count(control)) << control->objectName().toStdString();
    for (QWidget* control : {static_cast<QWidget*>(dialog.SplatMapFile), static_cast<QWidget*>(dialog.Defaults)}) {
        EXPECT_TRUE(visited.count(control));
    }
    // A button shows itself pressed for a moment before it acts.
    QTest::keyClick(&dialog, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.Format->currentIndex() == 0; }, 60000));
    EXPECT_EQ(dialog.Settings(), ExportSettings());
}

// Ctrl+E from any page, and Alt+E on the Lighting page, open the dialog.
TEST_F(ExportDialogTest, TheWindowOpensItByKeyboard) {
    const auto form = MakeSampleForm();
    ShowActive(*form);
    QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(dialogs.ExportShown.size(), 1u);
    form->PageControl->setCurrentIndex(1);
    dialogs.ExportAnswers = {NonDefaultExport()};
    QTest::keyClick(form.get(), Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs.ExportShown.size() == 2; }, 60000));
    EXPECT_EQ(form->Export(), NonDefaultExport());
    EXPECT_TRUE(dialogs.Errors.empty());
}

}  // namespace
}  // namespace orvalis::test
