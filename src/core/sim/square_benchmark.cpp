#include "sim/square_benchmark.h"

#include <cmath>
#include <limits>

#include "path/curve_kernels.h"
#include "sim/caltraj.h"
#include "sim/model.h"
#include "sim/run_data.h"

namespace agv {

namespace {

/// Percent to ratio.
constexpr double kPercent = 0.01;
/// Type index of the 2DW1C, the differential drive.
constexpr int kDifferentialDrive = k2DW1C - 1;

Scenario squareScenario(const Scenario& scenario, bool clockwise) {
    Scenario s = scenario;
    s.curveNumber = kernels::kSquareCurve;
    s.mirror = clockwise;
    return s;
}

/// The return error of the last record of the differential drive.
ReturnError returnError(const TrajectoryStore& store) {
    const int n = store.recordCount[kDifferentialDrive];
    const PoseRecord& real = store.noFbcTraj[kDifferentialDrive][n];
    const PoseRecord& ideal = store.theoryTraj[kDifferentialDrive][n];
    return ReturnError{real[kPoseX] - ideal[kPoseX], real[kPoseY] - ideal[kPoseY]};
}

void summarise(ReturnCluster& cluster) {
    double sx = 0.0;
    double sy = 0.0;
    for (const ReturnError& e : cluster.runs) {
        sx += e.x;
        sy += e.y;
    }
    const double n = static_cast<double>(cluster.runs.size());
    cluster.centroid = ReturnError{sx / n, sy / n};
    cluster.centroidDistance = std::hypot(cluster.centroid.x, cluster.centroid.y);
    cluster.spread = 0.0;
    for (const ReturnError& e : cluster.runs) {
        const double d = std::hypot(e.x - cluster.centroid.x, e.y - cluster.centroid.y);
        if (d > cluster.spread) cluster.spread = d;
    }
}

}  // namespace

void trueRatios(const ScenarioErrors& errors, double& ed, double& eb) {
    const bool wheels = hasError(errors.given, MechanismError::kRearWheels);
    const bool base = hasError(errors.given, MechanismError::kWheelBaseTread);
    const double left = wheels ? errors.rearLeft * kPercent : 0.0;
    const double right = wheels ? errors.rearRight * kPercent : 0.0;
    ed = (1.0 + right) / (1.0 + left);
    eb = 1.0 + (base ? errors.wheelBase * kPercent : 0.0);
}

BenchmarkRefusal checkBenchmark(const Model& model, const Scenario& scenario, int runs) {
    BenchmarkRefusal r;
    if (runs < 1) {
        r.kind = BenchmarkRefusalKind::kNoRuns;
        r.value = runs;
        return r;
    }
    for (const bool clockwise : {false, true}) {
        r.scenario = checkScenario(model, squareScenario(scenario, clockwise));
        if (!r.scenario.accepted()) {
            r.kind = BenchmarkRefusalKind::kScenario;
            return r;
        }
    }
    // Below half the WheelBase the inner wheel would have to run backwards in the corners.
    const double limit = model.settings.wheelBase / 2.0;
    if (scenario.curve.squareR < limit) {
        r.kind = BenchmarkRefusalKind::kCornerTooTight;
        r.value = scenario.curve.squareR;
        r.value2 = limit;
        return r;
    }
    // Only slip runs cost time in proportion to their number and the square's length.
    if (!scenario.errors.unset && hasError(scenario.errors.given, MechanismError::kSlip)) {
        const double length = scenarioPathLength(model, squareScenario(scenario, false));
        const double allowed = std::floor(kMaxSlipRunsWork / (length + kSlipDrawPath));
        if (!(runs <= allowed)) {
            r.kind = BenchmarkRefusalKind::kTooManySlipRuns;
            r.value = runs;
            r.value2 = allowed;
            r.value3 = length;
        }
    }
    return r;
}

BenchmarkRuns runBenchmark(Model& model, RunData& data, const Scenario& scenario, int runs) {
    BenchmarkRuns result;
    const std::uint32_t first = scenario.seed.value_or(kDefaultBenchmarkSeed);
    for (const bool clockwise : {false, true}) {
        ReturnCluster& cluster = clockwise ? result.cw : result.ccw;
        const std::uint32_t base = first + (clockwise ? static_cast<std::uint32_t>(runs) : 0u);
        Scenario s = squareScenario(scenario, clockwise);
        s.seed = base;
        // The runs of a direction differ only in their seed: one path set-up and arc table.
        applyScenario(model, s);
        // Without the slip the seed draws nothing, and every run ends where the first did.
        const bool noisy = hasError(model.settings.errorsGiven, MechanismError::kSlip);
        for (int k = 0; k < runs; ++k) {
            if (k > 0 && !noisy) {
                cluster.runs.push_back(cluster.runs.front());
                continue;
            }
            if (k > 0) applySeed(model, base + static_cast<std::uint32_t>(k));
            // Only the differential drive's records count: the other types are not run.
            drawSlipNoise(model, data);
            const RunOutcome outcome = computeMechanism(model, data, kDifferentialDrive);
            if (!outcome.done()) {
                result.outcome = outcome;
                return result;
            }
            cluster.runs.push_back(returnError(*data.store));
        }
        summarise(cluster);
    }
    result.emaxSyst = std::fmax(result.ccw.centroidDistance, result.cw.centroidDistance);
    result.spread = std::fmax(result.ccw.spread, result.cw.spread);
    return result;
}

ErrorEstimate estimateErrors(const BenchmarkRuns& runs, const CurveParams& square, double b) {
    // docs/calibration.md, "Estimates": the published relations with the centroids of this
    // start (mid-side, heading along y), and the side's length where β builds up.
    const double L = square.squareL;
    const double yCw = runs.cw.centroid.y;
    const double yCcw = runs.ccw.centroid.y;
    ErrorEstimate e;
    e.beta = (yCw + yCcw) / (4.0 * L);
    e.alpha = (yCw - yCcw) / (4.0 * L);
    const double side = L - (2.0 - kHalfPi) * square.squareR;
    if (e.beta == 0.0) {
        // Straight sides: no radius, equal wheels.
        e.radius = std::numeric_limits<double>::infinity();
        e.ed = 1.0;
    } else {
        e.radius = (side / 2.0) / std::sin(e.beta / 2.0);
        e.ed = (e.radius + b / 2.0) / (e.radius - b / 2.0);
    }
    e.eb = kHalfPi / (kHalfPi - e.alpha);
    return e;
}

Calibration runCalibration(Model& model, RunData& data, const Scenario& scenario, int runs) {
    Calibration c;
    trueRatios(scenario.errors, c.edTrue, c.ebTrue);
    c.before = runBenchmark(model, data, scenario, runs);
    if (!c.before.outcome.done()) return c;
    const double b = model.settings.wheelBase;
    c.estimate = estimateErrors(c.before, scenario.curve, b);
    Scenario corrected = scenario;
    corrected.correction = correctionFrom(c.estimate.ed, c.estimate.eb);
    c.check = runBenchmark(model, data, corrected, runs);
    if (!c.check.outcome.done()) {
        // Front ends look at before and after: an empty after must not read as done.
        c.after.outcome = c.check.outcome;
        return c;
    }
    // What is left after a correction is the ratio of the truth to the correction's ratios.
    c.residual = estimateErrors(c.check, scenario.curve, b);
    c.ed = c.estimate.ed * c.residual.ed;
    c.eb = c.estimate.eb * c.residual.eb;
    c.correction = correctionFrom(c.ed, c.eb);
    corrected.correction = c.correction;
    c.after = runBenchmark(model, data, corrected, runs);
    return c;
}

}  // namespace agv
