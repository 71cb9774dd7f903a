#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "FormFixture.h"
#include "app/Relight.h"

namespace orvalis::test {
namespace {

class RelightTest : public FormFixture {
protected:
    static void WaitForRelight(TForm1& form) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Relighter->IsBusy(); }, 20000));
    }

    static std::string PixelBytes(const TDibBuffer& picture) {
        return {reinterpret_cast<const char*>(picture.PixelData()), picture.PixelBytes()};
    }
};

// Moving the scrollbars away and back gives the bytes Generate saved for that
// light, on screen and for the preview, and no file is written meanwhile.
TEST_F(RelightTest, ScrollbarsRelightTheLastTextureInMemoryOnly) {
    const auto form = MakeSampleForm();
    emit form->StaticText2->Clicked();
    form->SunPos->setValue(120);
    form->LightDir->setValue(30);
    EXPECT_EQ(form->Relighter->Last(), nullptr);
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    const QStringList filesAfterGenerate = QDir(ProgramFolder()).entryList(QDir::Files);
    TDibBuffer saved;
    saved.ReadBmpFile(ProgramFile(form->State().OutputFile));
    form->PageControl->setCurrentIndex(1);  // gets the terrain ready, shows nothing yet
    WaitForRelight(*form);
    EXPECT_EQ(form->Relighter->Last(), nullptr);

    form->LightDir->setValue(200);  // several moves while one is worked on
    form->SunPos->setValue(300);
    form->SunPos->setValue(10);
    WaitForRelight(*form);
    ASSERT_NE(form->Relighter->Last(), nullptr);
    EXPECT_EQ(form->Relighter->Last()->Light.SunPos, 10);
    EXPECT_NE(PixelBytes(form->Relighter->Last()->Texture), PixelBytes(saved));

    form->LightDir->setValue(30);
    form->SunPos->setValue(120);
    WaitForRelight(*form);
    const RelitTexture& relit = *form->Relighter->Last();
    EXPECT_EQ(relit.Light.LightDir, 30);
    EXPECT_EQ(PixelBytes(relit.Texture), PixelBytes(saved));
    EXPECT_EQ(form->Image1->Shown(),
              relit.Picture.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    EXPECT_EQ(QDir(ProgramFolder()).entryList(QDir::Files), filesAfterGenerate);
}

// The status line says when the picture shown is a relight that is not saved.
TEST_F(RelightTest, StatusSaysWhetherThePictureShownIsSaved) {
    const auto form = MakeSampleForm();
    Generate(*form);
    const QString saved = form->StaticText1->text();
    ASSERT_TRUE(saved.startsWith("terrain_tex.bmp saved (")) << saved.toStdString();
    struct Case {
        int LightDir;
        QString Status;
    };
    const Case cases[] = {{200, "Relit on screen only, not saved"}, {90, saved}};
    for (const Case& c : cases) {
        form->LightDir->setValue(c.LightDir);
        WaitForRelight(*form);
        EXPECT_EQ(form->StaticText1->text(), c.Status);
    }
    form->UseLighting->setChecked(false);
    Generate(*form);
    form->UseLighting->setChecked(true);
    form->LightDir->setValue(100);  // lights the unlit texture: not what was saved
    WaitForRelight(*form);
    EXPECT_EQ(form->StaticText1->text(), "Relit on screen only, not saved");
}

TEST_F(RelightTest, NothingIsRelitOnceTheInputsChange) {
    const auto form = MakeSampleForm();
    Generate(*form);
    ASSERT_TRUE(dialogs.Errors.empty());
    emit form->StaticText2->Clicked();  // another size: the blend in memory no longer fits
    form->SunPos->setValue(200);
    EXPECT_FALSE(form->Relighter->IsBusy());
    EXPECT_EQ(form->Relighter->Last(), nullptr);
}

}  // namespace
}  // namespace orvalis::test
