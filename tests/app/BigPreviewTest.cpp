// The preview in its own window, opened from the main window by F11. CTest
// runs this on the offscreen platform, where there is no GL to draw with, and
// on xcb, where the window opens over the Preview page's context.
#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QTest>

#include "FormFixture.h"

namespace orvalis::test {
namespace {

class BigPreviewTest : public FormFixture {
protected:
    // F11 on the window; without a window manager Xvfb may never make the
    // window active, and then its action, which F11 triggers, stands in.
    static void PressF11(TForm1& form) {
        if (QApplication::activeWindow() == &form) {
            QTest::keyClick(&form, Qt::Key_F11);
        } else {
            form.BigPreviewAction->trigger();
        }
    }
};

TEST_F(BigPreviewTest, F11OpensThePreviewInItsOwnWindowOnceThereIsATexture) {
    const auto form = MakeSampleForm();
    form->UseLighting->setChecked(false);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::qWaitForWindowActive(form.get(), 1000);
    PressF11(*form);
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    if (!form->Panel1->HasGl()) {
        EXPECT_EQ(dialogs.Errors[0], "Preview unavailable: no OpenGL");
        return;
    }
    EXPECT_EQ(dialogs.Errors[0], "No texture to preview yet: generate one first");
    EXPECT_FALSE(form->BigPreview);
    dialogs.Errors.clear();

    Generate(*form);
    PressF11(*form);
    EXPECT_TRUE(dialogs.Errors.empty());
    ASSERT_TRUE(form->BigPreview);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->BigPreview->FramesDrawn() > 0; }, 60000));
    // The page's mesh, built for the window though the page was never shown.
    EXPECT_FALSE(form->State().PreviewMesh.Vertices.empty());
    EXPECT_EQ(form->BigPreview->transientParent(), form->windowHandle());
}

}  // namespace
}  // namespace orvalis::test
