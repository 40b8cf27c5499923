#include "path/path_length.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app/context.h"
#include "path/arc_length.h"
#include "path/length_bound.h"

namespace agv {
namespace {

struct CapturedContext {
    AgvContext ctx;
    std::ostringstream text;
    CapturedContext() { ctx.out = &text; }
};

TEST(CheckPathLength, RefusesPathsLongerThanTheStore) {
    CapturedContext c;
    c.ctx.settings.curve.circleR = 5.0;
    c.ctx.settings.curve.circleN = 2.0;
    setupPath(c.ctx, 15);
    c.ctx.path.pathEnd[15].sf = 0.0;  // the check stores the length it computes
    EXPECT_EQ(checkPathLength(c.ctx, 15), 0);
    EXPECT_EQ(c.text.str(),
              "\n経路番号I=15 経路長sf=62.8319>60.0000=smax限界を超えている．経路設定し直し");
    EXPECT_NEAR(c.ctx.path.pathEnd[15].sf, 62.8319, 1e-4);

    c.text.str("");
    c.ctx.settings.curve.circleN = 1.9;
    setupPath(c.ctx, 15);
    EXPECT_EQ(checkPathLength(c.ctx, 15), 1);
    EXPECT_NEAR(c.ctx.path.pathEnd[15].sf, 59.6903, 1e-4);
    EXPECT_EQ(c.text.str(), "");
}

TEST(CheckPathLength, DefaultPathFitsAndBadInputIsRefused) {
    CapturedContext c;
    setupPath(c.ctx, 1);
    EXPECT_EQ(checkPathLength(c.ctx, 1), 1);
    EXPECT_NEAR(c.ctx.path.pathEnd[1].sf, 2.9274, 1e-4);
    EXPECT_EQ(checkPathLength(c.ctx, 7), 0);  // not a curve: nothing to check
    EXPECT_EQ(c.text.str(), "");
    // A length that is not a number must not pass as short enough.
    c.ctx.settings.curve.spiralN = std::nan("");
    setupPath(c.ctx, 12);
    EXPECT_EQ(checkPathLength(c.ctx, 12), 0);
    EXPECT_NE(c.text.str().find("I=12"), std::string::npos);
}

TEST(CheckPathLength, HugeConstantsAreRefusedOnABoundBelowTheSummedLength) {
    struct Case {
        int I;
        double CurveParams::*first;
        double CurveParams::*second;
        double a, b;
    };
    // Each just past the cheap sum, so that the full length can still be summed here.
    const Case cases[] = {
        {1, &CurveParams::cosineL, &CurveParams::cosineN, 3.0, 100.0},
        {2, &CurveParams::cycloidA, &CurveParams::cycloidL, 1.0, 300.0},
        {3, &CurveParams::quadraticA, &CurveParams::quadraticL, 1.0, 300.0},
        {4, &CurveParams::cubicA, &CurveParams::cubicL, 1e3, 300.0},
        {12, &CurveParams::spiralA, &CurveParams::spiralN, 0.01, 50.0},
        {14, &CurveParams::roseA, &CurveParams::roseN, 1.0, 0.01},
        {15, &CurveParams::circleR, &CurveParams::circleN, 0.1, 100.0},
    };
    for (const Case& k : cases) {
        CapturedContext c;
        c.ctx.settings.curve.*k.first = k.a;
        c.ctx.settings.curve.*k.second = k.b;
        setupPath(c.ctx, k.I);
        const double pEnd = c.ctx.path.pathEndParam[k.I];
        const auto bound = pathLengthLowerBound(c.ctx.settings.curve, k.I, pEnd, 60.0);
        ASSERT_TRUE(bound.has_value()) << k.I;
        EXPECT_GT(*bound, 60.0) << k.I;
        EXPECT_LE(*bound, arcLength(c.ctx, 0.0, pEnd, k.I)) << k.I;
        EXPECT_EQ(checkPathLength(c.ctx, k.I), 0) << k.I;
        EXPECT_EQ(c.ctx.path.pathEnd[k.I].sf, *bound) << k.I;
    }
    // A cheap sum is always summed in full, however long the path.
    CurveParams c;
    EXPECT_FALSE(pathLengthLowerBound(c, 3, 120.0, 60.0).has_value());
    // A long parameter span of a short path gives no bound.
    c.circleR = 1e-6;
    EXPECT_FALSE(pathLengthLowerBound(c, 15, 1e6, 60.0).has_value());
}

}  // namespace
}  // namespace agv
