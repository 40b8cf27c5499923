// Command-line options of agvsim-batch, the scripted run of the console dialogue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/common/option_reading.h"
#include "sim/exercise.h"
#include "sim/scenario.h"

namespace agv {

/// Everything a scripted run is told on its command line.
struct BatchOptions {
    /// Mechanism error 0 to 5 of --error.
    int errorNumber = 0;
    /// Its values in console units (percent; degrees for error 3); all 0 when omitted.
    double errorValue1 = 0.0, errorValue2 = 0.0;
    /// The errors given by their named options (--rear-wheels, --drift, ...), combinable.
    ScenarioErrors namedErrors;
    /// Start of the slip's random sequence (--seed); none: the program's own.
    std::optional<std::uint32_t> seed;
    /// The path reflected about the x axis (--mirror).
    bool mirror = false;
    /// The feedback law (--controller) and the laws' parameters (--lookahead,
    /// --stanley-gain, --lqr-weights).
    ControllerKind controller = ControllerKind::kFnZeta;
    ControllerParams controllerParams;
    /// The whole scenario as one text (--scenario), instead of the condition options.
    bool scenarioGiven = false;
    Scenario scenario;
    /// A condition option or --scenario was given.
    bool conditionsGiven = false;
    /// The exercise the run answers (--exercise): its targets are judged on the run of
    /// --scenario or the condition options, or without them of its own start values.
    bool exerciseGiven = false;
    Exercise exercise;
    /// Print the scenario's text and compute nothing (--print-scenario).
    bool printScenario = false;

    /// True when --curve or --curve-params was given: the run changes the path.
    bool pathChanged = false;
    /// Curve number I (1-4, 11-16, 21).
    int curveNumber = 1;
    /// Curve constants in the order the path dialogue reads them (empty: keep the start-up
    /// constants).
    std::vector<double> curveParams;

    /// Natural frequency of the feedback system [Hz].
    double fn = 1.0;
    /// Damping ratio of the feedback system.
    double zeta = 1.0;

    /// Trajectory table to write ("-" for standard output, empty for none).
    std::string csvPath;
    /// Print the per-type summary table.
    bool summary = false;
    /// Print the linear theory beside the simulated values.
    bool theory = false;

    /// Picture export: single PNG file and/or a folder of animation frames.
    std::string pngPath;
    std::string framesDir;
    /// Animated GIF of the frames (empty for none).
    std::string gifPath;
    /// Frames are written every this many records.
    int frameEvery = 1;
    /// Vehicle type shown in the pictures (1 to 3).
    int vehicleType = 1;
    /// Record index of the picture; -1 means the last record.
    int motionIndex = 0;
    /// Presses of 'w' (negative: 'W').
    int zoomSteps = 0;
    /// Presses of 'X' and 'Y' (negative: 'x' and 'y').
    int shiftX = 0, shiftY = 0;

    /// --help was asked for.
    bool help = false;
};

/// Reads the arguments (argv[1..argc-1]) into options. On a bad argument returns false
/// with a one-line explanation in error (without the program name).
bool parseBatchOptions(int argc, const char* const* argv, BatchOptions& options,
                       std::string& error);

/// The scenario the options choose; constants not given keep their start-up values.
Scenario scenarioOf(const BatchOptions& options);

/// The named option of an error 1 to 5 ("--drift"); "" for any other.
const char* namedErrorFlag(MechanismError error);

/// The usage text printed by --help and after a bad argument.
std::string batchUsage();

}  // namespace agv
