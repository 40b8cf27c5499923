#include "sim/vehicle_model.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "sim_test_support.h"

namespace {

using simtest::SimContext;
using simtest::stateOnPath;

using Rates = std::array<double, agv::kIntegratedSlots>;

/// The fifteen rates of one evaluation point, in the order the integrator asks for them.
Rates allRates(agv::AgvContext& ctx, int curve, int type, agv::MotionState& state) {
    Rates rates{};
    for (int i = 0; i < agv::kIntegratedSlots; ++i)
        rates[i] = agv::motionRates(ctx, i, curve, type, state);
    return rates;
}

TEST(FeedForward, SteeringRateLimitSlowsTheVehicle) {
    SimContext s;
    s.prepare(1);
    const agv::SimulationSettings& set = s.ctx.settings;
    for (const int type : {agv::k1FDW1FS, agv::k1RDW1FS}) {
        // The point of the default wave that demands the fastest steering.
        double demand = 0.0;
        double pFast = 0.0;
        for (double p = 0.0; p < 2.0; p += 0.01) {
            const double c = std::cos(std::atan(agv::curveCurvature(s.ctx, p, 1)));
            const double a =
                (type == agv::k1FDW1FS ? c * c * c : c * c) * agv::curvatureRate(s.ctx, p, 1);
            if (std::fabs(a) > std::fabs(demand)) {
                demand = a;
                pFast = p;
            }
        }
        ASSERT_GT(std::fabs(demand) * set.Vw, set.omegaMax);
        const agv::MotionState state = stateOnPath(s.ctx, 1, pFast);
        agv::Command cmd = agv::feedForwardCommand(s.ctx, 1, type, state);
        EXPECT_EQ(cmd.phiDotCmd, std::copysign(set.omegaMax, demand));
        EXPECT_DOUBLE_EQ(cmd.V, set.omegaMax / std::fabs(demand));
        cmd = agv::feedForwardCommand(s.ctx, 1, agv::k2DW1C, state);
        EXPECT_EQ(cmd.V, set.Vw);
        EXPECT_EQ(cmd.phiDotCmd, 0.0);
    }
    // A straight stretch needs no steering and keeps the full speed.
    SimContext straight;
    straight.ctx.settings.curve.cosineA = 0.0;
    straight.prepare(1);
    const agv::Command cmd =
        agv::feedForwardCommand(straight.ctx, 1, agv::k1FDW1FS, stateOnPath(straight.ctx, 1, 0.7));
    EXPECT_EQ(cmd.V, set.Vw);
    EXPECT_EQ(cmd.phiDotCmd, 0.0);
}

TEST(MotionRates, ErrorsActOnTheirMechanismsOnly) {
    struct Case {
        char error;
        bool acts[3];  // types 1, 2, 3
    };
    for (const Case c : {Case{'0', {false, false, false}}, Case{'1', {true, false, true}},
                         Case{'2', {false, true, false}}, Case{'3', {false, true, true}},
                         Case{'4', {true, true, true}}}) {
        SimContext s(c.error);
        agv::SimulationSettings& set = s.ctx.settings;
        if (c.error == '1') set.rearWheelErrL = 0.05;
        if (c.error == '2') set.frontWheelErr = 0.05;
        if (c.error == '3') set.steerDrift = 0.05;
        if (c.error == '4') set.wheelBaseActual = set.treadActual = 1.05;
        s.prepare(1);
        for (int type = 1; type <= 3; ++type) {
            agv::MotionState state = stateOnPath(s.ctx, 1, 0.3);
            const Rates r = allRates(s.ctx, 1, type, state);
            // Type 1 splits the speed into two wheel speeds and back: rounding only.
            const double tolerance = type == agv::k2DW1C ? 1e-15 : 0.0;
            bool differs = false;
            for (int j = 0; j < agv::kPoseFields; ++j) {
                const int blue = agv::kSlotNoFbc + j;
                const int red = agv::kSlotTheory + j;
                differs = differs || std::fabs(r[blue] - r[red]) > tolerance ||
                          std::fabs(state[blue] - state[red]) > tolerance;
                // Without error signals the FBC vehicle moves like the one without FBC.
                EXPECT_EQ(r[agv::kSlotFbc + j], r[blue]) << c.error << " type " << type;
            }
            EXPECT_EQ(differs, c.acts[type - 1]) << "error " << c.error << " type " << type;
        }
    }
}

TEST(MotionRates, Type1CasterAnglesAreSetNotIntegrated) {
    SimContext s;
    s.ctx.settings.treadActual = 1.2;
    s.ctx.settings.rearWheelErrR = 0.1;
    s.prepare(1);
    agv::MotionState state = stateOnPath(s.ctx, 1, 0.2);
    state[agv::kSlotTheory + agv::kPosePhi] = 9.0;
    const Rates r = allRates(s.ctx, 1, agv::k2DW1C, state);
    const agv::RateScratch& k = s.ctx.rates;
    EXPECT_EQ(
        r[agv::kPosePhi] + r[agv::kSlotNoFbc + agv::kPosePhi] + r[agv::kSlotFbc + agv::kPosePhi],
        0.0);
    EXPECT_EQ(state[agv::kPosePhi], std::atan(1.0 * state[agv::kSlotKappa]));
    EXPECT_EQ(state[agv::kSlotNoFbc + agv::kPosePhi], std::atan(1.2 * k.omegaC / k.vC));
    EXPECT_EQ(state[agv::kSlotFbc + agv::kPosePhi], std::atan(1.2 * k.omegaA / k.vA));

    // Standing still on the unit circle (wheel speeds 0.5 and 1.5 m/s commanded).
    SimContext c;
    c.prepare(15);
    agv::SimulationSettings& set = c.ctx.settings;
    set.rearWheelErrL = set.rearWheelErrR = -1.0;  // both wheels stopped: caster straight
    state = stateOnPath(c.ctx, 15, 0.4);
    allRates(c.ctx, 15, agv::k2DW1C, state);
    EXPECT_EQ(c.ctx.rates.vC, 0.0);
    EXPECT_EQ(state[agv::kSlotNoFbc + agv::kPosePhi], 0.0);
    set.rearWheelErrL = -4.0;  // -1.5 against +1.5 m/s: turning on the spot, caster across
    set.rearWheelErrR = 0.0;
    state = stateOnPath(c.ctx, 15, 0.4);
    allRates(c.ctx, 15, agv::k2DW1C, state);
    EXPECT_EQ(c.ctx.rates.vC, 0.0);
    EXPECT_EQ(state[agv::kSlotNoFbc + agv::kPosePhi], agv::kHalfPi);
}

// The integrator takes the fifteen rates of an evaluation point in one call: the same rates,
// intermediates and caster angles as slot by slot, for every mechanism, error and path,
// also when the steering angles repeat from one point to the next.
TEST(MotionRates, AllSlotsAtOnceAsSlotBySlot) {
    for (const int curve : {1, 12, 15}) {
        for (const char error : {'0', '1', '2', '3', '4'}) {
            SimContext a(error);
            SimContext b(error);
            for (SimContext* s : {&a, &b}) {
                agv::SimulationSettings& set = s->ctx.settings;
                set.rearWheelErrL = 0.02;
                set.rearWheelErrR = -0.01;
                set.frontWheelErr = 0.03;
                set.steerDrift = 0.035;
                set.treadActual = 0.95;
                set.wheelBaseActual = 1.1;
                s->prepare(curve);
                s->ctx.errors.ddFbc = 0.01;
                s->ctx.errors.dthFbc = -0.02;
                s->ctx.errors.dphiFbc = 0.03;
                s->ctx.errors.dsFbc = 0.004;
            }
            for (const int type : {agv::k2DW1C, agv::k1FDW1FS, agv::k1RDW1FS}) {
                for (const double p : {0.3, 0.3, 0.9}) {
                    SCOPED_TRACE(testing::Message() << "curve " << curve << " error " << error
                                                    << " type " << type << " p " << p);
                    agv::MotionState one = stateOnPath(a.ctx, curve, p);
                    one[agv::kSlotFbc + agv::kPoseX] += 0.01;
                    one[agv::kSlotFbc + agv::kPosePhi] += 0.05;
                    agv::MotionState all = one;
                    const Rates expected = allRates(a.ctx, curve, type, one);
                    Rates got{};
                    agv::motionRatesAll(b.ctx, curve, type, all, got.data());
                    EXPECT_EQ(std::memcmp(expected.data(), got.data(), sizeof got), 0);
                    EXPECT_EQ(std::memcmp(one.data(), all.data(), sizeof one), 0);
                    const agv::RateScratch& ra = a.ctx.rates;
                    const agv::RateScratch& rb = b.ctx.rates;
                    for (const auto field :
                         {&agv::RateScratch::V, &agv::RateScratch::phiDotCmd, &agv::RateScratch::vD,
                          &agv::RateScratch::omegaD, &agv::RateScratch::vC,
                          &agv::RateScratch::omegaC, &agv::RateScratch::vFA, &agv::RateScratch::vA,
                          &agv::RateScratch::omegaA})
                        EXPECT_EQ(ra.*field, rb.*field);
                }
            }
        }
    }
}

TEST(MotionRates, FbcSteeringRateIsLimited) {
    SimContext s;
    s.prepare(1);
    for (const int type : {agv::k1FDW1FS, agv::k1RDW1FS}) {
        for (const double dd : {1.0, -1.0, 1e300}) {
            s.ctx.errors = agv::ErrorSignals{};
            s.ctx.errors.ddFbc = dd;
            agv::MotionState state = stateOnPath(s.ctx, 1, 0.3);
            EXPECT_EQ(allRates(s.ctx, 1, type, state)[agv::kSlotFbc + agv::kPosePhi],
                      dd > 0 ? -3.0 : 3.0);
        }
    }
    // A mechanism without length (never accepted by the dialogue) still gives numbers.
    s.ctx.settings.wheelBaseActual = s.ctx.settings.treadActual = 0.0;
    for (int type = 1; type <= 3; ++type) {
        agv::MotionState state = stateOnPath(s.ctx, 1, 0.3);
        for (double rate : allRates(s.ctx, 1, type, state))
            EXPECT_TRUE(std::isfinite(rate));
    }
}

}  // namespace
