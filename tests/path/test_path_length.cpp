#include "path/path_length.h"

#include <gtest/gtest.h>

#include <cmath>

#include "path/arc_length.h"
#include "path/length_bound.h"
#include "sim/model.h"

namespace agv {
namespace {

TEST(CheckPathLength, RefusesPathsLongerThanTheStore) {
    Model model;
    model.settings.curve.circleR = 5.0;
    model.settings.curve.circleN = 2.0;
    setupPath(model, 15);
    model.path.pathEnd[15].sf = 0.0;  // the check stores the length it computes
    RunOutcome check = checkPathLength(model, 15);
    EXPECT_EQ(check.status, RunStatus::kPathTooLong);
    EXPECT_EQ(check.curveNumber, 15);
    EXPECT_NEAR(check.length, 62.8319, 1e-4);
    EXPECT_DOUBLE_EQ(check.limit, 60.0);
    EXPECT_NEAR(model.path.pathEnd[15].sf, 62.8319, 1e-4);

    model.settings.curve.circleN = 1.9;
    setupPath(model, 15);
    EXPECT_TRUE(checkPathLength(model, 15).done());
    EXPECT_NEAR(model.path.pathEnd[15].sf, 59.6903, 1e-4);
}

TEST(CheckPathLength, DefaultPathFitsAndBadInputIsRefused) {
    Model model;
    setupPath(model, 1);
    EXPECT_TRUE(checkPathLength(model, 1).done());
    EXPECT_NEAR(model.path.pathEnd[1].sf, 2.9274, 1e-4);
    EXPECT_FALSE(checkPathLength(model, 7).done());  // not a curve: nothing to check
    // A length that is not a number must not pass as short enough.
    model.settings.curve.spiralN = std::nan("");
    setupPath(model, 12);
    const RunOutcome check = checkPathLength(model, 12);
    EXPECT_EQ(check.status, RunStatus::kPathTooLong);
    EXPECT_EQ(check.curveNumber, 12);
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
        Model model;
        model.settings.curve.*k.first = k.a;
        model.settings.curve.*k.second = k.b;
        setupPath(model, k.I);
        const double pEnd = model.path.pathEndParam[k.I];
        const auto bound = pathLengthLowerBound(model.settings.curve, k.I, pEnd, 60.0);
        ASSERT_TRUE(bound.has_value()) << k.I;
        EXPECT_GT(*bound, 60.0) << k.I;
        EXPECT_LE(*bound, arcLength(model, 0.0, pEnd, k.I)) << k.I;
        const RunOutcome check = checkPathLength(model, k.I);
        EXPECT_EQ(check.status, RunStatus::kPathTooLong) << k.I;
        EXPECT_EQ(check.length, *bound) << k.I;
        EXPECT_EQ(model.path.pathEnd[k.I].sf, *bound) << k.I;
    }
    // A short path whose parameter runs for thousands of turns has no length to run.
    Model rose;
    rose.settings.curve.roseA = 1e-4;
    rose.settings.curve.roseN = 1e-5;
    setupPath(rose, 14);
    const RunOutcome tiny = checkPathLength(rose, 14);
    EXPECT_EQ(tiny.status, RunStatus::kPathTooLong);
    EXPECT_TRUE(std::isnan(tiny.length));
    // A cheap sum is always summed in full, however long the path.
    CurveParams c;
    EXPECT_FALSE(pathLengthLowerBound(c, 3, 120.0, 60.0).has_value());
    // A long parameter span of a short path gives no bound.
    c.circleR = 1e-6;
    EXPECT_FALSE(pathLengthLowerBound(c, 15, 1e6, 60.0).has_value());
}

}  // namespace
}  // namespace agv
