// agvsim-calibrate: the square-path benchmark of the differential drive, the estimated wheel
// diameter and WheelBase ratios, and the benchmark again with them corrected.
#include <iostream>
#include <memory>
#include <string>

#include "app/calibrate/calibrate_options.h"
#include "app/calibrate/calibration_report.h"
#include "app/common/outcome_text.h"
#include "app/common/output_target.h"
#include "app/common/random_table_file.h"
#include "app/common/text_output.h"
#include "sim/model.h"
#include "sim/run_data.h"
#include "sim/square_benchmark.h"

namespace {

/// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kProgramName = "agvsim-calibrate";

int usageError(const std::string& message) {
    std::cerr << kProgramName << ": " << message << "\n\n" << agv::calibrateUsage();
    return kExitUsage;
}

std::string benchmarkRefusalReason(const agv::BenchmarkRefusal& r) {
    switch (r.kind) {
        case agv::BenchmarkRefusalKind::kNone:
            return "";
        case agv::BenchmarkRefusalKind::kNoRuns:
            return agv::formatText("--runs: %g runs each way; at least 1 is needed", r.value);
        case agv::BenchmarkRefusalKind::kCornerTooTight:
            return agv::formatText(
                "--square: a corner radius of %g m is too small for the vehicle: its inner "
                "wheel would run backwards below half the WheelBase, %g m",
                r.value, r.value2);
        case agv::BenchmarkRefusalKind::kTooManySlipRuns:
            return agv::formatText(
                "--runs: %g runs each way with the slip; the %g m square allows at most %g "
                "(a second's work; a smaller --square allows more)",
                r.value, r.value3, r.value2);
        case agv::BenchmarkRefusalKind::kScenario: {
            // The square's constants are --square's; the rest are the error options'.
            const agv::ScenarioField f = r.scenario.field;
            const bool square = f == agv::ScenarioField::kCurveConstant ||
                                f == agv::ScenarioField::kCurveConstants ||
                                f == agv::ScenarioField::kPathLength;
            return (square ? "--square: " : "") + agv::refusalReason(r.scenario);
        }
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    agv::CalibrateOptions options;
    std::string error;
    if (!agv::parseCalibrateOptions(argc, argv, options, error)) return usageError(error);
    if (options.help) {
        std::cout << agv::calibrateUsage();
        return kExitOk;
    }
    auto model = std::make_unique<agv::Model>();
    if (!agv::loadRandomTables(model->tables, error)) {
        std::cerr << kProgramName << ": " << error << "\n";
        return kExitFailure;
    }
    const agv::BenchmarkRefusal refusal =
        agv::checkBenchmark(*model, options.scenario, options.runs);
    if (!refusal.accepted()) {
        std::cerr << kProgramName << ": " << benchmarkRefusalReason(refusal) << " (see --help)\n";
        return kExitUsage;
    }

    auto data = std::make_unique<agv::RunData>();
    const agv::Calibration c = agv::runCalibration(*model, *data, options.scenario, options.runs);
    for (const agv::BenchmarkRuns* runs : {&c.before, &c.after}) {
        if (!runs->outcome.done()) {
            std::cerr << kProgramName << ": a run of the benchmark did not end: "
                      << agv::outcomeReason(runs->outcome) << "\n";
            return kExitFailure;
        }
    }
    if (!options.svgPath.empty()) {
        agv::OutputTarget target;
        if (!target.open(options.svgPath, error) || !target.write(agv::returnPositionsSvg(c)) ||
            !target.commit(error)) {
            std::cerr << kProgramName << ": --svg " << options.svgPath << ": " << error << "\n";
            return kExitFailure;
        }
    }
    if (options.svgPath == "-") return kExitOk;
    std::cout << (options.json ? agv::calibrationJson(c, options.scenario, options.runs)
                               : agv::calibrationTable(c, options.scenario, options.runs));
    return std::cout.good() ? kExitOk : kExitFailure;
}
