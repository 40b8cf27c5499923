#include "app/batch/options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/batch/exercise_report.h"
#include "app/common/option_reading.h"
#include "app/common/output_clash.h"
#include "path/curve_catalog.h"
#include "sim/exercise_text.h"
#include "sim/mechanism_error.h"
#include "sim/scenario_text.h"

namespace agv {
namespace {

/// Bound on the key presses a picture request may replay (0.9^1000 is still a usable scale).
constexpr int kMaxKeyPresses = 1000;

/// Names of the constants of a curve, in the order the path dialogue reads them ("A,L,n").
std::string curveConstantNames(int curveNumber) {
    const CurveInfo* info = findCurveInfo(curveNumber);
    std::string names;
    for (int i = 0; info && i < info->constantCount; ++i)
        names += (i > 0 ? "," : "") + std::string(info->constants[i].name);
    return names;
}

/// Values each error number reads: two for the pairs 1 and 4, none for 0, one otherwise.
int errorValueCount(int errorNumber) {
    const MechanismErrorInfo* info = mechanismErrorInfo(mechanismErrorOf(errorNumber));
    return info ? info->valueCount : 0;
}

bool parseBoundedKeyPresses(const std::string& flag, const std::string& text, int& value,
                            std::string& error) {
    if (!parseInteger(flag, text, value, error)) return false;
    if (value < -kMaxKeyPresses || value > kMaxKeyPresses) {
        error = flag + " must lie between " + std::to_string(-kMaxKeyPresses) + " and " +
                std::to_string(kMaxKeyPresses);
        return false;
    }
    return true;
}

/// Qd, Qθ, Qφ and R of --lqr-weights.
constexpr std::size_t kLqrWeightCount = 4;

/// The named options of the mechanism errors, and the error each gives.
struct NamedErrorOption {
    const char* flag;
    MechanismError error;
};
constexpr NamedErrorOption kNamedErrorOptions[] = {
    {"--rear-wheels", MechanismError::kRearWheels},
    {"--front-wheel", MechanismError::kFrontWheel},
    {"--drift", MechanismError::kSteerDrift},
    {"--wheelbase-tread", MechanismError::kWheelBaseTread},
    {"--slip", MechanismError::kSlip},
};

/// The named option of an error, or nullptr for a flag that is none.
const NamedErrorOption* namedErrorOption(const std::string& flag) {
    for (const NamedErrorOption& o : kNamedErrorOptions) {
        if (flag == o.flag) return &o;
    }
    return nullptr;
}

/// The options that describe the scenario, which --scenario replaces.
bool isConditionOption(const std::string& flag) {
    return flag == "--error" || flag == "--error-values" || flag == "--curve" ||
           flag == "--curve-params" || flag == "--fn" || flag == "--zeta" || flag == "--seed" ||
           flag == "--mirror" || flag == "--controller" || flag == "--lookahead" ||
           flag == "--stanley-gain" || flag == "--lqr-weights" || namedErrorOption(flag) != nullptr;
}

/// Applies one option with its value; false with a message when the value is bad.
bool applyOption(const std::string& flag, const std::string& value, BatchOptions& options,
                 bool& errorValuesGiven, std::vector<double>& errorValues, std::string& error) {
    if (flag == "--error") {
        if (!parseInteger(flag, value, options.errorNumber, error)) return false;
        if (options.errorNumber < 0 || options.errorNumber > kMaxErrorNumber) {
            error = "--error must be 0 to 5, not " + std::to_string(options.errorNumber);
            return false;
        }
    } else if (flag == "--error-values") {
        if (!parseRealList(flag, value, 2, errorValues, error)) return false;
        errorValuesGiven = true;
    } else if (const NamedErrorOption* named = namedErrorOption(flag)) {
        const int count = mechanismErrorInfo(named->error)->valueCount;
        std::vector<double> values;
        if (!parseRealList(flag, value, count, values, error)) return false;
        if (static_cast<int>(values.size()) != count) {
            error = flag + (count == 1 ? " takes one value" : " takes two values") + ", got " +
                    std::to_string(values.size());
            return false;
        }
        giveError(options.namedErrors, named->error, values[0], count > 1 ? values[1] : 0.0);
    } else if (flag == "--seed") {
        std::uint32_t seed = 0;
        if (!readSeed(value, seed)) {
            error = "--seed must be a whole number from 0 to 4294967295, not " + quoted(value);
            return false;
        }
        options.seed = seed;
    } else if (flag == "--controller") {
        if (!controllerOfName(value.c_str(), options.controller)) {
            error =
                "--controller must be fnzeta, pure-pursuit, stanley or lqr, not " + quoted(value);
            return false;
        }
    } else if (flag == "--lookahead" || flag == "--stanley-gain") {
        // Values that make no sense are refused by the core's check, naming the option.
        ControllerParams& c = options.controllerParams;
        return parseReal(flag, value, flag == "--lookahead" ? c.lookahead : c.stanleyGain, error);
    } else if (flag == "--lqr-weights") {
        std::vector<double> weights;
        if (!parseRealList(flag, value, kLqrWeightCount, weights, error)) return false;
        if (weights.size() != kLqrWeightCount) {
            error = "--lqr-weights takes four values Qd,Qth,Qphi,R, got " +
                    std::to_string(weights.size());
            return false;
        }
        ControllerParams& c = options.controllerParams;
        c.lqrOffset = weights[0];
        c.lqrHeading = weights[1];
        c.lqrThird = weights[2];
        c.lqrInput = weights[3];
    } else if (flag == "--scenario") {
        ScenarioTextError bad;
        if (!parseScenarioText(value, options.scenario, bad)) {
            error = "--scenario: " + quoted(bad.field) + " " + bad.message;
            return false;
        }
        options.scenarioGiven = true;
    } else if (flag == "--exercise") {
        ExerciseError bad;
        if (!parseExerciseText(value, options.exercise, bad)) {
            error = "--exercise: " + exerciseErrorText(bad);
            return false;
        }
        options.exerciseGiven = true;
    } else if (flag == "--curve") {
        if (!parseInteger(flag, value, options.curveNumber, error)) return false;
        if (curveConstantCount(options.curveNumber) == 0) {
            error = "--curve: " + std::to_string(options.curveNumber) +
                    " is not a curve number (1-4, 11-16, 21)";
            return false;
        }
        options.pathChanged = true;
    } else if (flag == "--curve-params") {
        if (!parseRealList(flag, value, 3, options.curveParams, error)) return false;
        options.pathChanged = true;
    } else if (flag == "--fn" || flag == "--zeta") {
        // Zero and other unusable designs are refused by the dialogue's own check.
        return parseReal(flag, value, flag == "--fn" ? options.fn : options.zeta, error);
    } else if (flag == "--csv") {
        if (value.empty()) {
            error = "--csv needs a file name or '-'";
            return false;
        }
        options.csvPath = value;
    } else if (flag == "--png" || flag == "--frames" || flag == "--gif") {
        if (value.empty()) {
            error = flag + " needs a path";
            return false;
        }
        (flag == "--png"   ? options.pngPath
         : flag == "--gif" ? options.gifPath
                           : options.framesDir) = value;
    } else if (flag == "--type") {
        if (!parseInteger(flag, value, options.vehicleType, error)) return false;
        if (options.vehicleType < 1 || options.vehicleType > 3) {
            error = "--type must be 1, 2 or 3, not " + std::to_string(options.vehicleType);
            return false;
        }
    } else if (flag == "--index") {
        if (value == "end") {
            options.motionIndex = -1;
        } else if (!parseInteger(flag, value, options.motionIndex, error) ||
                   options.motionIndex < 0) {
            error = "--index must be a record index (0 or more) or 'end', not " + quoted(value);
            return false;
        }
    } else if (flag == "--zoom") {
        return parseBoundedKeyPresses(flag, value, options.zoomSteps, error);
    } else if (flag == "--shift") {
        std::vector<std::string> items;
        if (!splitList(flag, value, 2, items, error)) return false;
        if (items.size() != 2) {
            error = "--shift takes two whole numbers DX,DY";
            return false;
        }
        return parseBoundedKeyPresses(flag, items[0], options.shiftX, error) &&
               parseBoundedKeyPresses(flag, items[1], options.shiftY, error);
    } else if (flag == "--every") {
        if (!parseInteger(flag, value, options.frameEvery, error)) return false;
        if (options.frameEvery < 1) {
            error = "--every must be at least 1, not " + std::to_string(options.frameEvery);
            return false;
        }
    }
    return true;
}

bool isValueOption(const std::string& flag) {
    static const char* const kValueOptions[] = {
        "--error",        "--error-values", "--curve",
        "--curve-params", "--fn",           "--zeta",
        "--csv",          "--png",          "--frames",
        "--gif",          "--every",        "--type",
        "--index",        "--zoom",         "--shift",
        "--seed",         "--scenario",     "--rear-wheels",
        "--front-wheel",  "--drift",        "--wheelbase-tread",
        "--slip",         "--controller",   "--lookahead",
        "--stanley-gain", "--lqr-weights",  "--exercise"};
    for (const char* name : kValueOptions) {
        if (flag == name) return true;
    }
    return false;
}

bool parseArguments(int argc, const char* const* argv, BatchOptions& options, std::string& error);

}  // namespace

bool parseBatchOptions(int argc, const char* const* argv, BatchOptions& options,
                       std::string& error) {
    if (parseArguments(argc, argv, options, error)) return true;
    error = printable(error);
    return false;
}

namespace {

bool parseArguments(int argc, const char* const* argv, BatchOptions& options, std::string& error) {
    options = BatchOptions{};
    bool errorValuesGiven = false;
    bool everyGiven = false;
    std::vector<double> errorValues;
    std::vector<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument.rfind("--", 0) != 0 || argument.size() == 2) {
            error = "unexpected argument " + quoted(argument);
            return false;
        }
        const std::size_t equals = argument.find('=');
        const std::string flag = argument.substr(0, equals);
        // A second value would silently win over the first: say which option repeats.
        if ((flag == "--summary" || flag == "--theory" || flag == "--mirror" ||
             flag == "--print-scenario" || isValueOption(flag)) &&
            std::find(seen.begin(), seen.end(), flag) != seen.end()) {
            error = flag + " given more than once";
            return false;
        }
        seen.push_back(flag);
        if (flag == "--help" || flag == "--summary" || flag == "--theory" || flag == "--mirror" ||
            flag == "--print-scenario") {
            if (equals != std::string::npos) {
                error = flag + " takes no value";
                return false;
            }
            if (flag == "--help") {
                options.help = true;
                return true;
            }
            (flag == "--summary"  ? options.summary
             : flag == "--theory" ? options.theory
             : flag == "--mirror" ? options.mirror
                                  : options.printScenario) = true;
            continue;
        }
        if (!isValueOption(flag)) {
            error = "unknown option " + shownArgument(flag);
            return false;
        }
        std::string value;
        if (!takeOptionValue(argc, argv, i, equals, value, error)) return false;
        everyGiven = everyGiven || flag == "--every";
        if (!applyOption(flag, value, options, errorValuesGiven, errorValues, error)) {
            return false;
        }
    }

    const int wantedErrorValues = errorValueCount(options.errorNumber);
    if (errorValuesGiven && static_cast<int>(errorValues.size()) != wantedErrorValues) {
        error = "--error-values: error " + std::to_string(options.errorNumber) + " takes " +
                (wantedErrorValues == 0 ? std::string("no values")
                                        : std::to_string(wantedErrorValues) + " value" +
                                              (wantedErrorValues == 1 ? "" : "s")) +
                ", got " + std::to_string(errorValues.size());
        return false;
    }
    if (errorValues.size() > 0) options.errorValue1 = errorValues[0];
    if (errorValues.size() > 1) options.errorValue2 = errorValues[1];

    // One error in two forms would have to pick one of them silently.
    const MechanismError numbered = mechanismErrorOf(options.errorNumber);
    if (numbered != MechanismError::kNone && hasError(options.namedErrors.given, numbered)) {
        for (const NamedErrorOption& o : kNamedErrorOptions) {
            if (o.error == numbered) {
                error = std::string("--error ") + std::to_string(options.errorNumber) + " and " +
                        o.flag + " give the same error twice: give one of them";
            }
        }
        return false;
    }
    for (const std::string& flag : seen)
        options.conditionsGiven = options.conditionsGiven || isConditionOption(flag);
    options.conditionsGiven = options.conditionsGiven || options.scenarioGiven;
    if (options.scenarioGiven) {
        for (const std::string& flag : seen) {
            if (isConditionOption(flag)) {
                error = "--scenario names the whole scenario: give it without " + flag;
                return false;
            }
        }
    }

    // Missing trailing constants keep their start-up values, as in the dialogue.
    const int wantedParams = curveConstantCount(options.curveNumber);
    if (static_cast<int>(options.curveParams.size()) > wantedParams) {
        error = "--curve-params: curve " + std::to_string(options.curveNumber) + " takes " +
                (wantedParams == 1 ? std::string("1 value")
                                   : "up to " + std::to_string(wantedParams) + " values") +
                " (" + curveConstantNames(options.curveNumber) + "), got " +
                std::to_string(options.curveParams.size());
        return false;
    }
    if (everyGiven && options.framesDir.empty() && options.gifPath.empty()) {
        error = "--every needs --frames or --gif: it says which records become frames";
        return false;
    }
    if (options.framesDir == "-") {
        error = "--frames needs a folder: its frames cannot go to standard output";
        return false;
    }
    std::vector<NamedOutput> outputs;
    for (const auto& [option, path] :
         {std::pair{"--csv", &options.csvPath}, std::pair{"--png", &options.pngPath},
          std::pair{"--gif", &options.gifPath}}) {
        if (!path->empty()) outputs.push_back(NamedOutput{option, *path});
    }
    return checkSeparateOutputs(outputs, error);
}

}  // namespace

Scenario scenarioOf(const BatchOptions& options) {
    if (options.scenarioGiven) return options.scenario;
    Scenario scenario;
    // --error N stands for its named option: the two forms give the same scenario.
    scenario.errors = options.namedErrors;
    giveError(scenario.errors, mechanismErrorOf(options.errorNumber), options.errorValue1,
              options.errorValue2);
    scenario.seed = options.seed;
    scenario.mirror = options.mirror;
    scenario.curveNumber = options.curveNumber;
    setCurveConstants(scenario, options.curveNumber, options.curveParams.data(),
                      static_cast<int>(options.curveParams.size()));
    scenario.fn = options.fn;
    scenario.zeta = options.zeta;
    scenario.controller = options.controller;
    scenario.controllerParams = options.controllerParams;
    return scenario;
}

const char* namedErrorFlag(MechanismError error) {
    for (const NamedErrorOption& o : kNamedErrorOptions) {
        if (o.error == error) return o.flag;
    }
    return "";
}

std::string batchUsage() {
    return R"(usage: agvsim-batch [options]

Runs one computation of the AGV simulator without the console dialogue: the start-up
defaults, then the mechanism error, the path and the feedback design given below, then the
trajectories of all three vehicle types. The computation's own messages go to standard error.

Conditions (the console's units):
  --error N              mechanism error 0-5 (default 0: none)
                         1 rear wheel radii, 2 front wheel radius, 3 steering drift,
                         4 WheelBase and Tread, 5 random drive-wheel slip
  --error-values V1[,V2] its size in percent (degrees for error 3): two values for errors
                         1 and 4 (left,right and WBerr,TRerr), one for 2, 3 and 5, none for 0;
                         when omitted the values are 0
  --curve I              path curve 1-4, 11-16 or 21 (default 1)
  --curve-params P,...   its constants in the dialogue's order; constants missing at the
                         end (or all, when omitted) keep their start-up values
                         1: A,L,n  2, 3, 4: A,L  11: A,B  12: A,n  13: A  14: A,n  15: R,n
                         16: A,n  21: L,r (the square of side L with corners of radius r,
                         counter-clockwise; clockwise with --mirror)
  --rear-wheels L,R      the rear wheel radius errors in percent (the same as --error 1)
  --front-wheel P        the front wheel radius error in percent (as --error 2)
  --drift DEG            the steering angle drift in degrees (as --error 3)
  --wheelbase-tread WB,TR  WheelBase and Tread errors in percent (as --error 4)
  --slip P               random drive-wheel slip in percent (as --error 5)
                         these combine: any of them may be given together, and with
                         --error for another error
  --seed N               the slip's random sequence starts from N (0 to 4294967295);
                         without it, the program's own sequence
  --mirror               the path reflected about the x axis: closed curves clockwise
  --fn F                 natural frequency of the feedback system in Hz (default 1)
  --zeta Z               damping ratio (default 1); neither may be 0
  --controller NAME      the feedback law of the vehicle with feedback: fnzeta (default,
                         designed from fn and zeta), pure-pursuit, stanley or lqr
                         (docs/controllers.md); the speed along the path keeps the fn/zeta
                         law in all of them
  --lookahead M          pure pursuit's goal point M metres along the path (default 1)
  --stanley-gain K       the Stanley law's cross-track gain in 1/s (default 2)
  --lqr-weights QD,QTH,QPHI,R  LQR weights of the offset, heading, steering angle error
                         (type 1: offset integral) and the correction (default 1e4,100,100,1)
  --scenario TEXT        all of the conditions above as one scenario text, instead of
                         their options (see the README: rear-wheels=1,-1 drift=2
                         curve=16:0.3,5 fn=2 zeta=0.7 seed=3 mirror)
  --print-scenario       print the scenario text of the conditions given and compute
                         nothing
  --exercise TEXT        judge the run on an exercise's targets (docs/exercises.md): the
                         conditions above are the answer, and without any of them the
                         exercise's start values; an answer that changes a field the
                         exercise fixes is refused as a bad argument

Output (PATH: a file, replaced only when complete and followed through a symbolic link;
a FIFO or character device, written in place; '-' for standard output):
  --csv PATH             every recorded sample of the three types as CSV
  --summary              record count, end time, final poses and largest errors per type,
                         then the following figures of the FBC vehicles (peak and RMS
                         |dd|, steady dd, settling time, integral of |correction| dt;
                         docs/controllers.md) (on standard output; on standard error
                         with --csv - or --png -)
  --theory               the linear theory (docs/theory.md; docs/controllers.md for the
                         laws other than fnzeta) per type: poles, overshoot,
                         settling time, predicted steady dd and dth beside the last
                         record's and their ratio (where --summary goes)
  --png PATH             picture of the window as a PNG file (needs an X display)
  --frames DIR           animation frames as PNG files in DIR (needs an X display)
  --gif PATH             the animation as one GIF file, each frame shown for the time its
                         records take (needs an X display)
  --every N              one frame (PNG or GIF) every N records (default 1)
  --type K               vehicle type of the pictures, 1-3 (default 1)
  --index N              record index of the picture, or 'end' (default 0)
  --zoom N               N presses of 'w' (negative: of 'W'), -1000 to 1000 (default 0)
  --shift DX,DY          DX presses of 'X' and DY of 'Y' (negative: of 'x' and 'y'), each
                         -1000 to 1000
  --help                 this text

Options take their value as '--flag value' or '--flag=value'; each may be given once.
Exit status: 0 done; 1 random tables unreadable, or an output not writable or a write
failed (an existing file is then left as it was); 2 bad arguments or no X display for
pictures; 3 path too long (refused by the length check, or the computation ran out of its
3000 records); 4 the computation diverged (a vehicle with feedback left the path): what
was computed is written all the same; 5 with --exercise, the answer misses a target (it
takes the place of 4).
)";
}

}  // namespace agv
