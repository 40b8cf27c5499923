#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "sim/caltraj.h"
#include "sim/controller_theory.h"
#include "sim/model.h"
#include "sim/riccati.h"
#include "sim/run_data.h"
#include "sim/scenario.h"
#include "sim/scenario_text.h"

namespace {

using agv::ControllerKind;
using agv::MechanismError;

constexpr double kDt = 0.02;
constexpr ControllerKind kLaws[] = {ControllerKind::kPurePursuit, ControllerKind::kStanley,
                                    ControllerKind::kLqr};

/// One law run on a straight path of `length` metres with one error.
struct LawRun {
    std::unique_ptr<agv::Model> model = std::make_unique<agv::Model>();
    agv::RunData data;

    LawRun(ControllerKind law, MechanismError error, double v1, double v2 = 0.0,
           double length = 20.0) {
        agv::Scenario s;
        s.errors = agv::onlyError(error, v1, v2);
        s.curve.cosineA = 0.0;
        s.curve.cosineN = length / s.curve.cosineL;
        s.controller = law;
        EXPECT_TRUE(agv::checkScenario(*model, s).accepted());
        agv::applyScenario(*model, s);
        agv::caltraj(*model, data);
    }
    int last(int type) const { return data.store->recordCount[type - 1]; }
    double dd(int type, int n) const { return data.store->fbcErr[type - 1][n][0]; }
};

double peakOf(const LawRun& run, int type) {
    double peak = 0.0;
    for (int n = 0; n <= run.last(type); ++n)
        peak = std::max(peak, std::fabs(run.dd(type, n)));
    return peak;
}

/// The largest difference between the simulated and the predicted dd over the records.
double worstMismatch(const LawRun& run, int type) {
    std::vector<double> t;
    for (int n = 0; n < run.last(type); ++n)
        t.push_back(n * kDt);
    t.push_back(run.data.store->endTime[type - 1]);
    std::vector<double> predicted(t.size());
    agv::predictLawOffsets(run.model->settings, run.model->lqr, type, t.data(),
                           static_cast<int>(t.size()), predicted.data());
    double worst = 0.0;
    for (int n = 0; n <= run.last(type); ++n)
        worst = std::max(worst, std::fabs(run.dd(type, n) - predicted[n]));
    return worst;
}

TEST(Riccati, MeetsKnownSolutionsAndRefusesWhatCannotBeStabilised) {
    // Double integrator, Q = I, R = 1: P = [[√3, 1], [1, √3]].
    const double A[4] = {0.0, 1.0, 0.0, 0.0};
    const double B[2] = {0.0, 1.0};
    const double Q[4] = {1.0, 0.0, 0.0, 1.0};
    double P[4];
    ASSERT_TRUE(agv::solveCare(2, A, B, Q, 1.0, P));
    const double expected[4] = {std::sqrt(3.0), 1.0, 1.0, std::sqrt(3.0)};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(P[i], expected[i], 1e-12);
    // An unstable scalar plant x' = x + u, Q = R = 1: P = 1 + √2.
    const double a = 1.0;
    const double b = 1.0;
    const double q = 1.0;
    double p = 0.0;
    ASSERT_TRUE(agv::solveCare(1, &a, &b, &q, 1.0, &p));
    EXPECT_NEAR(p, 1.0 + std::sqrt(2.0), 1e-12);
    // An unstable mode the input cannot reach has no stabilising solution.
    const double A2[4] = {1.0, 0.0, 0.0, 0.0};
    const double B2[2] = {0.0, 1.0};
    EXPECT_FALSE(agv::solveCare(2, A2, B2, Q, 1.0, P));
}

TEST(Controllers, SteadyOffsetUnderDriftMeetsTheTheoryOfEachLaw) {
    // A 2° drift on a straight path: the steered mechanisms settle at an offset that no law
    // without integral action removes; the theory predicts it and the whole response.
    for (ControllerKind law : kLaws) {
        LawRun run(law, MechanismError::kSteerDrift, 2.0);
        for (int type : {2, 3}) {
            SCOPED_TRACE(std::string(agv::controllerName(law)) + " type " + std::to_string(type));
            const agv::LawTheory theory = agv::lawTheory(*run.model, type);
            ASSERT_TRUE(theory.stable());
            ASSERT_TRUE(theory.steadyDefined);
            const double simulated = run.dd(type, run.last(type));
            EXPECT_GT(std::fabs(theory.steadyDd), 1e-3);
            EXPECT_NEAR(simulated / theory.steadyDd, 1.0, 0.02);

            EXPECT_LT(worstMismatch(run, type), 0.02 * peakOf(run, type));
        }
    }
}

TEST(Controllers, WheelErrorOfType1LeavesAnOffsetOnlyWithoutIntegralAction) {
    // Rear wheels of +0.5 % and −0.5 %: a constant turn of the 2DW1C vehicle. The LQR law's
    // integral state takes it up (slowly: its slowest pole is near −√(Qphi/Qd)).
    for (ControllerKind law : kLaws) {
        SCOPED_TRACE(agv::controllerName(law));
        LawRun run(law, MechanismError::kRearWheels, 0.5, -0.5);
        const agv::LawTheory theory = agv::lawTheory(*run.model, 1);
        ASSERT_TRUE(theory.stable());
        ASSERT_TRUE(theory.steadyDefined);
        if (law == ControllerKind::kLqr) {
            EXPECT_NEAR(theory.steadyDd, 0.0, 1e-12);
        } else {
            EXPECT_GT(std::fabs(theory.steadyDd), 1e-3);
            EXPECT_NEAR(run.dd(1, run.last(1)) / theory.steadyDd, 1.0, 0.02);
        }
        EXPECT_LT(worstMismatch(run, 1), 0.02 * peakOf(run, 1));
    }
}

TEST(Controllers, EveryLawFollowsACurvedPathWithoutErrors) {
    // No error, a cosine path: every law keeps the vehicle near the path (pure pursuit cuts
    // its bends by some centimetres) and none diverges.
    for (ControllerKind law : kLaws) {
        auto model = std::make_unique<agv::Model>();
        agv::Scenario s;
        s.errors = agv::onlyError(MechanismError::kNone, 0.0);
        s.curve.cosineA = 0.1;
        s.controller = law;
        agv::applyScenario(*model, s);
        agv::RunData data;
        agv::caltraj(*model, data);
        for (int type = 1; type <= 3; ++type) {
            SCOPED_TRACE(std::string(agv::controllerName(law)) + " type " + std::to_string(type));
            EXPECT_FALSE(data.mechanism[type - 1].leftPath);
            double peak = 0.0;
            for (int n = 0; n <= data.store->recordCount[type - 1]; ++n)
                peak = std::max(peak, std::fabs(data.store->fbcErr[type - 1][n][0]));
            EXPECT_LT(peak, 0.2);
            EXPECT_TRUE(agv::lawTheory(*model, type).stable());
        }
    }
}

TEST(Controllers, ParametersThatMakeNoSenseAreRefusedWithTheirField) {
    auto model = std::make_unique<agv::Model>();
    agv::Scenario s;
    s.errors = agv::onlyError(MechanismError::kNone, 0.0);
    struct Bad {
        void (*set)(agv::Scenario&);
        agv::RefusalKind kind;
        agv::ScenarioField field;
    };
    const Bad cases[] = {
        {[](agv::Scenario& c) { c.controllerParams.lookahead = 0.0; },
         agv::RefusalKind::kBadLookahead, agv::ScenarioField::kLookahead},
        {[](agv::Scenario& c) { c.controllerParams.stanleyGain = -1.0; },
         agv::RefusalKind::kBadStanleyGain, agv::ScenarioField::kStanleyGain},
        {[](agv::Scenario& c) { c.controllerParams.lqrHeading = -1.0; },
         agv::RefusalKind::kBadLqrWeight, agv::ScenarioField::kLqrWeights},
        {[](agv::Scenario& c) { c.controllerParams.lqrInput = 0.0; },
         agv::RefusalKind::kBadLqrWeight, agv::ScenarioField::kLqrWeights},
        {[](agv::Scenario& c) {
             c.controller = ControllerKind::kLqr;
             c.controllerParams.lqrOffset = 0.0;
         },
         agv::RefusalKind::kNoLqrGains, agv::ScenarioField::kLqrWeights},
    };
    for (const Bad& bad : cases) {
        agv::Scenario c = s;
        bad.set(c);
        const agv::Refusal r = agv::checkScenario(*model, c);
        EXPECT_EQ(r.kind, bad.kind);
        EXPECT_EQ(r.field, bad.field);
    }
    // Qd = 0 is no fault of a law that does not read it.
    agv::Scenario unused = s;
    unused.controllerParams.lqrOffset = 0.0;
    EXPECT_TRUE(agv::checkScenario(*model, unused).accepted());
}

TEST(Controllers, ScenarioTextCarriesTheLawAndItsParameters) {
    agv::Scenario s;
    s.controller = ControllerKind::kStanley;
    s.controllerParams.lookahead = 0.75;
    s.controllerParams.stanleyGain = 3.5;
    s.controllerParams.lqrThird = 50.0;
    const std::string text = agv::scenarioText(s);
    EXPECT_EQ(text,
              "controller=stanley lookahead=0.75 stanley-gain=3.5 lqr-weights=10000,100,50,1");
    agv::Scenario back;
    agv::ScenarioTextError error;
    ASSERT_TRUE(agv::parseScenarioText(text, back, error));
    EXPECT_EQ(agv::scenarioText(back), text);
    EXPECT_EQ(back.controllerParams.stanleyGain, 3.5);
    EXPECT_FALSE(agv::parseScenarioText("lqr-weights=1,2,3", back, error));
    EXPECT_EQ(error.field, "lqr-weights");
    EXPECT_FALSE(agv::parseScenarioText("lookahead=far", back, error));
    EXPECT_EQ(error.field, "lookahead");
    EXPECT_EQ(agv::scenarioText(agv::Scenario{}), "");
}

}  // namespace
