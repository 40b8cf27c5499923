// Time plots: the band rule of the series, the ticks and labels of the axes, the scales
// and their guards, and the three panels as rendered.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "draw/plots.h"
#include "draw/render_support.h"

namespace {

using agv::Vec2;
using namespace agvtest;

constexpr Vec2 kOrigin{0.4, 0.0};

std::vector<Vec2> segmentsOf(const std::vector<double>& values, double scale) {
    std::vector<std::array<double, 2>> records;
    for (double v : values)
        records.push_back({v, 0.0});
    std::vector<Vec2> ends;
    agv::bandSegments(static_cast<int>(values.size()) - 1, kOrigin, 0.1, scale, records.data(), 0,
                      ends);
    return ends;
}

TEST(PlotSeries, SegmentsLeavingTheBandAreLeftOutWhole) {
    // Scale 1: values are window heights above the axis.
    const auto inside = segmentsOf({0.0, 0.1, -0.2, 0.29}, 1.0);
    ASSERT_EQ(inside.size(), 6u);
    EXPECT_DOUBLE_EQ(inside[0].x, 0.4);
    EXPECT_DOUBLE_EQ(inside[5].x, 0.4 + 3 * 0.1);
    EXPECT_DOUBLE_EQ(inside[5].y, 0.29);

    // Record 2 lies outside: both segments that meet there go, the curve comes back.
    const auto spike = segmentsOf({0.0, 0.1, 0.5, 0.1, 0.0}, 1.0);
    ASSERT_EQ(spike.size(), 4u);
    EXPECT_DOUBLE_EQ(spike[1].x, 0.4 + 0.1);
    EXPECT_DOUBLE_EQ(spike[2].x, 0.4 + 3 * 0.1);

    // Exactly on the band edge counts as outside; so does a value that is not a number.
    EXPECT_EQ(segmentsOf({0.0, 0.3, 0.0}, 1.0).size(), 0u);
    EXPECT_EQ(segmentsOf({0.0, -0.3, 0.0}, 1.0).size(), 0u);
    EXPECT_EQ(segmentsOf({0.0, std::nan(""), 0.0, 0.1}, 1.0).size(), 2u);
    // The scale decides: 0.05 m magnified by 5 × 1.5 leaves the band.
    EXPECT_EQ(segmentsOf({0.0, 0.05}, 7.5).size(), 0u);
    EXPECT_EQ(segmentsOf({0.0, 0.03}, 7.5).size(), 2u);
}

TEST(PlotAxes, TimeTicksEverySecondWithTheLabelAtTheLast) {
    const Vec2 o{0.4, 0.68};
    const auto a = agv::plotAxesLayout(o, 0.5, 9.99, 2.0, false);
    ASSERT_EQ(a.timeTickX.size(), 9u);
    EXPECT_DOUBLE_EQ(a.timeTickX[0], 0.4 + 0.5 / 9.99);
    EXPECT_EQ(a.timeLabel, "9s");
    EXPECT_DOUBLE_EQ(a.timeLabelAt.x, 0.4 + 9 * 0.5 / 9.99);
    EXPECT_DOUBLE_EQ(a.timeLabelAt.y, 0.68 - 0.03);

    const auto b = agv::plotAxesLayout(o, 0.5, 23.4, 2.0, false);
    EXPECT_EQ(b.timeTickX.size(), 23u);
    EXPECT_EQ(b.timeLabel, "23s");
    EXPECT_DOUBLE_EQ(b.timeLabelAt.x, 0.4 + 23 * 0.5 / 23.4 - 0.02);

    // Shorter than a second: no tick, "0s" at the end of the axis.
    for (double T : {0.7, 0.0}) {
        const auto c = agv::plotAxesLayout(o, 0.5, T, 2.0, false);
        EXPECT_TRUE(c.timeTickX.empty());
        EXPECT_EQ(c.timeLabel, "0s");
        EXPECT_DOUBLE_EQ(c.timeLabelAt.x, 0.9);
    }
    EXPECT_EQ(agv::timeLabelText(150), "150s");
    EXPECT_TRUE(agv::plotAxesLayout(o, 0.5, std::numeric_limits<double>::infinity(), 2.0, false)
                    .timeTickX.empty());
}

TEST(PlotAxes, ValueTicksEveryMetreAndTheirLabels) {
    const Vec2 o{0.4, 0.0};
    const auto a = agv::plotAxesLayout(o, 0.5, 5.0, 2.5, false);
    EXPECT_DOUBLE_EQ(a.q, 0.3 / 2.5);
    ASSERT_EQ(a.valueTickY.size(), 5u);  // −2 m .. 2 m
    EXPECT_DOUBLE_EQ(a.valueTickY.front(), -2 * a.q);
    EXPECT_EQ(a.upperLabel, "1");
    EXPECT_EQ(a.lowerLabel, "-1");
    EXPECT_DOUBLE_EQ(a.upperLabelAt.x, 0.4 - 0.03);
    EXPECT_DOUBLE_EQ(a.lowerLabelAt.y, -a.q - 0.015);

    const auto e = agv::plotAxesLayout({0.4, -0.68}, 0.5, 5.0, 2.5, true);
    EXPECT_EQ(e.upperLabel, "0.2");
    EXPECT_EQ(e.lowerLabel, "-0.2");
    EXPECT_DOUBLE_EQ(e.upperLabelAt.x, 0.4 - 0.065);
    EXPECT_DOUBLE_EQ(e.lowerLabelAt.x, 0.4 - 0.085);

    // A range of zero: one tick on the axis, no labels, nothing divided by zero.
    const auto z = agv::plotAxesLayout(o, 0.5, 5.0, 0.0, false);
    ASSERT_EQ(z.valueTickY.size(), 1u);
    EXPECT_DOUBLE_EQ(z.valueTickY[0], 0.0);
    EXPECT_TRUE(z.upperLabel.empty());
}

// A store of type 1 with R = 100 records over T = 2 s and plot range 1 m, every series
// a constant (window heights with s = 0.3 and s5 = 1.5 noted beside them).
std::unique_ptr<agv::AgvContext> syntheticPlots() {
    auto ctx = std::make_unique<agv::AgvContext>();
    agv::setViewDefaults(ctx->view);
    ctx->view.vehicleType = 1;
    agv::TrajectoryStore& st = *ctx->data.store;
    agv::reserveRecords(st, 0, 100);
    st.recordCount[0] = 100;
    st.endTime[0] = 2.0;
    ctx->view.plotRange[0].maxAbs = 1.0;
    for (int i = 0; i <= 100; ++i) {
        st.theoryTraj[0][i][agv::kPoseX] = 0.5;   // +0.15
        st.noFbcTraj[0][i][agv::kPoseX] = -0.5;   // −0.15
        st.fbcTraj[0][i][agv::kPoseX] = 0.8;      // +0.24
        st.noFbcDiff[0][i][agv::kPoseX] = -0.06;  // −0.09
        st.fbcDiff[0][i][agv::kPoseX] = 0.04;     // +0.06
        st.theoryTraj[0][i][agv::kPoseY] = -0.5;  // −0.15
        st.noFbcTraj[0][i][agv::kPoseY] = 0.6;    // +0.18
        st.fbcTraj[0][i][agv::kPoseY] = -0.8;     // −0.24
        st.noFbcDiff[0][i][agv::kPoseY] = 0.04;   // +0.06
        st.fbcDiff[0][i][agv::kPoseY] = -0.04;    // −0.06
        st.fbcErr[0][i] = {0.08, 0.03};           // dd +0.12, dth +0.045
        st.noFbcErr[0][i] = {-0.1, -0.02};        // dd −0.15, dth −0.03
    }
    // Records 58 to 62 of the controlled dd at +0.45, outside the band.
    for (int i = 58; i <= 62; ++i)
        st.fbcErr[0][i][0] = 0.3;
    return ctx;
}

TEST(RenderedPlots, PanelsShowTheirSeriesAxesAndMarks) {
    auto ctx = syntheticPlots();
    ctx->view.motionIndex = 50;
    const Picture pic = renderFrame(*ctx);
    const double dx = 0.5 / 100;
    const auto recordX = [&](double i) { return 0.4 + i * dx; };
    const double xY0 = 0.68, yY0 = 0.0, eY0 = -0.68;

    // x(t): blue, green and the thin red, each at its height; the magnified error.
    EXPECT_TRUE(pic.near(kBlue, recordX(30), xY0 - 0.15, 1));
    EXPECT_TRUE(pic.near(kGreen, recordX(30), xY0 + 0.24, 1));
    EXPECT_TRUE(pic.near(kRed, recordX(30), xY0 + 0.15, 1));
    EXPECT_TRUE(pic.near(kBlue, recordX(80), xY0 - 0.09, 1));
    // y(t): the red theory below its axis.
    EXPECT_TRUE(pic.near(kRed, recordX(70), yY0 - 0.15, 1));
    // dd: green inside the band; the segments into and out of records 58 to 62 are left
    // out, neither drawn up to the band edge nor beyond it; blue below.
    EXPECT_TRUE(pic.near(kGreen, recordX(20.5), eY0 + 0.12, 1));
    EXPECT_TRUE(pic.near(kGreen, recordX(56.5), eY0 + 0.12, 1));
    for (double i : {58.0, 60.0, 62.0}) {
        EXPECT_FALSE(pic.near(kGreen, recordX(i), eY0 + 0.12, 1)) << i;
        EXPECT_FALSE(pic.near(kGreen, recordX(i), eY0 + 0.28, 1)) << i;
    }
    EXPECT_TRUE(pic.near(kGreen, recordX(63.5), eY0 + 0.12, 1));
    EXPECT_TRUE(pic.near(kBlue, recordX(60.5), eY0 - 0.15, 1));

    for (double y0 : {xY0, yY0, eY0}) {
        // Time axis, value axis and right border in black.
        EXPECT_TRUE(pic.near(kBlack, 0.62, y0, 1));
        EXPECT_TRUE(pic.near(kBlack, 0.4, y0 - 0.25, 1));
        EXPECT_TRUE(pic.near(kBlack, 0.9, y0 - 0.25, 1));
        // The second tick (T = 2 s) ends the axis, the first stands in the middle.
        EXPECT_TRUE(pic.near(kBlack, 0.65, y0 + 0.015, 0));
        EXPECT_EQ(pic.at(0.6, y0 + 0.015), kWhite);
        // The time label "2s" just below the last tick.
        EXPECT_GT(pic.count(kBlack, 0.9, y0 - 0.03, 0.93, y0 - 0.005), 5);
    }
    // Position marks at record 50 on the x(t) panel, red end marks at both ends.
    EXPECT_EQ(pic.at(recordX(50), xY0 + 0.15), kBlack);
    EXPECT_EQ(pic.at(recordX(50), xY0 - 0.15), kBlack);
    EXPECT_EQ(pic.at(0.4 + 0.006, xY0 + 0.15), kRed);
    EXPECT_EQ(pic.at(0.9 - 0.006, xY0 + 0.15), kRed);
    // The dd/dth panel has no position marks.
    EXPECT_NE(pic.at(recordX(50), eY0 + 0.12), kBlack);
}

TEST(RenderedPlots, EmptyRunDrawsWithoutDividingByZero) {
    auto ctx = syntheticPlots();
    ctx->data.store->recordCount[0] = 0;
    ctx->data.store->endTime[0] = 0.0;
    ctx->view.plotRange[0].maxAbs = 0.0;
    const auto p = agv::plotScales(*ctx, 0);
    EXPECT_EQ(p.dx, 0.0);
    EXPECT_EQ(p.s, 0.0);
    EXPECT_EQ(p.s5, 0.0);
    const Picture pic = renderFrame(*ctx);
    // Red end marks and the black position marks sit on the axis at its left end.
    EXPECT_EQ(pic.at(0.4 + 0.008, 0.68), kRed);
    EXPECT_EQ(pic.at(0.4, 0.68 + 0.1), kBlack);
}

}  // namespace
