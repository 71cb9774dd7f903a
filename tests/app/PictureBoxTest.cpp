#include <gtest/gtest.h>

#include <QImage>

#include "app/PictureBox.h"

namespace orvalis::test {
namespace {

// Black and white pixels in turn: picking every other one gives a single
// colour, averaging gives grey.
QImage Checkerboard(int edge) {
    QImage picture(edge, edge, QImage::Format_RGB32);
    for (int y = 0; y < edge; ++y) {
        for (int x = 0; x < edge; ++x) {
            picture.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    }
    return picture;
}

// A picture made smaller is averaged, so no moiré appears; one made larger
// keeps its pixels sharp.
TEST(PictureBoxTest, ShrinksSmoothlyAndEnlargesSharply) {
    for (const PictureBox::Fit fit : {PictureBox::Fit::Stretch, PictureBox::Fit::KeepAspect}) {
        SCOPED_TRACE(fit == PictureBox::Fit::Stretch ? "stretch" : "keep aspect");
        PictureBox box(fit, nullptr);
        box.resize(64, 64);
        box.SetPicture(Checkerboard(256));
        ASSERT_EQ(box.Shown().size(), QSize(64, 64));
        for (int y = 0; y < 64; y += 7) {
            for (int x = 0; x < 64; x += 5) {
                EXPECT_NEAR(qGray(box.Shown().pixel(x, y)), 128, 8) << x << "," << y;
            }
        }
        box.SetPicture(Checkerboard(4));
        EXPECT_EQ(box.Shown().pixel(15, 15), qRgb(0, 0, 0));
        EXPECT_EQ(box.Shown().pixel(16, 15), qRgb(255, 255, 255));
    }
}

}  // namespace
}  // namespace orvalis::test
