#include "draw/view_state.h"

#include <gtest/gtest.h>

#include "app/common/context.h"
#include "app/common/draw_context.h"

namespace agv {
namespace {

TEST(ViewState, DefaultsAndWindowMapping) {
    AgvContext ctx;
    ViewState& v = ctx.view;
    v.viewOffsetX = 0.3;
    v.viewShiftY = 7.0;
    v.xPanelOrigin[1] = 0.0;
    v.panelWidth = 2.0;
    v.viewScale = 0.4;
    v.motionIndex = 12;
    setViewDefaults(ctx.view);
    EXPECT_EQ(v.viewOffsetX, 0.0);
    EXPECT_EQ(v.viewShiftX, -1.5);
    EXPECT_EQ(v.viewShiftY, -0.5);
    EXPECT_EQ(v.xPanelOrigin[1], 0.68);
    EXPECT_EQ(v.errPanelOrigin[1], -0.68);
    EXPECT_EQ(v.panelWidth, 0.5);
    EXPECT_EQ(v.viewScale, 0.4);  // the dialogue resets scale and animation, not this
    EXPECT_EQ(v.motionIndex, 12);

    v.viewScale = kViewScaleInitial;
    double w[2];
    toWindow(ctx.view, 0.0, 0.0, w);
    EXPECT_DOUBLE_EQ(w[0], -0.3);
    EXPECT_DOUBLE_EQ(w[1], -0.1);
    toWindow(ctx.view, 1.5, 0.5, w);
    EXPECT_DOUBLE_EQ(w[0], 0.0);
    EXPECT_DOUBLE_EQ(w[1], 0.0);
    v.viewScale = 0.5;
    v.viewOffsetX = 0.05;
    v.viewOffsetY = -0.1;
    toWindow(ctx.view, 3.5, -1.5, w);
    EXPECT_DOUBLE_EQ(w[0], 1.05);
    EXPECT_DOUBLE_EQ(w[1], -1.1);
}

TEST(PlotRange, SearchesXAndYOfAllPoints) {
    PlotRange r;
    const double single[1][2] = {{2.0, -3.0}};
    findPlotRange(0, single, r);
    EXPECT_EQ(r.max, 2.0);
    EXPECT_EQ(r.min, -3.0);
    EXPECT_EQ(r.maxAbs, 3.0);

    const double even[3][2] = {{0.5, -2.0}, {2.0, 1.0}, {99.0, 99.0}};
    findPlotRange(1, even, r);  // points 0 and 1 only
    EXPECT_EQ(r.max, 2.0);
    EXPECT_EQ(r.min, -2.0);
    EXPECT_EQ(r.maxAbs, 2.0);

    const double far[2][2] = {{2000.0, 1500.0}, {3000.0, 1200.0}};
    findPlotRange(1, far, r);  // the search starts from min = 1000
    EXPECT_EQ(r.max, 3000.0);
    EXPECT_EQ(r.min, 1000.0);
    EXPECT_EQ(r.maxAbs, 3000.0);
}

}  // namespace
}  // namespace agv
