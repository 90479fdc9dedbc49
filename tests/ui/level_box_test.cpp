// The profile graph: its grid and points worked out by hand, and what it paints.
#include <gtest/gtest.h>

#include <QImage>

#include "tests/support/qt_application.h"
#include "ui/level_box.h"
#include "ui/profile_section.h"

namespace stillpix {
namespace {

struct GridCase {
    int height;
    std::vector<int> gridY, percent;
};

TEST(LevelBoxLayout, GridLinesLabelsAndPointsByHand) {
    // 30 pixels stay free at the bottom; the first count whose spacing beats the text height
    // (13) wins: 141 / 11 = 12 is too small, 141 / 6 = 23 is not.
    // clang-format off
    const GridCase cases[] = {
        {171, {23, 46, 69, 92, 115, 138}, {100, 80, 60, 40, 20, 0}},
        {250, {20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 220}, {100, 90, 80, 70, 60, 50, 40, 30, 20, 10, 0}},
        {110, {16, 32, 48, 64, 80}, {100, 75, 50, 25, 0}},  // 80 / 6 = 13 is not above 13
        {60, {15, 30}, {100, 0}}};
    // clang-format on
    for (const GridCase& c : cases) {
        const LevelBoxGeometry g = LayOutLevelBox({200, c.height}, 13, 30, 0, {});
        EXPECT_EQ(g.gridY, c.gridY) << c.height;
        EXPECT_EQ(g.gridPercent, c.percent) << c.height;
    }
    // Plot from x 35 (label 30 + 5); 11 points at steps of 165 / 12 = 13; y = 138 - v x 115 / 342.
    const LevelBoxGeometry g =
        LayOutLevelBox({200, 171}, 13, 30, 11, {{0, 342, 171, 100, 0, 0, 0, 0, 0, 0, 400}});
    EXPECT_EQ(g.plot, QRect(QPoint(35, 23), QPoint(199, 138)));
    ASSERT_EQ(g.gridX.size(), 11u);
    EXPECT_EQ(std::tuple(g.gridX.front(), g.gridX.back()), std::tuple(48, 178));
    ASSERT_EQ(g.curves.size(), 1u);
    // 171 x 115 / 342 = 57.5, truncated; 100 x 115 / 342 = 33.6; the last lies above the top
    // line: the level passes 100 %.
    const std::vector<QPoint>& c = g.curves[0];
    EXPECT_EQ((std::vector{c[0], c[1], c[2], c[3], c[10]}),
              (std::vector<QPoint>{{48, 138}, {61, 23}, {74, 81}, {87, 105}, {178, 4}}));
}

TEST(LevelBoxPaint, AProfileBandsCurvesInTheirColours) {
    test::QtApplication();
    NoiseProfile profile;
    ResetProfile(profile, false);
    for (int bin = 0; bin < kProfileBins; ++bin)
        for (int channel = 0; channel < 3; ++channel)
            profile.bands[2].levels[bin][channel] = static_cast<int16_t>(40 + 90 * channel + bin);
    CLevelBox graph;
    graph.resize(260, 200);
    const std::pair<bool, std::vector<QColor>> cases[] = {
        {false, {Qt::black, QColor(127, 0, 0), QColor(0, 0, 127)}}, {true, {Qt::black}}};
    for (const auto& [grey, colours] : cases) {
        ShowProfileBand(graph, profile, 2, grey);
        ASSERT_EQ(graph.Curves(), static_cast<int>(colours.size()));
        ASSERT_EQ(graph.Points(), 11);
        const LevelBoxGeometry g = graph.Geometry();
        EXPECT_EQ(g.gridX.size(), 11u);
        const QImage shot = graph.grab().toImage();
        for (int curve = 0; curve < graph.Curves(); ++curve) {
            EXPECT_EQ(graph.Colour(curve), colours[curve]);
            EXPECT_EQ(graph.Value(curve, 4), 40 + 90 * curve + 4);
            for (const QPoint& point : g.curves[curve])
                EXPECT_EQ(shot.pixelColor(point), colours[curve]) << curve;
        }
    }
}

}  // namespace
}  // namespace stillpix
