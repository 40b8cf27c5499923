#include "app/calibrate/calibrate_options.h"

#include <cstdint>
#include <vector>

#include "app/common/option_reading.h"
#include "path/curve_kernels.h"
#include "sim/scenario_text.h"

namespace agv {

namespace {

struct NamedError {
    const char* flag;
    MechanismError error;
    std::size_t count;
};

constexpr NamedError kNamedErrors[] = {
    {"--rear-wheels", MechanismError::kRearWheels, 2},
    {"--front-wheel", MechanismError::kFrontWheel, 1},
    {"--drift", MechanismError::kSteerDrift, 1},
    {"--wheelbase-tread", MechanismError::kWheelBaseTread, 2},
    {"--slip", MechanismError::kSlip, 1},
};

}  // namespace

bool parseCalibrateOptions(int argc, const char* const* argv, CalibrateOptions& options,
                           std::string& error) {
    options.scenario.curveNumber = kernels::kSquareCurve;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t equals = arg.find('=');
        const std::string flag = arg.substr(0, equals);
        if (flag == "--help" || flag == "-h") {
            options.help = true;
            continue;
        }
        if (flag == "--json") {
            if (equals != std::string::npos) {
                error = "--json takes no value";
                return false;
            }
            options.json = true;
            continue;
        }
        const NamedError* named = nullptr;
        for (const NamedError& n : kNamedErrors) {
            if (flag == n.flag) named = &n;
        }
        const bool known =
            named || flag == "--square" || flag == "--runs" || flag == "--seed" || flag == "--svg";
        if (!known) {
            error = "unknown option " + quoted(arg);
            return false;
        }
        std::string value;
        if (!takeOptionValue(argc, argv, i, equals, value, error)) return false;
        if (named) {
            std::vector<double> values;
            if (!parseRealList(flag, value, named->count, values, error)) return false;
            if (values.size() != named->count) {
                error = flag + " takes " + std::to_string(named->count) + " value" +
                        (named->count > 1 ? "s" : "") + ", got " + std::to_string(values.size());
                return false;
            }
            giveError(options.scenario.errors, named->error, values[0],
                      named->count > 1 ? values[1] : 0.0);
        } else if (flag == "--square") {
            std::vector<double> values;
            if (!parseRealList(flag, value, 2, values, error)) return false;
            options.scenario.curve.squareL = values[0];
            if (values.size() > 1) options.scenario.curve.squareR = values[1];
        } else if (flag == "--runs") {
            if (!parseInteger(flag, value, options.runs, error)) return false;
        } else if (flag == "--seed") {
            std::uint32_t seed = 0;
            if (!readSeed(value, seed)) {
                error = "--seed must be a whole number from 0 to 4294967295, not " + quoted(value);
                return false;
            }
            options.scenario.seed = seed;
        } else {
            if (value.empty()) {
                error = "--svg needs a file name";
                return false;
            }
            options.svgPath = value;
        }
    }
    return true;
}

const char* calibrateUsage() {
    return R"(Usage: agvsim-calibrate [options]

The bidirectional square-path benchmark of the differential drive (2DW1C): its vehicle
without feedback drives the square with rounded corners (curve 21) n times
counter-clockwise and n times clockwise; where it stops against where the ideal vehicle
stops gives two clusters. From their centroids the published method estimates the wheel
diameter ratio Ed = D_R/D_L and the WheelBase ratio Eb = actual/nominal; the estimates are
corrected into the vehicle's wheel commands and the benchmark runs again; what it still
finds refines the estimates, and the benchmark runs a third time with the refined
correction (docs/calibration.md).

The true errors (the console's units; any combination):
  --rear-wheels L,R      rear wheel radius errors in percent (Ed = (1+R%)/(1+L%))
  --wheelbase-tread WB,TR  WheelBase and Tread errors in percent (Eb = 1+WB%)
  --slip P               random drive-wheel slip in percent
  --front-wheel P        front wheel radius error in percent (no effect on the 2DW1C)
  --drift DEG            steering angle drift in degrees (no effect on the 2DW1C)
  --seed N               seed of the slip of the first run (default 1); run k of each
                         direction takes N+k counter-clockwise and N+n+k clockwise, the
                         corrected runs the same seeds

The benchmark:
  --square L,r           side L and corner radius r of the square [m] (default 4,0.5);
                         L > 0, r at least half the WheelBase (0.5 m) and 2r <= L
  --runs N               runs each way, N >= 1 (default 5); with the slip at most
                         700 m / (square length + 15 m), which keeps the lab within a
                         second: 23 on the default square (without the slip every run
                         of a direction is the same, and any N is quick)

Output:
  --json                 one JSON object instead of the table: ed_true, eb_true,
                         ed_estimated, eb_estimated (refined), ed_first, eb_first (one
                         benchmark), alpha_rad, beta_rad, radius, c_left, c_right, runs,
                         emax_syst_before, emax_syst_check, emax_syst_after,
                         spread_before, spread_after, and before/after the correction the
                         return errors of every run and the centroids (metres)
  --svg FILE             the return positions as SVG: both clusters before and after the
                         correction, their centroids, the axes in mm ("-": standard output,
                         instead of the table)
  --help                 this text

Exit status:
  0  the benchmark ran before and after the correction
  1  it could not run: the random tables, a run that did not end, an output not written
  2  usage: an unknown option, a value that does not read, or a refusal (L <= 0, r too
     small for the vehicle or too large for L, N < 1 or too many runs with the slip, error
     values the vehicle cannot take)
)";
}

}  // namespace agv
