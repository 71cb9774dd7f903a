#include <gtest/gtest.h>

#include "preview/PreviewControls.h"

namespace orvalis {
namespace {

TEST(PreviewControls, ATurnTakes1441TicksAndShows360Once) {
    float angle = 0.0f;
    for (int tick = 1; tick <= 1440; ++tick) {
        angle = NextRotationAngle(angle);
        ASSERT_EQ(angle, tick * 0.25f);
    }
    EXPECT_EQ(angle, 360.0f);
    EXPECT_EQ(NextRotationAngle(angle), 0.0f);
}

TEST(PreviewControls, ZoomStepsInFloatsAndStopsJustPastItsBounds) {
    float zoom = 1.0f;
    for (int step = 0; step < 18; ++step) zoom = ZoomedIn(zoom);
    EXPECT_EQ(zoom, 0.099999845f);
    EXPECT_LT(zoom, 0.1f);
    EXPECT_EQ(ZoomedIn(zoom), zoom);

    zoom = 1.0f;
    for (int step = 0; step < 20; ++step) zoom = ZoomedOut(zoom);
    EXPECT_LT(zoom, 2.0f) << "a float sum of twenty 0.05 steps stays just short of 2";
    zoom = ZoomedOut(zoom);
    EXPECT_EQ(zoom, 2.049999f);
    EXPECT_EQ(ZoomedOut(zoom), zoom);
}

TEST(PreviewControls, ResolutionCyclesFrom32To256InSteps) {
    const std::int32_t cycle[] = {160, 192, 224, 256, 32, 64, 96, 128};
    std::int32_t resolution = 128;
    for (const std::int32_t expected : cycle) {
        resolution = NextPreviewResolution(resolution);
        EXPECT_EQ(resolution, expected);
    }
}

TEST(PreviewControls, CaptionsPrintWholeNumbers) {
    EXPECT_EQ(PreviewStatusCaption(64516, 60.0f), "64516 Vertices / 60 fps");
    EXPECT_EQ(PreviewStatusCaption(0, 0.0f), "0 Vertices / 0 fps");
    EXPECT_EQ(PreviewStatusCaption(260100, 1234.0f), "260100 Vertices / 1234 fps");
    EXPECT_EQ(ResolutionCaption(160), "Resolution : 160");
}

}  // namespace
}  // namespace orvalis
