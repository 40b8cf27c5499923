#include "sim/vehicle_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sim_test_support.h"

namespace {

using simtest::SimContext;
using simtest::stateOnPath;

using agv::MechanismError;

/// The rate of every pose of a mechanism's three vehicles.
bool sameRates(const agv::Pose& a, const agv::Pose& b, double tolerance) {
    return std::fabs(a.s - b.s) <= tolerance && std::fabs(a.theta - b.theta) <= tolerance &&
           std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.phi - b.phi) <= tolerance;
}

TEST(MotionRates, ErrorsActOnTheirMechanismsOnly) {
    struct Case {
        MechanismError error;
        bool acts[3];  // types 1, 2, 3
    };
    for (const Case c : {Case{MechanismError::kNone, {false, false, false}},
                         Case{MechanismError::kRearWheels, {true, false, true}},
                         Case{MechanismError::kFrontWheel, {false, true, false}},
                         Case{MechanismError::kSteerDrift, {false, true, true}},
                         Case{MechanismError::kWheelBaseTread, {true, true, true}}}) {
        // 5 % on the left wheel, the front wheel, WheelBase and Tread; a 3° drift.
        SimContext s(c.error, c.error == MechanismError::kSteerDrift ? 3.0 : 5.0,
                     c.error == MechanismError::kWheelBaseTread ? 5.0 : 0.0);
        s.prepare(1);
        for (int type = 1; type <= 3; ++type) {
            agv::MotionState state = stateOnPath(s.model, 1, 0.3);
            const agv::MotionRates r = agv::motionRates(s.model, s.run(type), state);
            // Type 1 splits the speed into two wheel speeds and back: rounding only.
            const double tolerance = type == agv::k2DW1C ? 1e-15 : 0.0;
            const bool differs = !sameRates(r.noFbc, r.theory, tolerance) ||
                                 !sameRates(state.noFbc, state.theory, tolerance);
            EXPECT_EQ(differs, c.acts[type - 1])
                << "error " << static_cast<int>(c.error) << " type " << type;
            // Without error signals the FBC vehicle moves like the one without FBC.
            EXPECT_TRUE(sameRates(r.fbc, r.noFbc, 0.0)) << "type " << type;
        }
    }
}

TEST(MotionRates, Type1CasterAnglesAreSetNotIntegrated) {
    SimContext s;
    agv::giveError(s.scenario.errors, MechanismError::kWheelBaseTread, 0.0, 20.0);
    agv::giveError(s.scenario.errors, MechanismError::kRearWheels, 0.0, 10.0);
    s.prepare(1);
    agv::MotionState state = stateOnPath(s.model, 1, 0.2);
    state.theory.phi = 9.0;
    const agv::MotionRates r = agv::rates2DW1C(s.model, s.run(1), state);
    EXPECT_EQ(r.theory.phi + r.noFbc.phi + r.fbc.phi, 0.0);
    EXPECT_EQ(state.theory.phi, std::atan(1.0 * state.kappa));
    EXPECT_EQ(state.noFbc.phi, std::atan(1.2 * r.noFbc.theta / r.noFbc.s));
    EXPECT_EQ(state.fbc.phi, std::atan(1.2 * r.fbc.theta / r.fbc.s));

    // Standing still on the unit circle (wheel speeds 0.5 and 1.5 m/s commanded).
    SimContext stopped(MechanismError::kRearWheels, -100.0, -100.0);  // caster straight
    stopped.prepare(15);
    state = stateOnPath(stopped.model, 15, 0.4);
    EXPECT_EQ(agv::rates2DW1C(stopped.model, stopped.run(1), state).noFbc.s, 0.0);
    EXPECT_EQ(state.noFbc.phi, 0.0);
    // -1.5 against +1.5 m/s: turning on the spot, caster across.
    SimContext spinning(MechanismError::kRearWheels, -400.0, 0.0);
    spinning.prepare(15);
    state = stateOnPath(spinning.model, 15, 0.4);
    EXPECT_EQ(agv::rates2DW1C(spinning.model, spinning.run(1), state).noFbc.s, 0.0);
    EXPECT_EQ(state.noFbc.phi, agv::kHalfPi);
}

TEST(MotionRates, FbcSteeringRateIsLimited) {
    SimContext s;
    s.prepare(1);
    for (const int type : {agv::k1FDW1FS, agv::k1RDW1FS}) {
        for (const double dd : {1.0, -1.0, 1e300}) {
            agv::MechanismRun& run = s.run(type);
            run.errors = agv::ErrorSignals{};
            run.errors.ddFbc = dd;
            agv::MotionState state = stateOnPath(s.model, 1, 0.3);
            EXPECT_EQ(agv::motionRates(s.model, run, state).fbc.phi, dd > 0 ? -3.0 : 3.0);
        }
    }
    // A mechanism without length (never accepted by the dialogue) still gives numbers.
    SimContext flat(MechanismError::kWheelBaseTread, -100.0, -100.0);
    flat.prepare(1);
    for (int type = 1; type <= 3; ++type) {
        agv::MechanismRun& run = flat.run(type);
        run.errors = agv::ErrorSignals{};
        agv::MotionState state = stateOnPath(flat.model, 1, 0.3);
        const agv::MotionRates r = agv::motionRates(flat.model, run, state);
        for (const agv::Pose* pose : {&r.theory, &r.noFbc, &r.fbc}) {
            for (const double rate : {pose->s, pose->theta, pose->x, pose->y, pose->phi})
                EXPECT_TRUE(std::isfinite(rate));
        }
    }
}

}  // namespace
