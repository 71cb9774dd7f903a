// The preview in its own window, opened from the main window by F11. CTest
// runs this on the offscreen platform, where there is no GL to draw with, and
// on xcb, where the window opens over the Preview page's context.
#include <QApplication>
#include <GL/gl.h>

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
    if (!form->Panel1->HasGl()) {
        ASSERT_EQ(dialogs.Errors.size(), 1u);
        EXPECT_EQ(dialogs.Errors[0], "Preview unavailable: no OpenGL");
        return;
    }
    // Before a Generate it says so, without an error.
    EXPECT_TRUE(dialogs.Errors.empty());
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].first, "Preview");
    EXPECT_TRUE(dialogs.Messages[0].second.startsWith("Nothing to preview yet"));
    EXPECT_FALSE(form->BigPreview);

    Generate(*form);
    PressF11(*form);
    EXPECT_TRUE(dialogs.Errors.empty());
    ASSERT_TRUE(form->BigPreview);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->BigPreview->FramesDrawn() > 0; }, 60000));
    // The page's mesh, built for the window though the page was never shown.
    EXPECT_FALSE(form->State().PreviewMesh.Vertices.empty());
    EXPECT_EQ(form->BigPreview->transientParent(), form->windowHandle());

    // A new texture shows in the open window at once: tiles of one colour
    // give a texture of that colour.
    std::vector<std::string> red;
    for (int i = 0; i < kTileCount; ++i) {
        red.push_back("red" + std::to_string(i) + ".bmp");
        WriteOneColour(Root(red.back()), 8, 8, MakeColour(200, 0, 0));
    }
    red.push_back("hills.bmp");
    WriteLines("red.txt", red);
    Load(*form, "red.txt");
    Generate(*form);
    std::vector<std::uint8_t> first(3 * form->State().TextureSize * form->State().TextureSize);
    glBindTexture(GL_TEXTURE_2D, form->State().PreviewMesh.TextureId);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, first.data());
    EXPECT_EQ(std::vector<std::uint8_t>(first.begin(), first.begin() + 3), (std::vector<std::uint8_t>{200, 0, 0}));
}

}  // namespace
}  // namespace orvalis::test
