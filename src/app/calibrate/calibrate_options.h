// The command line of agvsim-calibrate: the true mechanism errors, the square, the runs
// each way and the outputs.
#pragma once

#include <string>

#include "sim/scenario.h"
#include "sim/square_benchmark.h"

namespace agv {

struct CalibrateOptions {
    /// The errors, the seed and the square's constants (squareL, squareR) of the runs.
    Scenario scenario;
    /// Runs each way.
    int runs = kDefaultBenchmarkRuns;
    /// Print one JSON object instead of the table.
    bool json = false;
    /// Where to write the picture of the return positions (empty: none).
    std::string svgPath;
    bool help = false;
};

/// Reads the arguments; false with a one-line message in error.
bool parseCalibrateOptions(int argc, const char* const* argv, CalibrateOptions& options,
                           std::string& error);

/// The --help text.
const char* calibrateUsage();

}  // namespace agv
