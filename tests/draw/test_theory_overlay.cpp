// The theory overlay of the dd/dth panel: its dashes, its caption, and the picture with it
// off (as before) and on (the dashed line where the prediction puts it).
#include "draw/theory_overlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "draw/plots.h"
#include "draw/render_support.h"

namespace {

using agv::Vec2;
using namespace agvtest;

TEST(TheoryOverlay, DashesAlternateAlongTheTimeAxisAndStayInTheBand) {
    // A straight rise over 0.1 of the axis: dashes of 0.01 every 0.02.
    const auto ends = agv::dashedSegments({{0.4, 0.0}, {0.5, 0.1}}, 0.4, 0.0, 0.02);
    ASSERT_EQ(ends.size(), 10u);
    for (size_t i = 0; i < ends.size(); i += 2) {
        EXPECT_NEAR(ends[i].x, 0.4 + 0.01 * static_cast<double>(i), 1e-12);
        EXPECT_NEAR(ends[i + 1].x - ends[i].x, 0.01, 1e-12);
        EXPECT_NEAR(ends[i].y, ends[i].x - 0.4, 1e-12);  // on the line
    }
    // Pieces beyond the band of the series are left out.
    EXPECT_TRUE(agv::dashedSegments({{0.4, 0.35}, {0.5, 0.35}}, 0.4, 0.0, 0.02).empty());
}

TEST(TheoryOverlay, CaptionShowsTheLateralPolesAndTheSettlingTime) {
    agv::TypeTheory t;
    t.lateralPoles = {agv::Pole(-1.885, 5.994), agv::Pole(-1.885, -5.994), agv::Pole(-6.2832)};
    t.maxPoleReal = -0.32;
    t.figures.settlingTime = 1.8149;
    const auto lines = agv::theoryCaption(t);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "theory: poles -1.89+-5.99i -6.28 1/s");
    EXPECT_EQ(lines[1], "Ts 1.81 s");
    t.maxPoleReal = 3.14;
    t.stability = agv::Stability::kRightHalfPlane;
    EXPECT_EQ(agv::theoryCaption(t)[1], "unstable: pole in the right half-plane");
    t.stability = agv::Stability::kIntegrationStep;
    t.step = 0.004;
    t.stepLimitFn = 4.1998;
    EXPECT_EQ(agv::theoryCaption(t)[1], "unstable at the 4 ms step: fn above 4.20 Hz");
}

/// A 10° drift on a straight path of 6 m, with fn = 0.2 Hz so that dd stands well off the
/// axis of the plot.
std::unique_ptr<agv::AgvContext> driftRun() {
    auto ctx = std::make_unique<agv::AgvContext>();
    std::ostringstream discard;
    ctx->out = &discard;
    agv::initialiseRun(*ctx);
    agv::Scenario scenario;
    scenario.errors = agv::onlyError(agv::MechanismError::kSteerDrift, 10.0);
    scenario.curveNumber = 1;
    const double straight[] = {0.0, 2.0, 3.0};
    agv::setCurveConstants(scenario, 1, straight, agv::kMaxCurveConstants);
    scenario.fn = 0.2;
    EXPECT_TRUE(agv::useScenario(*ctx, scenario).accepted());
    EXPECT_TRUE(agv::computeTrajectories(*ctx).done());
    ctx->out = &std::cout;
    ctx->view.vehicleType = 2;
    return ctx;
}

TEST(TheoryOverlay, OffLeavesThePictureOnDrawsTheDashedPrediction) {
    auto ctx = driftRun();
    const Picture before = renderFrame(*ctx);
    agv::applyWindowKey(*ctx, 't');
    const Picture on = renderFrame(*ctx);
    agv::applyWindowKey(*ctx, 't');
    EXPECT_EQ(renderFrame(*ctx).hash(), before.hash());
    EXPECT_NE(on.hash(), before.hash());

    // The prediction at the middle of the first dash of every 0.1 of the time axis.
    const agv::PlotScales p = agv::plotScales(*ctx, 1);
    const int last = ctx->data.store->recordCount[1];
    std::vector<double> dd(static_cast<size_t>(last) + 1);
    agv::predictOffsets(ctx->model, 2, ctx->model.settings.dt, last, ctx->data.store->endTime[1],
                        dd.data());
    int found = 0;
    for (double x = 0.405 + 0.1; x < 0.9; x += 0.1) {
        const double i = (x - 0.4) / p.dx;
        const size_t n = static_cast<size_t>(i);
        const double y =
            -0.68 + p.s5 * (dd[n] + (dd[n + 1] - dd[n]) * (i - static_cast<double>(n)));
        ASSERT_GT(y, -0.68 + 0.01) << "dd stands off the axis";
        EXPECT_TRUE(on.near(kBlack, x, y, 1)) << x;
        EXPECT_FALSE(before.near(kBlack, x, y, 1)) << x;
        ++found;
    }
    EXPECT_EQ(found, 4);
    // The caption below the time axis.
    EXPECT_GT(on.count(kBlack, 0.4, -0.95, 0.85, -0.85), 50);
    EXPECT_EQ(before.count(kBlack, 0.45, -0.95, 0.85, -0.85), 0);
}

}  // namespace
