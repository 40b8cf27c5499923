#include "sim/feedback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>

#include "sim_test_support.h"

namespace {

using simtest::referenceAt;
using simtest::SimContext;

TEST(GainDesign, DegenerateDesignsGiveFiniteGains) {
    SimContext s;
    s.prepare(1);
    const agv::FeedbackGains& g = s.model.gains;
    // ζ = 0 moves the type 1 pole to ωn; fn = 0 designs no feedback at all.
    for (const auto& [fn, zeta] :
         {std::pair{1.0, 0.0}, std::pair{0.0, 1.0}, std::pair{1.0, -1.0}, std::pair{100.0, 1.0}}) {
        s.design(fn, zeta);
        for (double v : {g.Kd1, g.Kth1, g.KI1, g.Kd2, g.Kth2, g.Kfi2})
            EXPECT_TRUE(std::isfinite(v)) << "fn=" << fn << " zeta=" << zeta;
    }
    s.design(1.0, 0.0);
    EXPECT_DOUBLE_EQ(g.Kth1, s.model.settings.omegaN);
}

TEST(ReferencePoint, VehicleOnThePath) {
    SimContext s;
    s.prepare(1);
    const agv::ReferencePoint on = referenceAt(s.model, 1, 0.7);
    agv::ReferencePoint ref = referenceAt(s.model, 1, 0.65);
    const double dd = agv::findReferencePoint(s.model, 1, on.x, on.y, on.theta, ref.p - 0.1, ref);
    EXPECT_NEAR(dd, 0.0, 1e-8);
    EXPECT_NEAR(ref.p, 0.7, 1e-8);
    EXPECT_NEAR(ref.s, on.s, 1e-8);
    EXPECT_NEAR(ref.theta, on.theta, 1e-7);
    EXPECT_NEAR(ref.kappa, on.kappa, 1e-6);
}

TEST(ReferencePoint, LateralOffsetIsPositiveToTheLeft) {
    SimContext s;
    s.scenario.curve.cosineA = 0.0;  // a straight path along the x axis
    s.prepare(1);
    for (const double offset : {0.1, -0.1}) {
        agv::ReferencePoint ref = referenceAt(s.model, 1, 0.95);
        EXPECT_NEAR(agv::findReferencePoint(s.model, 1, 1.0, offset, 0.0, 0.85, ref), offset,
                    1e-12);
        EXPECT_NEAR(ref.p, 1.0, 1e-8);
    }
    // Behind the search start the search steps backwards.
    agv::ReferencePoint ref = referenceAt(s.model, 1, 1.5);
    EXPECT_NEAR(agv::findReferencePoint(s.model, 1, 0.5, 0.2, 0.0, 1.4, ref), 0.2, 1e-12);
    EXPECT_NEAR(ref.s, 0.5, 1e-8);
    // Behind the path start it stops at the first step with p + 2h < 0 (h = 0.02).
    ref = referenceAt(s.model, 1, 0.0);
    EXPECT_NEAR(agv::findReferencePoint(s.model, 1, -0.5, 0.05, 0.0, -0.1, ref), 0.05, 1e-12);
    EXPECT_NEAR(ref.p, -0.12, 1e-12);

    // Heading along y the offset is measured in x: the unit circle, counter-clockwise.
    SimContext c;
    c.prepare(15);
    for (const auto& [x, expected] : {std::pair{0.9, 0.1}, std::pair{1.2, -0.2}}) {
        ref = referenceAt(c.model, 15, 0.0);
        EXPECT_NEAR(agv::findReferencePoint(c.model, 15, x, 0.0, agv::kHalfPi, -0.1, ref), expected,
                    1e-12);
    }
}

bool sameBits(const void* a, const void* b, std::size_t n) {
    return std::memcmp(a, b, n) == 0;
}

// Vehicles near and far from every curve, on, beside and across it, with reference points
// where the integrator leaves them and elsewhere: the search and the pair of searches of
// the error measures give what the plain stepping gives, to the last bit.
TEST(ReferencePoint, AsThePlainSteppingToTheLastBit) {
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const int I : {1, 2, 3, 4, 11, 12, 13, 14, 15, 16}) {
        SimContext s;
        if (I == 15) s.scenario.curve.circleR = 4.7, s.scenario.curve.circleN = 1.9;
        s.prepare(I);
        const double pEnd = s.model.path.pathEndParam[I];
        for (int k = 0; k < 1500; ++k) {
            const double pRef = -0.3 + unit(random) * (pEnd + 1.6);
            const double spread[] = {0.0, 1e-6, 0.01, 0.5};
            const double pVehicle = pRef + (unit(random) - 0.5) * spread[k % 4];
            const agv::ReferencePoint on = referenceAt(s.model, I, pVehicle);
            const double offset = (unit(random) - 0.5) * (k % 3 == 0 ? 1e-8 : 0.5);
            const double x = on.x - std::sin(on.theta) * offset;
            const double y = on.y + std::cos(on.theta) * offset;
            const double theta = on.theta + (k % 5 == 0 ? 6.0 : 0.3) * (unit(random) - 0.5);
            agv::ReferencePoint start = referenceAt(s.model, I, pRef);
            const double pStart = k % 7 == 0 ? pRef - unit(random) : pRef - 0.1;
            SCOPED_TRACE(testing::Message() << "I=" << I << " k=" << k);

            agv::ReferencePoint expected = start;
            agv::ReferencePoint got = start;
            const double ddExpected =
                agv::findReferencePointByStepping(s.model, I, x, y, theta, pStart, expected);
            const double ddGot = agv::findReferencePoint(s.model, I, x, y, theta, pStart, got);
            ASSERT_TRUE(sameBits(&ddExpected, &ddGot, sizeof ddGot));
            ASSERT_TRUE(sameBits(&expected, &got, sizeof got));

            agv::MotionState state = simtest::stateOnPath(s.model, I, pRef);
            state.noFbc.x = x;
            state.noFbc.y = y;
            state.noFbc.theta = theta;
            state.fbc.x = y;
            state.fbc.y = x;
            agv::MechanismRun& run = s.run(2);
            run.refs[0] = run.refs[1] = start;
            agv::ReferencePoint single[2] = {start, start};
            agv::updateErrorMeasures(s.model, run, state);
            const agv::ReferencePoint* pair = run.refs;
            const double dd[2] = {agv::findReferencePointByStepping(s.model, I, x, y, theta,
                                                                    start.p - 0.1, single[0]),
                                  agv::findReferencePointByStepping(
                                      s.model, I, y, x, state.fbc.theta, start.p - 0.1, single[1])};
            ASSERT_TRUE(sameBits(&dd[0], &run.errors.ddNoFbc, sizeof dd[0]));
            ASSERT_TRUE(sameBits(&dd[1], &run.errors.ddFbc, sizeof dd[1]));
            // The arc length of the reference point without FBC is not followed.
            single[0].s = pair[0].s;
            ASSERT_TRUE(sameBits(single, pair, sizeof single));
        }
    }
}

TEST(ReferencePoint, BeyondThePathEndTakesTheEndRecord) {
    SimContext s;
    s.prepare(1);
    const double pEnd = s.model.path.pathEndParam[1];
    const agv::ReferencePoint& end = s.model.path.pathEndReference[1];
    auto expectEnd = [&](const agv::ReferencePoint& ref) {
        for (const auto field :
             {&agv::ReferencePoint::s, &agv::ReferencePoint::theta, &agv::ReferencePoint::x,
              &agv::ReferencePoint::y, &agv::ReferencePoint::phi, &agv::ReferencePoint::kappa,
              &agv::ReferencePoint::p})
            EXPECT_EQ(ref.*field, end.*field);
    };
    // Starting at pEnd + 1 nothing is searched: the end record and the distance to it.
    agv::ReferencePoint ref = referenceAt(s.model, 1, 0.3);
    EXPECT_DOUBLE_EQ(agv::findReferencePoint(s.model, 1, 3.0, 4.0, 0.0, pEnd + 1.0, ref),
                     std::sqrt(17.0));
    expectEnd(ref);
    // Stepping forward past pEnd + 1 ends the same way.
    ref = referenceAt(s.model, 1, 1.9);
    EXPECT_DOUBLE_EQ(agv::findReferencePoint(s.model, 1, 5.0, 0.0, 0.0, 1.8, ref), 3.0);
    expectEnd(ref);
    // A start that is no number ends there too; a position that is no number ends the
    // search behind the path start instead of looping.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ref = referenceAt(s.model, 1, 1.0);
    agv::findReferencePoint(s.model, 1, 1.0, 0.5, 0.0, nan, ref);
    expectEnd(ref);
    ref = referenceAt(s.model, 1, 1.0);
    agv::findReferencePoint(s.model, 1, nan, 0.5, 0.0, 0.9, ref);
    EXPECT_LT(ref.p, 0.0);
}

TEST(ErrorMeasures, HeadingErrorIsNotWrapped) {
    SimContext s;
    s.prepare(1);
    agv::MotionState state = simtest::stateOnPath(s.model, 1, 0.7);
    state.fbc.theta += agv::kTwoPi;
    state.fbc.s += 0.25;
    state.fbc.phi += 0.125;
    agv::MechanismRun& run = s.run(2);
    run.refs[0] = run.refs[1] = referenceAt(s.model, 1, 0.68);
    agv::updateErrorMeasures(s.model, run, state);
    const agv::ErrorSignals& e = run.errors;
    EXPECT_NEAR(e.dthFbc, agv::kTwoPi, 1e-7);
    EXPECT_NEAR(e.dthNoFbc, 0.0, 1e-7);
    EXPECT_NEAR(e.ddFbc, 0.0, 1e-8);
    EXPECT_NEAR(e.ddNoFbc, 0.0, 1e-8);
    EXPECT_DOUBLE_EQ(e.dsFbc, 0.25);
    EXPECT_NEAR(e.dphiFbc, 0.125, 1e-7);
}

}  // namespace
