#include "path/path_length.h"

#include <gtest/gtest.h>

#include <cmath>

#include "path/arc_length.h"
#include "path/length_bound.h"
#include "sim/model.h"
#include "sim/scenario.h"

namespace agv {
namespace {

/// A circle of radius R with n turns.
Scenario circle(double R, double n) {
    Scenario scenario;
    scenario.curveNumber = 15;
    scenario.curve.circleR = R;
    scenario.curve.circleN = n;
    return scenario;
}

TEST(CheckPathLength, RefusesPathsLongerThanTheStore) {
    Model model;
    Refusal check = checkScenarioPath(model, circle(5.0, 2.0));
    EXPECT_EQ(check.kind, RefusalKind::kPathTooLong);
    EXPECT_EQ(check.field, ScenarioField::kPathLength);
    EXPECT_EQ(check.curveNumber, 15);
    EXPECT_NEAR(check.value, 62.8319, 1e-4);
    EXPECT_DOUBLE_EQ(check.value2, 60.0);

    // 59.69 m fit the store, but type 2, slowed by its steering, would not.
    EXPECT_EQ(checkScenarioPath(model, circle(5.0, 1.9)).kind, RefusalKind::kTooManyRecords);
    EXPECT_TRUE(checkScenarioPath(model, circle(5.0, 1.8)).accepted());
    applyScenario(model, circle(5.0, 1.8));
    EXPECT_NEAR(model.path.pathEnd[15].sf, 56.5487, 1e-4);
}

TEST(CheckPathLength, DefaultPathFitsAndBadInputIsRefused) {
    Model model;
    EXPECT_TRUE(checkScenarioPath(model, Scenario{}).accepted());
    applyScenario(model, Scenario{});
    EXPECT_NEAR(model.path.pathEnd[1].sf, 2.9274, 1e-4);
    Scenario noCurve;
    noCurve.curveNumber = 7;
    EXPECT_FALSE(checkScenarioPath(model, noCurve).accepted());
    // A length that is not a number must not pass as short enough.
    Scenario spiral;
    spiral.curveNumber = 12;
    spiral.curve.spiralN = std::nan("");
    const Refusal check = checkScenarioPath(model, spiral);
    EXPECT_EQ(check.kind, RefusalKind::kNoPathLength);
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
        Scenario scenario;
        scenario.curveNumber = k.I;
        scenario.curve.*k.first = k.a;
        scenario.curve.*k.second = k.b;
        Model model;
        model.settings.curve = scenario.curve;
        setupPath(model, k.I);
        const double pEnd = model.path.pathEndParam[k.I];
        const auto bound = pathLengthLowerBound(model.settings.curve, k.I, pEnd, 60.0);
        ASSERT_TRUE(bound.has_value()) << k.I;
        EXPECT_GT(*bound, 60.0) << k.I;
        EXPECT_LE(*bound, arcLength(model, 0.0, pEnd, k.I)) << k.I;
        const Refusal check = checkScenarioPath(model, scenario);
        EXPECT_EQ(check.kind, RefusalKind::kPathTooLong) << k.I;
        EXPECT_EQ(check.value, *bound) << k.I;
    }
    // A short path whose parameter runs for thousands of turns has no length to run.
    Scenario rose;
    rose.curveNumber = 14;
    rose.curve.roseA = 1e-4;
    rose.curve.roseN = 1e-5;
    const Refusal tiny = checkScenarioPath(Model{}, rose);
    EXPECT_EQ(tiny.kind, RefusalKind::kNoPathLength);
    EXPECT_TRUE(std::isnan(tiny.value));
    // A cheap sum is always summed in full, however long the path.
    CurveParams c;
    EXPECT_FALSE(pathLengthLowerBound(c, 3, 120.0, 60.0).has_value());
    // A long parameter span of a short path gives no bound.
    c.circleR = 1e-6;
    EXPECT_FALSE(pathLengthLowerBound(c, 15, 1e6, 60.0).has_value());
}

TEST(CheckPathLength, PathsTooSharplyBentToDriveInTheStoreAreRefusedUpFront) {
    struct Case {
        int I;
        double CurveParams::*first;
        double CurveParams::*second;
        double a, b;
    };
    // Petals, waves and whole paths far smaller than the vehicle: each computed for seconds
    // and ran out of records, the last three within 60 m of path. (A cardioid of A = 1e-308
    // has no length left: it is computed, and ends at once.)
    const Case refused[] = {
        {14, &CurveParams::roseA, &CurveParams::roseN, 1e-4, 1e4},
        {14, &CurveParams::roseA, &CurveParams::roseN, 1e-7, 1e7},
        {14, &CurveParams::roseA, &CurveParams::roseN, 1e-9, 1e9},
        {16, &CurveParams::wavyA, &CurveParams::wavyN, 1e-308, 1e154},
        {14, &CurveParams::roseA, &CurveParams::roseN, 0.1, 10.0},
        {16, &CurveParams::wavyA, &CurveParams::wavyN, 0.3, 20.0},
        {1, &CurveParams::cosineL, &CurveParams::cosineN, 0.1, 10.0},
    };
    for (const Case& k : refused) {
        Scenario scenario;
        scenario.curveNumber = k.I;
        scenario.curve.*k.first = k.a;
        scenario.curve.*k.second = k.b;
        const Refusal check = checkScenarioPath(Model{}, scenario);
        EXPECT_EQ(check.kind, RefusalKind::kTooManyRecords) << k.I << " " << k.a;
        EXPECT_EQ(check.field, ScenarioField::kPathLength);
        EXPECT_EQ(check.value2, 3000.0);
    }
    Scenario rose;
    rose.curveNumber = 14;
    rose.curve.roseA = 0.2;
    rose.curve.roseN = 4.0;
    EXPECT_TRUE(checkScenarioPath(Model{}, rose).accepted());
}

}  // namespace
}  // namespace agv
