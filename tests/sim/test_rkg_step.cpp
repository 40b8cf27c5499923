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
    SimContext& s;
    agv::MotionState state;
    agv::MotionState next;
    agv::ReferencePoint refs[2];
    Step(SimContext& sim, int curve, double p)
        : s(sim), state(simtest::stateOnPath(sim.model, curve, p)) {
        refs[0] = refs[1] = simtest::referenceAt(sim.model, curve, p);
    }
    agv::MechanismRun& run(int type, double h = kStep) {
        agv::MechanismRun& r = s.run(type);
        r.refs[0] = refs[0];
        r.refs[1] = refs[1];
        agv::rkgStep(s.model, r, h, state, next);
        refs[0] = r.refs[0];
        refs[1] = r.refs[1];
        return r;
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
    Step step(s, 15, 1.0);
    step.run(agv::k2DW1C);
    const double ds = step.next.theory.s - step.state.theory.s;
    EXPECT_NEAR(ds, kStep, kGillTolerance * kStep);
    EXPECT_NEAR(step.next.theory.theta - step.state.theory.theta, kStep, kGillTolerance * kStep);
    EXPECT_EQ(step.next.theory.phi, std::atan(1.0));
    EXPECT_NEAR(step.next.noFbc.phi, std::atan(1.0), 1e-15);
    EXPECT_NEAR(step.next.fbc.phi, std::atan(1.0), 1e-5);
    EXPECT_NEAR(step.next.p, 1.0 + ds, 1e-12);
    EXPECT_EQ(step.next.kappa, 1.0);
    EXPECT_NEAR(step.refs[1].p, step.next.p, 1e-7);
}

TEST(RkgStep, ConvergesAtFourthOrder) {
    // Type 1 on the unit circle for 1 s, with a rear wheel error that bends the blue
    // vehicle's arc: halving the step divides the error by 2^4.
    SimContext s(agv::MechanismError::kRearWheels, 5.0, 0.0);
    s.prepare(15);
    // No feedback: the green vehicle, which steps of 0.1 s drive off the path, stays out.
    s.model.gains = agv::FeedbackGains{};
    const auto endPose = [&](int steps) {
        s.data.mechanism[0] = agv::MechanismRun{};  // no error integrals of the last run
        Step step(s, 15, 0.0);
        for (int i = 0; i < steps; ++i) {
            step.run(agv::k2DW1C, 1.0 / steps);
            step.state = step.next;
        }
        return step.state.noFbc;
    };
    const agv::Pose coarse = endPose(10), middle = endPose(20), fine = endPose(40);
    // The heading grows linearly, which every step size integrates exactly; the position
    // turns with it.
    for (const auto field : {&agv::Pose::x, &agv::Pose::y}) {
        const double ratio = (coarse.*field - middle.*field) / (middle.*field - fine.*field);
        EXPECT_NEAR(ratio, 16.0, 2.0)
            << coarse.*field << " " << middle.*field << " " << fine.*field;
    }
}

TEST(RkgStep, ZeroStepOnlyRefreshesPathPositionAndErrors) {
    SimContext s;
    s.prepare(1);
    for (const int type : {agv::k1FDW1FS, agv::k1RDW1FS}) {
        Step step(s, 1, 0.8);
        step.state.p = 0.75;  // a stale path position, behind
        step.state.kappa = 0.0;
        step.refs[0] = step.refs[1] = simtest::referenceAt(s.model, 1, 0.7);
        step.run(type, 0.0);
        for (const auto pose :
             {&agv::MotionState::theory, &agv::MotionState::noFbc, &agv::MotionState::fbc}) {
            const agv::Pose& a = step.next.*pose;
            const agv::Pose& b = step.state.*pose;
            EXPECT_TRUE(a.s == b.s && a.theta == b.theta && a.x == b.x && a.y == b.y &&
                        a.phi == b.phi);
        }
        EXPECT_NEAR(step.next.p, 0.8, 1e-7);
        EXPECT_EQ(step.next.kappa, agv::curveCurvature(s.model, step.next.p, 1));
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
            Step step(s, 1, 0.2);
            const double theta = step.state.fbc.theta;
            step.state.fbc.x += side * 0.5 * std::sin(theta);
            step.state.fbc.y -= side * 0.5 * std::cos(theta);
            step.state.fbc.phi = side * agv::kSteerAngleMax;
            step.state.noFbc.phi = side * 1.7;
            agv::MechanismRun& run = s.run(type);
            run.refs[0] = step.refs[0];
            run.refs[1] = step.refs[1];
            agv::updateErrorMeasures(s.model, run, step.state);
            step.refs[0] = run.refs[0];
            step.refs[1] = run.refs[1];
            step.run(type);
            // Every stage ends at the limit exactly; the last Gill increment with the
            // stored constants then leaves a few 1e-12 rad inside it.
            const double phi = step.next.fbc.phi;
            EXPECT_LE(std::fabs(phi), agv::kSteerAngleMax);
            EXPECT_NEAR(phi, side * agv::kSteerAngleMax, 1e-11);
            // The vehicle without FBC has no angle limit.
            EXPECT_GT(std::fabs(step.next.noFbc.phi), 1.6);
        }
    }
}

TEST(RkgStep, SlipNoiseBecomesWheelErrors) {
    SimContext s(agv::MechanismError::kSlip, 20.0);
    s.prepare(1);
    struct Case {
        double nu1, nu2, left, right;
    };
    for (const Case c :
         {Case{1.0, 1.0, 0.0, 0.0}, Case{0.0, 0.0, -0.2, -0.2}, Case{0.5, 2.0, -0.1, 0.2}}) {
        Step step(s, 1, 0.2);
        step.state.nu1 = c.nu1;
        step.state.nu2 = c.nu2;
        const agv::WheelErrors& wheels = step.run(agv::k1FDW1FS).wheels;
        EXPECT_DOUBLE_EQ(wheels.front, c.left);
        EXPECT_DOUBLE_EQ(wheels.rearL, c.left);
        EXPECT_DOUBLE_EQ(wheels.rearR, c.right);
        EXPECT_EQ(s.model.settings.frontWheelErr, 0.0);  // the model is never written
    }
}

TEST(RkgStep, ErrorIntegralsAdvanceWithTheErrors) {
    SimContext s;
    s.scenario.curve.cosineA = 0.0;  // straight along x
    s.prepare(1);
    s.design(0.0, 1.0);  // no corrections: the errors stay as they are
    Step step(s, 1, 0.5);
    step.state.fbc.s += 0.1;
    step.state.fbc.y = 0.05;
    const agv::ErrorSignals& e = step.run(agv::k1RDW1FS).errors;
    EXPECT_NEAR(e.dsFbc, 0.1, 1e-12);
    EXPECT_NEAR(e.ddFbc, 0.05, 1e-12);
    EXPECT_NEAR(e.intDsFbc, 0.1 * kStep, kGillTolerance * 0.1 * kStep);
    EXPECT_NEAR(e.intDdFbc, 0.05 * kStep, kGillTolerance * 0.05 * kStep);
    EXPECT_EQ(e.intDthFbc, 0.0);
}

}  // namespace
