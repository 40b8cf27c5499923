#include "sim/rkg_step.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sim_test_support.h"

namespace {

using simtest::SimContext;

/// Relative deviation allowed by the stored Gill constants (their weights add up to
/// 0.99999999967, not 1).
constexpr double kGillTolerance = 4e-10;
constexpr double kStep = 0.004;

/// The three vehicles at parameter p with both reference points there, stepped by h.
struct Step {
    agv::MotionState state;
    agv::MotionState next{};
    agv::ReferencePoint refs[2];
    Step(const agv::AgvContext& ctx, int curve, double p)
        : state(simtest::stateOnPath(ctx, curve, p)) {
        refs[0] = refs[1] = simtest::referenceAt(ctx, curve, p);
    }
    void run(agv::AgvContext& ctx, int curve, int type, double h = kStep) {
        agv::rkgStep(ctx, 0.0, h, curve, type, state, next, refs, agv::kStateSlots);
    }
};

TEST(RkgStep, ConstantRatesAdvanceByStepTimesRate) {
    double y = 1.0;
    double q = 0.0;
    const double c[4] = {agv::kGill1, agv::kGill2, agv::kGill3, agv::kGill4};
    for (int stage = 1; stage <= 4; ++stage)
        agv::rkgUpdate(stage, kStep, c[stage - 1], y, 2.5, q);
    EXPECT_NEAR(y - 1.0, kStep * 2.5, kGillTolerance * kStep * 2.5);
    EXPECT_NE(y - 1.0, kStep * 2.5);  // the stored constants are not exact

    // Type 1 on the unit circle: constant speed and turn rate, caster angles set.
    SimContext s;
    s.prepare(15);
    Step step(s.ctx, 15, 1.0);
    step.run(s.ctx, 15, agv::k2DW1C);
    const double ds = step.next[agv::kPoseS] - step.state[agv::kPoseS];
    EXPECT_NEAR(ds, kStep, kGillTolerance * kStep);
    EXPECT_NEAR(step.next[agv::kPoseTheta] - step.state[agv::kPoseTheta], kStep,
                kGillTolerance * kStep);
    EXPECT_EQ(step.next[agv::kPosePhi], std::atan(1.0));
    EXPECT_NEAR(step.next[agv::kSlotNoFbc + agv::kPosePhi], std::atan(1.0), 1e-15);
    EXPECT_NEAR(step.next[agv::kSlotFbc + agv::kPosePhi], std::atan(1.0), 1e-5);
    EXPECT_NEAR(step.next[agv::kSlotParam], 1.0 + ds, 1e-12);
    EXPECT_EQ(step.next[agv::kSlotKappa], 1.0);
    EXPECT_NEAR(step.refs[1].p, step.next[agv::kSlotParam], 1e-7);
}

TEST(RkgStep, ZeroStepOnlyRefreshesPathPositionAndErrors) {
    SimContext s;
    s.prepare(1);
    for (const int type : {agv::k1FDW1FS, agv::k1RDW1FS}) {
        Step step(s.ctx, 1, 0.8);
        step.state[agv::kSlotParam] = 0.75;  // a stale path position, behind
        step.state[agv::kSlotKappa] = 0.0;
        step.refs[0] = step.refs[1] = simtest::referenceAt(s.ctx, 1, 0.7);
        step.run(s.ctx, 1, type, 0.0);
        for (int i = 0; i < agv::kIntegratedSlots; ++i)
            EXPECT_EQ(step.next[i], step.state[i]);
        EXPECT_NEAR(step.next[agv::kSlotParam], 0.8, 1e-7);
        EXPECT_EQ(step.next[agv::kSlotKappa],
                  agv::curveCurvature(s.ctx, step.next[agv::kSlotParam], 1));
        EXPECT_NEAR(step.refs[0].p, 0.8, 1e-8);
        EXPECT_NEAR(step.refs[1].p, 0.8, 1e-8);
    }
}

TEST(RkgStep, FbcSteeringAngleIsClampedAfterEveryStage) {
    SimContext s;
    s.prepare(1);
    for (const int type : {agv::k1FDW1FS, agv::k1RDW1FS}) {
        for (const double side : {1.0, -1.0}) {
            // Half a metre to the right (left) of the path the feedback steers left (right)
            // as hard as it can, from an angle already at the limit.
            Step step(s.ctx, 1, 0.2);
            const double theta = step.state[agv::kSlotFbc + agv::kPoseTheta];
            step.state[agv::kSlotFbc + agv::kPoseX] += side * 0.5 * std::sin(theta);
            step.state[agv::kSlotFbc + agv::kPoseY] -= side * 0.5 * std::cos(theta);
            step.state[agv::kSlotFbc + agv::kPosePhi] = side * agv::kSteerAngleMax;
            step.state[agv::kSlotNoFbc + agv::kPosePhi] = side * 1.7;
            agv::updateErrorMeasures(s.ctx, 1, step.state, step.refs);
            step.run(s.ctx, 1, type);
            // Every stage ends at the limit exactly; the last Gill increment with the
            // stored constants then leaves a few 1e-12 rad inside it.
            const double phi = step.next[agv::kSlotFbc + agv::kPosePhi];
            EXPECT_LE(std::fabs(phi), agv::kSteerAngleMax);
            EXPECT_NEAR(phi, side * agv::kSteerAngleMax, 1e-11);
            // The vehicle without FBC has no angle limit.
            EXPECT_GT(std::fabs(step.next[agv::kSlotNoFbc + agv::kPosePhi]), 1.6);
        }
    }
}

TEST(RkgStep, SlipNoiseBecomesWheelErrors) {
    SimContext s('5');
    s.ctx.settings.SLIP = 0.2;
    s.prepare(1);
    struct Case {
        double nu1, nu2, left, right;
    };
    for (const Case c :
         {Case{1.0, 1.0, 0.0, 0.0}, Case{0.0, 0.0, -0.2, -0.2}, Case{0.5, 2.0, -0.1, 0.2}}) {
        Step step(s.ctx, 1, 0.2);
        step.state[agv::kSlotNoise1] = c.nu1;
        step.state[agv::kSlotNoise2] = c.nu2;
        step.run(s.ctx, 1, agv::k1FDW1FS);
        EXPECT_DOUBLE_EQ(s.ctx.settings.frontWheelErr, c.left);
        EXPECT_DOUBLE_EQ(s.ctx.settings.rearWheelErrL, c.left);
        EXPECT_DOUBLE_EQ(s.ctx.settings.rearWheelErrR, c.right);
    }
}

TEST(RkgStep, ErrorIntegralsAdvanceWithTheErrors) {
    SimContext s;
    s.ctx.settings.curve.cosineA = 0.0;  // straight along x
    s.prepare(1);
    s.design(0.0, 1.0);  // no corrections: the errors stay as they are
    Step step(s.ctx, 1, 0.5);
    step.state[agv::kSlotFbc + agv::kPoseS] += 0.1;
    step.state[agv::kSlotFbc + agv::kPoseY] = 0.05;
    step.run(s.ctx, 1, agv::k1RDW1FS);
    const agv::ErrorSignals& e = s.ctx.errors;
    EXPECT_NEAR(e.dsFbc, 0.1, 1e-12);
    EXPECT_NEAR(e.ddFbc, 0.05, 1e-12);
    EXPECT_NEAR(e.intDsFbc, 0.1 * kStep, kGillTolerance * 0.1 * kStep);
    EXPECT_NEAR(e.intDdFbc, 0.05 * kStep, kGillTolerance * 0.05 * kStep);
    EXPECT_EQ(e.intDthFbc, 0.0);
}

}  // namespace
