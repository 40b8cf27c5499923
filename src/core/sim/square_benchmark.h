// The bidirectional square-path benchmark of a differential drive (docs/calibration.md):
// the 2DW1C vehicle without feedback drives the square with rounded corners n times each
// way; where it stops against where the ideal vehicle stops gives two clusters, whose
// centroids give the systematic error and the estimated wheel diameter and WheelBase ratios.
#pragma once

#include <vector>

#include "sim/odometry_correction.h"
#include "sim/run_outcome.h"
#include "sim/scenario.h"

namespace agv {

struct Model;
struct RunData;

/// Runs each way when none are asked for.
inline constexpr int kDefaultBenchmarkRuns = 5;
/// Seed of the first run's slip when the scenario names none.
inline constexpr std::uint32_t kDefaultBenchmarkSeed = 1;

/// Work the slip runs of one direction may take in one benchmark, runs × (square length +
/// kSlipDrawPath) [m]: the lab runs the benchmark three times each way, and this keeps it
/// within a second. Without the slip every run of a direction is the first, so any number
/// of runs is cheap.
inline constexpr double kMaxSlipRunsWork = 700.0;
/// Drawing a run's slip noise costs about as much as driving this much path [m].
inline constexpr double kSlipDrawPath = 15.0;

/// What the benchmark refuses before it runs.
enum class BenchmarkRefusalKind {
    kNone,
    kNoRuns,           ///< fewer than one run each way (value: the runs asked for)
    kCornerTooTight,   ///< a corner radius below half the WheelBase (value: r, value2: limit [m])
    kScenario,         ///< the scenario itself (scenario: its refusal)
    kTooManySlipRuns,  ///< slip runs beyond kMaxSlipRunsWork (value: the runs asked for,
                       ///< value2: the most this square allows, value3: its length [m])
};

struct BenchmarkRefusal {
    BenchmarkRefusalKind kind = BenchmarkRefusalKind::kNone;
    double value = 0.0, value2 = 0.0, value3 = 0.0;
    Refusal scenario;

    bool accepted() const { return kind == BenchmarkRefusalKind::kNone; }
};

/// A return-position error: where the vehicle without feedback stopped minus where the
/// ideal vehicle stopped, at the same time [m].
struct ReturnError {
    double x = 0.0, y = 0.0;
};

/// The runs of one direction.
struct ReturnCluster {
    std::vector<ReturnError> runs;
    /// Mean of the runs [m].
    ReturnError centroid;
    /// Distance of the centroid from the origin, r_c.g. [m].
    double centroidDistance = 0.0;
    /// Largest distance of a run from the centroid [m].
    double spread = 0.0;
};

/// The benchmark's figures for one set of runs.
struct BenchmarkRuns {
    /// Counter-clockwise (the path as it is) and clockwise (mirrored) runs.
    ReturnCluster ccw, cw;
    /// The larger centroid distance, E_max,syst [m].
    double emaxSyst = 0.0;
    /// The larger spread of the two clusters [m].
    double spread = 0.0;
    /// Done, or the first run that did not end well (its outcome).
    RunOutcome outcome;
};

/// The errors the method estimates from the centroids (docs/calibration.md, "Estimates").
struct ErrorEstimate {
    /// Turn error per corner, α [rad]: positive when the vehicle turns too little.
    double alpha = 0.0;
    /// Heading change per side from the unequal wheels, β [rad]: positive to the left.
    double beta = 0.0;
    /// Radius of the curve the vehicle drives instead of a straight side, R [m].
    double radius = 0.0;
    /// Wheel diameter ratio D_R/D_L, E_d.
    double ed = 1.0;
    /// WheelBase ratio actual/nominal, E_b.
    double eb = 1.0;
};

/// The ratios the given errors make: E_d = (1 + right)/(1 + left) from the rear wheel radius
/// errors, E_b = 1 + WheelBase error.
void trueRatios(const ScenarioErrors& errors, double& ed, double& eb);

/// The refusal of a benchmark of the scenario (its curve constants taken as the square's),
/// `runs` times each way; writes nothing.
BenchmarkRefusal checkBenchmark(const Model& model, const Scenario& scenario, int runs);

/// Runs the benchmark: the scenario's errors and square (curve 21 with its constants L, r;
/// curve number and mirror are set here), `runs` times counter-clockwise and `runs` times
/// clockwise. With the slip, run k of each direction takes the seed s + k (s: the scenario's
/// seed, else kDefaultBenchmarkSeed), the clockwise runs s + runs + k. The model must hold
/// the random tables; the scenario is to have passed checkBenchmark. Applies the scenarios
/// to the model.
BenchmarkRuns runBenchmark(Model& model, RunData& data, const Scenario& scenario, int runs);

/// The estimates from the two centroids of a benchmark on the square of the scenario, for a
/// vehicle of nominal WheelBase b [m].
ErrorEstimate estimateErrors(const BenchmarkRuns& runs, const CurveParams& square, double b);

/// The whole lab (docs/calibration.md, "The correction"): the benchmark and its estimates
/// by the published formulas; the benchmark again with them corrected, whose estimates of
/// what is left refine the first; the benchmark with the refined correction. Every
/// benchmark takes the same seeds.
struct Calibration {
    /// The ratios the true errors make.
    double edTrue = 1.0, ebTrue = 1.0;
    BenchmarkRuns before;
    /// The estimates of the first benchmark.
    ErrorEstimate estimate;
    /// The benchmark with the first estimates corrected, and what it estimates is left.
    BenchmarkRuns check;
    ErrorEstimate residual;
    /// The refined estimates, first times residual.
    double ed = 1.0, eb = 1.0;
    OdometryCorrection correction;
    /// The benchmark with the refined correction. A benchmark that did not end leaves the
    /// ones after it empty (its outcome says why, and so does after's).
    BenchmarkRuns after;
};

/// Runs the lab for a scenario that passed checkBenchmark (as runBenchmark).
Calibration runCalibration(Model& model, RunData& data, const Scenario& scenario, int runs);

}  // namespace agv
