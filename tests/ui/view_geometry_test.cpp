// Zoom steps, Best Fit, centre-keeping and the drawn rectangle, worked out by hand.
#include <gtest/gtest.h>

#include "ui/view_geometry.h"

namespace stillpix {
namespace {

struct FitCase {
    ViewSize image, client;
    int zoom;
};
class BestFit : public ::testing::TestWithParam<FitCase> {};
TEST_P(BestFit, HalvesUntilTheImageFitsFourThirdsOfTheClient) {
    EXPECT_EQ(BestFitZoom(GetParam().image, GetParam().client), GetParam().zoom);
}
INSTANTIATE_TEST_SUITE_P(HandWorked, BestFit,
                         ::testing::Values(FitCase{{4000, 3000}, {800, 600}, 25},  // 1000 < 1066
                                           FitCase{{900, 700}, {800, 600}, 100},   // 700 < 800
                                           FitCase{{1600, 1200}, {800, 600}, 50},  // 800 < 1066
                                           FitCase{{1066, 10}, {800, 600}, 50},    // not below
                                           FitCase{{20000, 20000}, {800, 600}, 25}));

TEST(ViewGeometry, ZoomStepsAndTheDefaultZoomOption) {
    for (int zoom : {25, 50, 100, 200, 400}) EXPECT_TRUE(IsZoomStep(zoom));
    for (int zoom : {0, 12, 150, 800}) EXPECT_FALSE(IsZoomStep(zoom));
    EXPECT_EQ(DefaultZoomRequest(200), 200);
    EXPECT_EQ(DefaultZoomRequest(150), kBestFit);  // a typed value that is no step
}

TEST(ViewGeometry, ZoomKeepsTheCentreAndWholePixels) {
    // Centre at 400 + 300 = 700 of 2000; doubled: 1400 - 300 = 1100.
    EXPECT_EQ(KeepCentre(400, 600, 2000, 4000), 1100);
    EXPECT_EQ(KeepCentre(1400, 600, 2000, 1000), 400);  // 1700 / 2 - 300 = 550, clamped to 400
    EXPECT_EQ(KeepCentre(0, 600, 2000, 1000), 0);       // 150 - 300 clamped to 0
    EXPECT_EQ(WholePixelScroll(301, 200), 300);
    EXPECT_EQ(WholePixelScroll(303, 400), 300);
    EXPECT_EQ(WholePixelScroll(301, 100), 301);
}

TEST(ViewGeometry, PlansOnlyTheVisiblePartAndCentresASmallImage) {
    // 4000 x 3000 at 50 % scrolled to (600, 400) in 800 x 600: image pixels from (1200, 800),
    // (805, 605) screen pixels make 1610 x 1210 image pixels.
    const DrawPlan part = PlanDrawing({4000, 3000}, {800, 600}, 50, 600, 400);
    EXPECT_EQ(std::tuple(part.image.left, part.image.top, part.image.right, part.image.bottom,
                         part.destWidth),
              std::tuple(1200, 800, 2810, 2010, 805));
    // Scrolled to the end: cut at the image's edge; 1201 rounded to 1200 is 600 image pixels.
    const DrawPlan end = PlanDrawing({1000, 1000}, {800, 600}, 200, 1201, 1400);
    EXPECT_EQ(std::tuple(end.image.left, end.image.right, end.destWidth),
              std::tuple(600, 1000, 800));
    // 300 x 200 at 100 % in 800 x 600: centred in the 805 x 605 screen rectangle.
    const DrawPlan small = PlanDrawing({300, 200}, {800, 600}, 100, 0, 0);
    EXPECT_EQ(std::tuple(small.destLeft, small.destTop, small.image.right, small.image.bottom),
              std::tuple(252, 202, 300, 200));
}

}  // namespace
}  // namespace stillpix
