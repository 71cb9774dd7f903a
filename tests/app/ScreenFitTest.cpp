// Runs twice: at the screen's own scale, and under QT_SCALE_FACTOR=2 on a
// real display, where the window must still lie on the screen whole.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include "FormFixture.h"
#include "app/ExportDialog.h"

namespace orvalis::test {
namespace {

class ScreenFitTest : public FormFixture {};

TEST_F(ScreenFitTest, WindowLiesOnTheScreenAndEveryTextShowsWhole) {
    const auto form = MakeSampleForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    EXPECT_EQ(form->devicePixelRatio(), scale);
    EXPECT_TRUE(form->screen()->availableGeometry().contains(form->frameGeometry()))
        << "window at " << form->frameGeometry().x() << "," << form->frameGeometry().y();

    // The longest status a generation shows, and every caption the window has.
    form->StaticText1->setText("terrain_tex65534.bmp saved (99999ms)");
    form->StaticText2->setText("4096^2");
    form->StaticText4->setText("Resolution : 256");
    form->StaticText3->setText("260100 Vertices / 999 fps");
    form->Label6->setText("4,000");
    form->Label7->setText("360°");
    for (const QLabel* label : form->findChildren<QLabel*>()) {
        if (label->wordWrap() || label->text().contains('\n')) continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(needed, label->contentsRect().width() - 2 * label->margin())
            << label->text().toStdString();
    }
    // Every status a run or a relight shows fits the status line.
    for (const char* status : {"Reading...", "Blending...", "Lighting...", "Writing...",
                               "Relit on screen only, not saved",
                               "Generation cancelled, nothing saved"}) {
        EXPECT_LE(form->StaticText1->fontMetrics().horizontalAdvance(status),
                  form->StaticText1->contentsRect().width())
            << status;
    }
    for (const QPushButton* button : form->findChildren<QPushButton*>()) {
        const int needed =
            button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() + 8;
        EXPECT_LE(needed, button->width()) << button->text().toStdString();
    }
    EXPECT_LE(form->UseLighting->sizeHint().width(), form->UseLighting->width());
}

// Export and the preview's own window open within the screen's free area,
// Export's buttons in sight however many settings it has.
TEST_F(ScreenFitTest, ExportAndThePreviewWindowOpenWithinTheScreen) {
    const auto form = MakeSampleForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QRect free = form->screen()->availableGeometry();
    ExportDialog dialog(NonDefaultExport(), form.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_TRUE(free.contains(dialog.frameGeometry())) << dialog.width() << " x " << dialog.height();
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        EXPECT_TRUE(free.contains(QRect(button->mapToGlobal(QPoint()), button->size()))) << button->text().toStdString();
    }
    dialog.close();
    if (!form->Panel1->HasGl()) return;
    Generate(*form);
    form->BigPreviewClick();
    ASSERT_TRUE(form->BigPreview);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->BigPreview.get()));
    EXPECT_TRUE(free.contains(form->BigPreview->frameGeometry())) << form->BigPreview->width();
}

}  // namespace
}  // namespace orvalis::test
