// Scenarios beyond the dialogue's one error: errors that combine, seeded slip, mirrored
// paths, the controller seam and the scenario text, each judged by what the vehicles do.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "app/common/random_table_file.h"
#include "sim/caltraj.h"
#include "sim/scenario.h"
#include "sim/scenario_text.h"

namespace {

using agv::MechanismError;
using agv::Scenario;

/// A scenario computed through the front door: checked, applied, then run.
struct ScenarioRun {
    std::unique_ptr<agv::Model> model = std::make_unique<agv::Model>();
    agv::RunData data;
    agv::RunOutcome outcome;

    explicit ScenarioRun(const Scenario& scenario, agv::ControlLaw law = nullptr) {
        std::string error;
        EXPECT_TRUE(agv::loadRandomTables(model->tables, error)) << error;
        EXPECT_TRUE(agv::checkScenario(*model, scenario).accepted());
        agv::applyScenario(*model, scenario);
        if (law != nullptr) model->controlLaw = law;
        outcome = agv::caltraj(*model, data);
    }
    const agv::TrajectoryStore& store() const { return *data.store; }
    int last(int k) const { return store().recordCount[k]; }
};

Scenario onCurve(int curve, double a, double b) {
    Scenario s;
    s.curveNumber = curve;
    const double constants[] = {a, b, 1.0};
    agv::setCurveConstants(s, curve, constants, 3);
    return s;
}

/// Largest |a - b| over every recorded pose of the three vehicles of type index k, b
/// mirrored (y, θ, φ negated) when `mirrored`.
double largestDifference(const ScenarioRun& a, const ScenarioRun& b, int k, bool mirrored) {
    const double sign = mirrored ? -1.0 : 1.0;
    double worst = 0.0;
    for (int n = 0; n <= a.last(k); ++n) {
        for (const auto traj : {&agv::TrajectoryStore::theoryTraj, &agv::TrajectoryStore::noFbcTraj,
                                &agv::TrajectoryStore::fbcTraj}) {
            const agv::PoseRecord& p = (a.store().*traj)[k][n];
            const agv::PoseRecord& q = (b.store().*traj)[k][n];
            const double d[] = {p[agv::kPoseS] - q[agv::kPoseS], p[agv::kPoseX] - q[agv::kPoseX],
                                p[agv::kPoseY] - sign * q[agv::kPoseY],
                                p[agv::kPoseTheta] - sign * q[agv::kPoseTheta],
                                p[agv::kPosePhi] - sign * q[agv::kPosePhi]};
            for (const double v : d)
                worst = std::fmax(worst, std::fabs(v));
        }
    }
    return worst;
}

TEST(MirroredPath, IsTheMirrorImageOfThePlainRunWithMirroredErrors) {
    // A steering drift of +δ clockwise against −δ counter-clockwise, and rear radii (L, R)
    // against (R, L), on an open and a closed curve.
    struct Case {
        MechanismError error;
        double v1, v2;
        int curve;
        double a, b;
    };
    const Case cases[] = {
        {MechanismError::kSteerDrift, 2.0, 0.0, 16, 0.3, 5.0},
        {MechanismError::kSteerDrift, -1.5, 0.0, 1, 0.5, 2.0},
        {MechanismError::kRearWheels, 1.0, -2.0, 15, 2.0, 1.0},
        {MechanismError::kRearWheels, 3.0, 0.5, 11, 2.0, 1.0},
    };
    for (const Case& c : cases) {
        Scenario mirrored = onCurve(c.curve, c.a, c.b);
        mirrored.mirror = true;
        mirrored.errors = agv::onlyError(c.error, c.v1, c.v2);
        Scenario plain = onCurve(c.curve, c.a, c.b);
        plain.errors = c.error == MechanismError::kSteerDrift ? agv::onlyError(c.error, -c.v1)
                                                              : agv::onlyError(c.error, c.v2, c.v1);
        const ScenarioRun m(mirrored);
        const ScenarioRun p(plain);
        ASSERT_TRUE(m.outcome.done());
        for (int k = 0; k < 3; ++k) {
            ASSERT_EQ(m.last(k), p.last(k)) << "curve " << c.curve << " type " << k + 1;
            EXPECT_LT(largestDifference(m, p, k, true), 1e-9)
                << "curve " << c.curve << " type " << k + 1;
        }
        // The closed curves really turn the other way: clockwise, heading falling.
        if (c.curve >= 11) {
            EXPECT_LT(m.store().theoryTraj[0][m.last(0)][agv::kPoseTheta], -1.0)
                << "curve " << c.curve;
        }
    }
}

TEST(CombinedErrors, EachActsOnTheMechanismsItActsOnAlone) {
    // On a straight path a drift moves types 2 and 3 sideways and a rear wheel error type 1;
    // together each type shows its own error's effect as if it were alone.
    const Scenario straight = onCurve(1, 0.0, 10.0);
    Scenario drift = straight;
    drift.errors = agv::onlyError(MechanismError::kSteerDrift, 1.0);
    Scenario wheels = straight;
    wheels.errors = agv::onlyError(MechanismError::kRearWheels, 1.0, 0.0);
    Scenario both = straight;
    agv::giveError(both.errors, MechanismError::kSteerDrift, 1.0);
    agv::giveError(both.errors, MechanismError::kRearWheels, 1.0, 0.0);
    const ScenarioRun d(drift), w(wheels), b(both);
    EXPECT_EQ(largestDifference(b, w, 0, false), 0.0);  // type 1 feels no drift
    EXPECT_EQ(largestDifference(b, d, 1, false), 0.0);  // type 2 no rear wheels
    // Type 3 feels both: its speed from the wheels, its heading from the drift.
    EXPECT_GT(largestDifference(b, d, 2, false), 1e-4);
    EXPECT_GT(largestDifference(b, w, 2, false), 1e-4);

    // A Tread error acts on type 1 only through its caster, which steers nothing: with
    // unequal wheels its offset without feedback is that of the wheels alone.
    Scenario tread = both;
    tread.errors = agv::onlyError(MechanismError::kRearWheels, 1.0, 0.0);
    agv::giveError(tread.errors, MechanismError::kWheelBaseTread, 0.0, 5.0);
    const ScenarioRun t(tread);
    const int end = t.last(0);
    EXPECT_NEAR(t.store().noFbcErr[0][end][0], w.store().noFbcErr[0][end][0], 1e-12);
}

TEST(SeededSlip, SameSeedSameRecordsOtherSeedOtherDraws) {
    Scenario slip = onCurve(15, 2.0, 1.0);
    slip.errors = agv::onlyError(MechanismError::kSlip, 5.0);
    const ScenarioRun unseeded(slip);
    slip.seed = 7;
    const ScenarioRun a(slip), b(slip);
    slip.seed = 8;
    const ScenarioRun c(slip);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(largestDifference(a, b, k, false), 0.0);
        EXPECT_GT(largestDifference(a, c, k, false), 1e-4);
        EXPECT_GT(largestDifference(a, unseeded, k, false), 1e-4);
    }
    // Slip and a radius error on the same wheel: the ratios multiply, so type 2's front
    // wheel runs faster than with the slip alone.
    Scenario front = slip;
    agv::giveError(front.errors, MechanismError::kFrontWheel, 10.0);
    const ScenarioRun f(front);
    EXPECT_GT(f.store().noFbcTraj[1][f.last(1)][agv::kPoseS],
              c.store().noFbcTraj[1][c.last(1)][agv::kPoseS] + 0.05);
}

/// A law that corrects nothing: the FBC vehicle then drives as the one without feedback.
agv::Corrections noCorrection(const agv::Model&, const agv::MechanismRun&,
                              const agv::MotionState&) {
    return {};
}

TEST(ControllerSeam, TheRatesTakeTheirCorrectionsFromTheChosenLaw) {
    Scenario drift = onCurve(16, 0.3, 5.0);
    drift.errors = agv::onlyError(MechanismError::kSteerDrift, 2.0);
    const ScenarioRun designed(drift);
    const ScenarioRun none(drift, noCorrection);
    for (int k = 0; k < 3; ++k) {
        const int end = none.last(k);
        for (int j = 0; j < agv::kPoseFields; ++j) {
            EXPECT_EQ(none.store().fbcTraj[k][end][j], none.store().noFbcTraj[k][end][j])
                << "type " << k + 1;
        }
    }
    // The designed law is the default, and it pulls the green vehicle back.
    EXPECT_LT(std::fabs(designed.store().fbcErr[1][designed.last(1)][0]),
              0.1 * std::fabs(none.store().fbcErr[1][none.last(1)][0]));
}

TEST(CheckScenario, RefusesTheCurveBeforeTheDesign) {
    Scenario s = onCurve(15, -1.0, 1.0);
    s.errors = agv::onlyError(MechanismError::kSteerDrift, 2.0);
    s.fn = 0.0;
    auto model = std::make_unique<agv::Model>();
    const agv::Refusal r = agv::checkScenario(*model, s);
    EXPECT_EQ(r.kind, agv::RefusalKind::kNegativeConstant);
    EXPECT_EQ(r.field, agv::ScenarioField::kCurveConstant);
    // Among combined errors the first in number order is refused, and named.
    Scenario errors;
    agv::giveError(errors.errors, MechanismError::kWheelBaseTread, -100.0, 0.0);
    agv::giveError(errors.errors, MechanismError::kSteerDrift, std::nan(""));
    const agv::Refusal e = agv::checkScenario(*model, errors);
    EXPECT_EQ(e.kind, agv::RefusalKind::kErrorNotFinite);
    EXPECT_EQ(e.error, MechanismError::kSteerDrift);
}

TEST(ScenarioText, ReadsBackToTheSameScenarioAndNamesWhatItCannotRead) {
    Scenario s = onCurve(16, 0.1 + 0.2, 5.0);
    agv::giveError(s.errors, MechanismError::kRearWheels, 1.0, -0.0);
    agv::giveError(s.errors, MechanismError::kSlip, 0.0);
    s.seed = 4294967295u;
    s.zeta = 0.7;
    s.mirror = true;
    const std::string text = agv::scenarioText(s);
    EXPECT_EQ(text,
              "rear-wheels=1,-0 slip=0 seed=4294967295 curve=16:0.30000000000000004,5 "
              "zeta=0.7 mirror");
    Scenario back;
    agv::ScenarioTextError error;
    ASSERT_TRUE(agv::parseScenarioText(text, back, error)) << error.field;
    EXPECT_EQ(agv::scenarioText(back), text);
    EXPECT_EQ(agv::scenarioText(Scenario{}), "");
    // Whole numbers written out, the rest in the shortest form.
    for (const auto& [value, written] :
         {std::pair{20.0, "20"}, std::pair{-2.5e10, "-25000000000"}, std::pair{1e16, "1e+16"},
          std::pair{1e-7, "1e-07"}, std::pair{0.1 + 0.2, "0.30000000000000004"}}) {
        EXPECT_EQ(agv::shortestDecimal(value), written);
    }

    const std::pair<const char*, const char*> bad[] = {{"drift=1 drift=2", "drift"},
                                                       {"curve=5", "curve"},
                                                       {"fn=nan", "fn"},
                                                       {"seed=-1", "seed"},
                                                       {"mirror=1", "mirror"},
                                                       {"speed=2", "speed"},
                                                       {"rear-wheels=1", "rear-wheels"},
                                                       {"curve=1:1,2,3,4", "curve"}};
    for (const auto& [input, field] : bad) {
        EXPECT_FALSE(agv::parseScenarioText(input, back, error)) << input;
        EXPECT_EQ(error.field, field) << input;
    }
}

}  // namespace
