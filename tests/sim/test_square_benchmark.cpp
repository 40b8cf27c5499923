// The square path and the benchmark on it: the path closes with its analytic length, the
// estimates find known errors, the correction removes the systematic part.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/common/random_table_file.h"
#include "path/curve_kernels.h"
#include "sim/model.h"
#include "sim/run_data.h"
#include "sim/scenario.h"
#include "sim/scenario_text.h"
#include "sim/square_benchmark.h"

namespace agv {
namespace {

struct Lab {
    std::unique_ptr<Model> model = std::make_unique<Model>();
    RunData data;
    Lab() {
        std::string error;
        EXPECT_TRUE(loadRandomTables(model->tables, error)) << error;
    }
};

Scenario squareWith(double left, double right, double wheelBase) {
    Scenario s;
    s.curveNumber = kernels::kSquareCurve;
    giveError(s.errors, MechanismError::kRearWheels, left, right);
    giveError(s.errors, MechanismError::kWheelBaseTread, wheelBase, 0.0);
    return s;
}

TEST(SquarePath, ClosesWithItsAnalyticLengthEitherWay) {
    Lab lab;
    for (const bool mirror : {false, true}) {
        Scenario s = squareWith(0.0, 0.0, 0.0);
        s.curve.squareL = 3.0;
        s.curve.squareR = 0.6;
        s.mirror = mirror;
        ASSERT_TRUE(checkScenario(*lab.model, s).accepted());
        applyScenario(*lab.model, s);
        const PathTables& t = lab.model->path;
        const double S = 4.0 * (3.0 - 2.0 * 0.6) + kTwoPi * 0.6;
        EXPECT_NEAR(t.pathEnd[21].sf, S, 1e-9);
        EXPECT_EQ(t.pathStartPose[21].x, 1.5);
        EXPECT_EQ(t.pathStartPose[21].theta, mirror ? -kHalfPi : kHalfPi);
        // A corner's middle lies on the diagonal, r·(1 - 1/√2) inside the sharp corner.
        double X = 0.0, Y = 0.0;
        const double mid = 0.9 + 0.6 * kHalfPi / 2.0;
        kernels::pointAt<21>(lab.model->settings.curve, mid, X, Y);
        const double inset = 1.5 - 0.6 * (1.0 - std::sqrt(0.5));
        EXPECT_NEAR(X, inset, 1e-12);
        EXPECT_NEAR(Y, mirror ? -inset : inset, 1e-12);
    }
    // The scenario text names the square like any curve.
    Scenario read;
    ScenarioTextError error;
    ASSERT_TRUE(parseScenarioText("curve=21:3,0.6 mirror", read, error));
    EXPECT_EQ(read.curveNumber, 21);
    EXPECT_EQ(read.curve.squareR, 0.6);
    EXPECT_EQ(scenarioText(read), "curve=21:3,0.6 mirror");

    Scenario bad = squareWith(0.0, 0.0, 0.0);
    for (const auto& [L, r] : {std::pair{0.0, 0.5}, {4.0, 0.0}, {2.0, 1.5}, {-1.0, 0.5}}) {
        bad.curve.squareL = L;
        bad.curve.squareR = r;
        EXPECT_FALSE(checkScenarioCurve(bad).accepted()) << L << " " << r;
    }
}

TEST(SquareBenchmark, FindsWheelAndWheelBaseErrorsAndTheCorrectionRemovesThem) {
    Lab lab;
    // Ed = (1 + e)/(1 - e) = 1.01 with the mean wheel unchanged, Eb = 1.02.
    const double e = 100.0 * 0.01 / 2.01;
    const Scenario s = squareWith(-e, e, 2.0);
    ASSERT_TRUE(checkBenchmark(*lab.model, s, 2).accepted());
    const Calibration c = runCalibration(*lab.model, lab.data, s, 2);
    ASSERT_TRUE(c.before.outcome.done());
    ASSERT_TRUE(c.after.outcome.done());
    EXPECT_NEAR(c.edTrue, 1.01, 1e-12);
    EXPECT_NEAR(c.ebTrue, 1.02, 1e-12);
    // The first estimates are off by their second-order terms, the refined ones are not.
    EXPECT_NEAR(c.estimate.ed - 1.0, 0.01, 0.1 * 0.01);
    EXPECT_NEAR(c.estimate.eb - 1.0, 0.02, 0.1 * 0.02);
    EXPECT_NEAR(c.ed - 1.0, 0.01, 0.05 * 0.01);
    EXPECT_NEAR(c.eb - 1.0, 0.02, 0.05 * 0.02);
    EXPECT_GT(c.before.emaxSyst, 0.1);
    EXPECT_LT(c.after.emaxSyst, c.before.emaxSyst / 10.0);
    // Without noise every run of a direction ends in the same place.
    EXPECT_EQ(c.before.spread, 0.0);
}

TEST(SquareBenchmark, WithSlipTheSpreadStaysAndTheSystematicPartFalls) {
    Lab lab;
    Scenario s = squareWith(-0.5, 0.5, 2.0);
    giveError(s.errors, MechanismError::kSlip, 5.0);
    s.seed = 7;
    const Calibration c = runCalibration(*lab.model, lab.data, s, 5);
    ASSERT_TRUE(c.after.outcome.done());
    EXPECT_GT(c.before.spread, 0.0);
    EXPECT_GT(c.after.spread, 0.5 * c.before.spread);
    EXPECT_LT(c.after.spread, 2.0 * c.before.spread);
    EXPECT_LT(c.after.emaxSyst, c.before.emaxSyst / 3.0);
}

TEST(SquareBenchmark, RefusesNoRunsATightCornerAndNoSide) {
    Lab lab;
    Scenario s = squareWith(0.0, 1.0, 0.0);
    EXPECT_EQ(checkBenchmark(*lab.model, s, 0).kind, BenchmarkRefusalKind::kNoRuns);
    s.curve.squareR = 0.4;
    EXPECT_EQ(checkBenchmark(*lab.model, s, 5).kind, BenchmarkRefusalKind::kCornerTooTight);
    s.curve.squareL = 0.0;
    const BenchmarkRefusal r = checkBenchmark(*lab.model, s, 5);
    EXPECT_EQ(r.kind, BenchmarkRefusalKind::kScenario);
    EXPECT_EQ(r.scenario.kind, RefusalKind::kZeroConstant);
}

TEST(SquareBenchmark, BoundsSlipRunsByTheSquaresLengthOnly) {
    Lab lab;
    Scenario s = squareWith(0.0, 1.0, 0.0);
    // Noise-free, every run of a direction is the first: any number is accepted.
    EXPECT_TRUE(checkBenchmark(*lab.model, s, 1000000).accepted());
    giveError(s.errors, MechanismError::kSlip, 2.0);
    const BenchmarkRefusal r = checkBenchmark(*lab.model, s, 1000000);
    ASSERT_EQ(r.kind, BenchmarkRefusalKind::kTooManySlipRuns);
    EXPECT_NEAR(r.value3, 4.0 * 3.0 + kTwoPi * 0.5, 1e-9);
    const int most = static_cast<int>(r.value2);
    EXPECT_GE(most, kDefaultBenchmarkRuns);
    EXPECT_TRUE(checkBenchmark(*lab.model, s, most).accepted());
    EXPECT_FALSE(checkBenchmark(*lab.model, s, most + 1).accepted());
    // A longer square allows fewer runs.
    s.curve.squareL = 8.0;
    EXPECT_LT(checkBenchmark(*lab.model, s, 1000000).value2, most);
}

}  // namespace
}  // namespace agv
