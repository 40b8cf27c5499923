// One grid point of a sweep: the base scenario with fn, ζ and the error size substituted,
// run through the same steps as agvsim-batch, reduced to outcome and key figures per
// mechanism. This pair is the sweep's only contact with the simulator.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "noise/random_tables.h"
#include "sim/controller.h"
#include "sim/scenario.h"

namespace agv {

struct AgvContext;

/// How the run of one mechanism at one grid point ended.
enum class CellOutcome { kDone, kTooLong, kOverflow, kRefused, kDiverged, kPartial };

/// What the figures of a row with --seeds are: one seed's run, or a statistic over the seeds.
enum class SeedStatistic { kNone, kMean, kSd, kWorst };

/// The CSV word of an outcome (done, too_long, overflow, refused, diverged; partial for a
/// statistic over seeds of which only some ran to the end).
const char* outcomeName(CellOutcome outcome);

/// One of the laws a sweep compares at every grid point, with its parameter.
struct LawVariant {
    ControllerKind kind = ControllerKind::kFnZeta;
    /// Pure pursuit's look-ahead [m] or the Stanley law's gain [1/s]; unused by the
    /// other laws.
    double parameter = 0.0;
};

/// The swept quantities of one grid point.
struct GridValues {
    /// Natural frequency of the feedback system [Hz].
    double fn = 1.0;
    /// Damping ratio.
    double zeta = 1.0;
    /// Size of the mechanism error (percent; degrees for error 3); replaces the first
    /// error value.
    double errorSize = 0.0;
    /// In a sweep that compares laws: the law of this run, replacing the scenario's.
    std::optional<LawVariant> law;
    /// With --seeds: the seed of the slip of this run.
    std::optional<std::uint32_t> seed;
    /// With --seeds: the statistic over the seeds that a row of figures is.
    SeedStatistic statistic = SeedStatistic::kNone;
};

/// Outcome and key figures of one mechanism at one grid point.
struct MechanismResult {
    CellOutcome outcome = CellOutcome::kRefused;
    /// Whether records, endTime and the figures below hold values.
    bool hasFigures = false;
    /// Records 0..N were written: N + 1.
    int records = 0;
    /// Time at which the theoretical vehicle reaches the path end [s].
    double endTime = 0.0;
    /// Largest |dd| [m] and |dth| [rad] without and with FBC.
    double nofbcMaxDd = 0.0, nofbcMaxDth = 0.0, fbcMaxDd = 0.0, fbcMaxDth = 0.0;
    /// Root mean square of dd with FBC over all records [m].
    double fbcRmsDd = 0.0;
    /// dd [m] and dth [rad] with FBC on the last record.
    double fbcFinalDd = 0.0, fbcFinalDth = 0.0;
    /// The linear theory of the grid point (docs/theory.md), when asked for and the
    /// conditions were accepted: largest real part of the poles [1/s], 2 % settling time
    /// [s] and the steady dd [m] (not defined: NaN); whether every pole stays within the
    /// stability region of the integration step; whether the predicted response reaches a
    /// limit of the model.
    bool hasTheory = false;
    double maxPoleReal = 0.0, settlingTime = 0.0, theorySteadyDd = 0.0;
    bool stepStable = true, beyondLinear = false;
    /// Why the outcome is not done (one line; empty when done).
    std::string reason;
};

using PointResult = std::array<MechanismResult, 3>;

/// What every worker shares: the random tables, loaded once.
class SweepModel {
  public:
    SweepModel();
    ~SweepModel();
    SweepModel(const SweepModel&) = delete;
    SweepModel& operator=(const SweepModel&) = delete;

    /// Reads the random tables (from folder only, when it is not empty); false with the
    /// reason in error.
    bool load(std::string& error, const std::string& folder = {});
    const RandomTables& tables() const { return tables_; }

  private:
    RandomTables tables_{};
};

/// Exit status of a base scenario that cannot run: 2 refused, 3 path too long.
inline constexpr int kScenarioRefused = 2;
inline constexpr int kScenarioTooLong = 3;

/// The error size of the base scenario: its first error value.
double baseErrorSize(const Scenario& scenario);

/// One worker's run data, reused from grid point to grid point.
class SweepRunner {
  public:
    explicit SweepRunner(const SweepModel& model);
    ~SweepRunner();
    SweepRunner(const SweepRunner&) = delete;
    SweepRunner& operator=(const SweepRunner&) = delete;

    /// Runs all three mechanisms at one grid point; the same results as agvsim-batch with
    /// these conditions, whatever ran before on this runner. When stop is set while it
    /// computes, the run ends early and its result is not to be used.
    PointResult run(const Scenario& scenario, const GridValues& values,
                    const std::atomic<bool>* stop = nullptr);

    /// The dialogue's checks of the scenario with these values, without computing: 0 when
    /// they pass, else kScenarioRefused or kScenarioTooLong with a one-line reason.
    int check(const Scenario& scenario, const GridValues& values, std::string& reason);

    /// Adds the linear theory to the results of run.
    void setTheory(bool on) { theory_ = on; }

  private:
    /// Start-up state with fresh random numbers, then the checks; false when refused.
    bool prepare(const Scenario& scenario, const GridValues& values, CellOutcome& outcome,
                 std::string& reason);
    /// The run of the prepared conditions.
    PointResult computeRun(const std::atomic<bool>* stop);

    const SweepModel& model_;
    std::unique_ptr<AgvContext> ctx_;
    bool theory_ = false;
};

}  // namespace agv
