// Speed of the calibration lab: the whole runCalibration (three benchmarks, before, check
// and after the correction) on the default square with the default runs each way, with
// and without slip. Medians of repetitions; the machine may be shared.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/common/random_table_file.h"
#include "path/curve_kernels.h"
#include "sim/model.h"
#include "sim/run_data.h"
#include "sim/square_benchmark.h"

namespace {

/// Rear wheel radius errors [%] and WheelBase error [%] of the timed vehicle.
constexpr double kRearLeft = -0.5;
constexpr double kRearRight = 0.5;
constexpr double kWheelBase = 2.0;
/// Slip [%] of the noisy case.
constexpr double kSlip = 2.0;

void runLab(benchmark::State& bench, bool slip) {
    auto model = std::make_unique<agv::Model>();
    std::string error;
    if (!agv::loadRandomTables(model->tables, error)) {
        bench.SkipWithError(error.c_str());
        return;
    }
    auto data = std::make_unique<agv::RunData>();
    agv::Scenario s;
    s.curveNumber = agv::kernels::kSquareCurve;
    agv::giveError(s.errors, agv::MechanismError::kRearWheels, kRearLeft, kRearRight);
    agv::giveError(s.errors, agv::MechanismError::kWheelBaseTread, kWheelBase, 0.0);
    if (slip) agv::giveError(s.errors, agv::MechanismError::kSlip, kSlip);
    if (!agv::checkBenchmark(*model, s, agv::kDefaultBenchmarkRuns).accepted()) {
        bench.SkipWithError("the benchmark refused the scenario");
        return;
    }
    for (auto _ : bench) {
        const agv::Calibration c =
            agv::runCalibration(*model, *data, s, agv::kDefaultBenchmarkRuns);
        if (!c.after.outcome.done()) bench.SkipWithError("a run did not end");
        benchmark::DoNotOptimize(c.after.emaxSyst);
    }
}

void BM_CalibrationDefault(benchmark::State& bench) {
    runLab(bench, false);
}
BENCHMARK(BM_CalibrationDefault)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_CalibrationSlip(benchmark::State& bench) {
    runLab(bench, true);
}
BENCHMARK(BM_CalibrationSlip)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace
