#include "app/sweep/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <set>

#include "app/batch/options.h"
#include "app/common/output_clash.h"
#include "app/sweep/table.h"
#include "sim/scenario_text.h"

namespace agv {

namespace {

/// Most worker threads a sweep may ask for.
constexpr int kMaxJobs = 1024;
/// Most rows --verify may recompute per shard.
constexpr int kMaxVerifiedRows = 1000000;

bool takesValue(const std::string& flag) {
    static const char* const kFlags[] = {
        "--error",       "--error-values", "--curve",      "--curve-params",
        "--fn",          "--zeta",         "--error-size", "--csv",
        "--map",         "--metric",       "--jobs",       "--shard",
        "--rear-wheels", "--front-wheel",  "--drift",      "--wheelbase-tread",
        "--slip",        "--seed",         "--seeds",      "--scenario",
        "--verify",      "--controller",   "--lookahead",  "--stanley-gain",
        "--lqr-weights"};
    for (const char* name : kFlags) {
        if (flag == name) return true;
    }
    return false;
}

bool isBaseScenarioFlag(const std::string& flag) {
    return flag == "--error" || flag == "--error-values" || flag == "--curve" ||
           flag == "--curve-params" || flag == "--rear-wheels" || flag == "--front-wheel" ||
           flag == "--drift" || flag == "--wheelbase-tread" || flag == "--slip" ||
           flag == "--seed" || flag == "--scenario" || flag == "--lqr-weights";
}

/// Reads --controller's comma list of laws, each once, in the order given.
bool parseControllers(const std::string& text, std::vector<ControllerKind>& laws,
                      std::string& error) {
    laws.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string name =
            text.substr(start, comma == std::string::npos ? comma : comma - start);
        ControllerKind kind = ControllerKind::kFnZeta;
        if (!controllerOfName(name.c_str(), kind)) {
            error =
                "--controller must be fnzeta, pure-pursuit, stanley or lqr (or a comma list "
                "of them), not " +
                quoted(name);
            return false;
        }
        if (std::find(laws.begin(), laws.end(), kind) != laws.end()) {
            error = "--controller: " + quoted(name) + " given twice";
            return false;
        }
        laws.push_back(kind);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

std::string lawList(const std::vector<ControllerKind>& laws) {
    std::string text;
    for (const ControllerKind kind : laws)
        text += (text.empty() ? "" : ",") + std::string(controllerName(kind));
    return text;
}

/// The laws of the sweep (--controller's, else the scenario's) with their parameters (the
/// flags', else the scenario's). Several laws, or several values of a law's parameter, make
/// a sweep that compares laws: each grid point runs every law with every value of its
/// parameter, in the order given.
bool resolveLaws(SweepOptions& options, std::string& error) {
    Scenario& scenario = options.scenario;
    ControllerParams& params = scenario.controllerParams;
    const bool lookaheadGiven = !options.lookaheads.empty();
    const bool gainGiven = !options.stanleyGains.empty();
    if (options.controllers.empty()) options.controllers = {scenario.controller};
    if (!lookaheadGiven) options.lookaheads = {params.lookahead};
    if (!gainGiven) options.stanleyGains = {params.stanleyGain};
    // A single value is the scenario's own, as in agvsim-batch.
    if (options.lookaheads.size() == 1) params.lookahead = options.lookaheads[0];
    if (options.stanleyGains.size() == 1) params.stanleyGain = options.stanleyGains[0];
    const bool compared = options.controllers.size() > 1 || options.lookaheads.size() > 1 ||
                          options.stanleyGains.size() > 1;
    if (!compared) {
        scenario.controller = options.controllers[0];
        return true;
    }
    const auto runs = [&](ControllerKind kind) {
        return std::find(options.controllers.begin(), options.controllers.end(), kind) !=
               options.controllers.end();
    };
    // A parameter belongs to one law: among laws without it, it would change nothing.
    if (lookaheadGiven && !runs(ControllerKind::kPurePursuit)) {
        error = "--lookahead belongs to pure-pursuit, which this sweep does not run (laws: " +
                lawList(options.controllers) + ")";
        return false;
    }
    if (gainGiven && !runs(ControllerKind::kStanley)) {
        error = "--stanley-gain belongs to stanley, which this sweep does not run (laws: " +
                lawList(options.controllers) + ")";
        return false;
    }
    for (const ControllerKind kind : options.controllers) {
        const std::vector<double>* values =
            kind == ControllerKind::kPurePursuit ? &options.lookaheads
            : kind == ControllerKind::kStanley   ? &options.stanleyGains
                                                 : nullptr;
        if (values == nullptr) {
            options.grid.laws.push_back(LawVariant{kind, 0.0});
            continue;
        }
        for (const double value : *values)
            options.grid.laws.push_back(LawVariant{kind, value});
    }
    return true;
}

/// Most seeds a grid point may be run for.
constexpr std::uint32_t kMaxSeeds = 100000;

/// Reads "A:B", two seeds with A <= B.
bool parseSeedRange(const std::string& text, SweepOptions& options, std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || !readSeed(text.substr(0, colon), options.firstSeed) ||
        !readSeed(text.substr(colon + 1), options.lastSeed) ||
        options.firstSeed > options.lastSeed) {
        error =
            "--seeds takes A:B, two seeds from 0 to 4294967295 with A <= B, not " + quoted(text);
        return false;
    }
    if (options.lastSeed - options.firstSeed >= kMaxSeeds) {
        error = "--seeds: at most " + std::to_string(kMaxSeeds) + " seeds";
        return false;
    }
    options.seeded = true;
    return true;
}

bool applyOption(const std::string& flag, const std::string& value, SweepOptions& options,
                 std::string& error) {
    if (flag == "--fn" || flag == "--zeta" || flag == "--error-size") {
        const int axis = flag == "--fn" ? kAxisFn : flag == "--zeta" ? kAxisZeta : kAxisErrorSize;
        return parseAxisValues(flag, value, options.grid.axes[axis], error);
    }
    if (flag == "--csv" || flag == "--map") {
        if (value.empty()) {
            error = flag + " needs a path";
            return false;
        }
        (flag == "--csv" ? options.csvPath : options.mapPath) = value;
        return true;
    }
    if (flag == "--metric") {
        if (sweepMetricColumn(value) < 0) {
            error = "--metric: " + quoted(value) + " is not one of " + sweepMetricNames();
            return false;
        }
        options.metric = value;
        return true;
    }
    if (flag == "--seeds") return parseSeedRange(value, options, error);
    if (flag == "--controller") return parseControllers(value, options.controllers, error);
    if (flag == "--lookahead" || flag == "--stanley-gain") {
        return parseAxisValues(
            flag, value, flag == "--lookahead" ? options.lookaheads : options.stanleyGains, error);
    }
    if (flag == "--jobs") {
        int jobs = 0;
        if (!parseInteger(flag, value, jobs, error) || jobs < 1 || jobs > kMaxJobs) {
            error = "--jobs: " + quoted(value) + " is not a number of jobs from 1 to " +
                    std::to_string(kMaxJobs);
            return false;
        }
        options.jobs = jobs;
        return true;
    }
    if (flag == "--verify") {
        int rows = 0;
        if (!parseInteger(flag, value, rows, error) || rows < 1 || rows > kMaxVerifiedRows) {
            error = "--verify: " + quoted(value) + " is not a number of rows from 1 to " +
                    std::to_string(kMaxVerifiedRows);
            return false;
        }
        options.verifyRows = rows;
        return true;
    }
    options.sharded = true;
    return parseShard(value, options.shard, error);
}

}  // namespace

bool parseSweepOptions(int argc, const char* const* argv, SweepOptions& options,
                       std::string& error) {
    options = SweepOptions{};
    std::vector<std::string> baseArgs{"agvsim-sweep"};
    std::set<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (options.merge && argument.rfind("--", 0) != 0) {
            options.mergeFiles.push_back(argument);
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            options.help = true;
            return true;
        }
        if (argument.rfind("--", 0) != 0 || argument.size() == 2) {
            error = "unexpected argument " + quoted(argument);
            return false;
        }
        const std::size_t equals = argument.find('=');
        const std::string flag = argument.substr(0, equals);
        if (!seen.insert(flag).second) {
            error = shownArgument(flag) + " given twice";
            return false;
        }
        if (flag == "--theory") {
            if (equals != std::string::npos) {
                error = "--theory takes no value";
                return false;
            }
            options.theory = true;
            continue;
        }
        if (flag == "--mirror") {
            if (equals != std::string::npos) {
                error = "--mirror takes no value";
                return false;
            }
            baseArgs.push_back(flag);
            continue;
        }
        if (flag == "--merge") {
            if (equals != std::string::npos) {
                error = "--merge takes file names after it, not '='";
                return false;
            }
            options.merge = true;
            continue;
        }
        if (!takesValue(flag)) {
            error = "unknown option " + shownArgument(flag);
            return false;
        }
        std::string value;
        if (!takeOptionValue(argc, argv, i, equals, value, error)) return false;
        if (isBaseScenarioFlag(flag)) {
            // The base scenario takes agvsim-batch's options and its checks.
            baseArgs.push_back(flag + "=" + value);
        } else if (!applyOption(flag, value, options, error)) {
            return false;
        }
    }

    if (options.merge) {
        for (const std::string& flag : seen) {
            if (flag != "--merge" && flag != "--csv" && flag != "--verify") {
                error = flag + " does not go with --merge";
                return false;
            }
        }
        if (options.mergeFiles.empty()) {
            error = "--merge needs the shard tables to merge";
            return false;
        }
        if (options.csvPath.empty()) options.csvPath = "-";
        return true;
    }
    if (options.verifyRows > 0) {
        error = "--verify goes with --merge: it checks rows of the shards merged";
        return false;
    }

    std::vector<const char*> baseArgv;
    for (const std::string& arg : baseArgs)
        baseArgv.push_back(arg.c_str());
    BatchOptions base;
    if (!parseBatchOptions(static_cast<int>(baseArgv.size()), baseArgv.data(), base, error)) {
        return false;
    }
    Scenario& scenario = options.scenario;
    scenario = scenarioOf(base);
    if (!resolveLaws(options, error)) return false;
    // A scenario text's design is the grid's unless an axis is given.
    if (seen.count("--fn") == 0) options.grid.axes[kAxisFn] = {scenario.fn};
    if (seen.count("--zeta") == 0) options.grid.axes[kAxisZeta] = {scenario.zeta};
    if (options.seeded) {
        if (!hasError(scenario.errors.given, MechanismError::kSlip)) {
            error = "--seeds repeats the random slip: give the slip (--slip or --error 5)";
            return false;
        }
        if (scenario.seed) {
            error = "--seeds gives every run its seed: give it without a single seed";
            return false;
        }
    }

    if (seen.count("--error-size") != 0) {
        const MechanismError sized = namedError(scenario.errors);
        if (sized == MechanismError::kNone) {
            error = "--error-size needs a mechanism error (--error 1 to 5)";
            return false;
        }
        if (sized == MechanismError::kCombined) {
            error = "--error-size needs exactly one mechanism error, not several";
            return false;
        }
    } else {
        options.grid.axes[kAxisErrorSize] = {baseErrorSize(scenario)};
    }
    // The parameters of two laws are never varied together: at most one counts per law.
    const bool lawAxis = options.lookaheads.size() > 1 || options.stanleyGains.size() > 1;
    if (options.grid.swept().size() + (lawAxis ? 1 : 0) > 2) {
        error = lawAxis ? "at most two of --fn, --zeta, --error-size and the laws' parameters "
                          "(--lookahead, --stanley-gain: one axis together) may have more than "
                          "one value"
                        : "at most two of --fn, --zeta and --error-size may have more than one "
                          "value";
        return false;
    }
    const bool laws = !options.grid.laws.empty();
    if (options.grid.size() > kMaxGridPoints / options.seedCount()) {
        error = "the grid has more than " + std::to_string(kMaxGridPoints) +
                (options.seeded ? " runs with its seeds"
                 : laws         ? " runs of its laws"
                                : " points");
        return false;
    }
    // A shard without grid points would be a table of nothing.
    if (options.shard.count > options.grid.size()) {
        error = "--shard: " + std::to_string(options.shard.count) + " shards of a grid of " +
                std::to_string(options.grid.size()) +
                (laws ? " runs of a law at a grid point: at most one shard per run"
                      : " points: at most one shard per point");
        return false;
    }
    if (laws && !options.mapPath.empty()) {
        error =
            "--map draws one law: give --controller one law with single parameter values, "
            "or leave out --map";
        return false;
    }
    if (options.csvPath.empty() && options.mapPath.empty()) {
        error = "nothing to write: give --csv and/or --map";
        return false;
    }
    if (!options.csvPath.empty() && !options.mapPath.empty()) {
        return checkSeparateOutputs({{"--csv", options.csvPath}, {"--map", options.mapPath}},
                                    error);
    }
    return true;
}

std::string sweepUsage() {
    return R"(usage: agvsim-sweep [conditions] [axes] [output] [--jobs N] [--shard K/N]
       agvsim-sweep --merge SHARD.csv... [--verify K] [--csv PATH]

Runs the AGV simulator over a grid of feedback designs and mechanism error sizes. Every
grid point runs all three vehicle types from the start-up defaults and the conditions
below, through the same steps and checks as agvsim-batch.

Conditions (as agvsim-batch):
  --error N              mechanism error 0-5 (default 0: none)
  --error-values V1[,V2] its size in percent (degrees for error 3)
  --curve I              path curve 1-4, 11-16 or 21 (default 1)
  --curve-params P,...   its constants in the dialogue's order
  --rear-wheels L,R  --front-wheel P  --drift DEG  --wheelbase-tread WB,TR  --slip P
                         each error on its own, combinable (as agvsim-batch)
  --seed N  --mirror     the slip's seed; the path reflected (clockwise)
  --lqr-weights QD,QTH,QPHI,R  the LQR law's weights (docs/controllers.md)
  --scenario TEXT        all the conditions as one scenario text; --fn, --zeta,
                         --controller, --lookahead and --stanley-gain, when given, replace
                         its own values

Laws (docs/controllers.md):
  --controller NAME,...  the feedback law (fnzeta, pure-pursuit, stanley, lqr); several
                         are compared: every grid point runs each of them, in this order
  --lookahead M...       pure pursuit's look-ahead in m (default 1), one value or an axis
  --stanley-gain K...    the Stanley gain in 1/s (default 2), one value or an axis
                         Several laws or a parameter axis add the columns controller,
                         lookahead and stanley_gain after error_size; a parameter belongs
                         to its law and is refused in a comparison without it

Axes: one value, a comma list of increasing values, or START:STOP:COUNT (COUNT values
evenly spaced from START to STOP, both included). At most two axes have several values;
--lookahead and --stanley-gain count as one axis together (each varies its own law).
  --fn F...              natural frequency of the feedback system in Hz (default 1)
  --zeta Z...            damping ratio (default 1)
  --error-size S...      size of the chosen error in percent (degrees for error 3); it
                         replaces the first of --error-values (default: that value)
  --seeds A:B            run every grid point for the slip seeds A to B, then the mean,
                         sd and worst value of each figure over them (a seed column)

Output:
  --csv PATH             one row per grid point and type ('-': standard output):
                         fn,zeta,error_size,type,outcome,records,end_time,nofbc_max_dd,
                         nofbc_max_dth,fbc_max_dd,fbc_max_dth,fbc_rms_dd,fbc_final_dd,
                         fbc_final_dth
  --theory               five more columns at the end of the table, from the linear
                         theory (docs/theory.md): max_pole_real [1/s], settling_time [s],
                         theory_steady_dd [m] (empty where the steady value is not defined),
                         step_stable (1: every pole within the 4 ms step's stability region),
                         beyond_linear (1: the predicted response reaches a steering or
                         correction limit); for a law other than fnzeta its own theory
                         (docs/controllers.md), no settling time and beyond_linear 0
  --map PATH             heat map of one column as SVG, one panel per type (one law
                         with single parameter values only)
  --metric NAME          the column of the map (default fbc_max_dd)
  --jobs N               worker threads (default: one per core)
  --shard K/N            compute only every N-th grid point (with laws compared: run of
                         a law at a grid point) starting at K (0 <= K < N);
                         the table says on its first line which shard of which grid
  --merge FILE...        merge the tables of all shards into the table of the whole grid;
                         refused unless they are every shard of one grid, once, intact
                         (each shard's last line: its row count and SHA-256)
  --verify K             with --merge: also compute K rows chosen at random from each
                         shard again and compare them byte for byte
  --help                 this text

Outcomes: done, too_long, overflow, refused, diverged; the reason of each that is not done
goes to standard error. Exit status: 0 the sweep ran (whatever the outcomes); 1 random
tables unreadable or an output not writable; 2 bad arguments, a swept value refused
with the other conditions, or shard tables that do not merge; 3 path too long.
)";
}

}  // namespace agv
