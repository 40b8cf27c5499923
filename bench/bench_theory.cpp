// Cost of the linear theory of a run (docs/theory.md) against the run's own computation:
// the poles, figures and steady values of the three types and the predicted dd at every
// record, next to caltraj of the same conditions one type after another.
#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

#include "path/arc_length.h"
#include "sim/caltraj.h"
#include "sim/feedback.h"
#include "sim/linear_theory.h"

namespace {

/// Runs of caltraj timed for the reference.
constexpr int kReferenceRuns = 20;

void BM_TheoryOfDefaultCosineWithDrift(benchmark::State& bench) {
    agv::Model model;
    agv::RunData data;
    model.settings.errorNumber = agv::MechanismError::kSteerDrift;
    model.settings.errorsGiven = agv::errorBit(agv::MechanismError::kSteerDrift);
    model.settings.steerDrift = 2.0 * agv::kRadPerDeg;
    agv::setupPath(model, 1);
    agv::designGains(model);
    agv::buildArcTable(model, 1);
    // Processor time, as the benchmark measures its own: the run is in this thread alone.
    const std::clock_t start = std::clock();
    for (int i = 0; i < kReferenceRuns; ++i)
        agv::caltraj(model, data, agv::TypeScheduling::kOneAfterAnother);
    const double runSeconds =
        static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / kReferenceRuns;

    const agv::TrajectoryStore& store = *data.store;
    std::vector<double> dd(agv::kMaxRecords);
    for (auto _ : bench) {
        const agv::RunTheory theory = agv::runTheory(model);
        benchmark::DoNotOptimize(theory);
        for (int k = 0; k < agv::kVehicleTypeCount; ++k) {
            agv::predictOffsets(model, k + 1, model.settings.dt, store.recordCount[k],
                                store.endTime[k], dd.data());
            benchmark::DoNotOptimize(dd.data());
        }
    }
    bench.counters["run_ms"] = 1e3 * runSeconds;
    // Time per iteration over the run's time, in percent.
    bench.counters["percent_of_run"] =
        benchmark::Counter(runSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}
BENCHMARK(BM_TheoryOfDefaultCosineWithDrift)->Unit(benchmark::kMicrosecond);

/// A design whose fast along-path pole the 4 ms step cannot hold: the theory then searches
/// the fn where it stops holding.
void BM_TheoryBeyondTheStepLimit(benchmark::State& bench) {
    agv::Model model;
    model.settings.errorNumber = agv::MechanismError::kSteerDrift;
    model.settings.steerDrift = 2.0 * agv::kRadPerDeg;
    model.settings.fn = 4.3;
    model.settings.omegaN = agv::kTwoPi * model.settings.fn;
    agv::setupPath(model, 1);
    agv::designGains(model);
    for (auto _ : bench) {
        const agv::RunTheory theory = agv::runTheory(model);
        benchmark::DoNotOptimize(theory);
    }
}
BENCHMARK(BM_TheoryBeyondTheStepLimit)->Unit(benchmark::kMicrosecond);

}  // namespace
