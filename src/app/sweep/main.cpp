// agvsim-sweep: the simulator over a grid of feedback designs and error sizes, on every
// core, as a table and a heat map; shards of the grid for several machines and their merge.
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/common/output_target.h"
#include "app/sweep/grid.h"
#include "app/sweep/map.h"
#include "app/sweep/options.h"
#include "app/sweep/point_run.h"
#include "app/sweep/pool.h"
#include "app/sweep/progress.h"
#include "app/sweep/shard_identity.h"
#include "app/sweep/shard_merge.h"
#include "app/sweep/table.h"

namespace {

/// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

/// Most worker threads per core, whatever --jobs asks for.
constexpr int kJobsPerCore = 4;

const char* const kProgramName = "agvsim-sweep";
const char* const kAxisFlags[agv::kSweepAxisCount] = {"--fn", "--zeta", "--error-size"};

int fail(int status, const std::string& message) {
    std::cerr << kProgramName << ": " << message
              << (status == kExitUsage ? " (agvsim-sweep --help lists the options)" : "") << '\n';
    return status;
}

int merge(const agv::SweepOptions& options) {
    std::string error;
    const int status = agv::mergeShardTables(options.mergeFiles, options.csvPath, error);
    // The reason is about the tables, not the options: no hint at the usage.
    if (status != kExitOk) std::cerr << kProgramName << ": " << error << '\n';
    return status;
}

/// Refuses, before anything runs, conditions or a value on an axis that the dialogue
/// refuses. A value is checked with the single values given for the other quantities, or
/// their defaults where those are swept, so that a refusal names the value to blame.
int checkAxes(agv::SweepRunner& runner, const agv::SweepOptions& options) {
    const agv::SweepGrid& grid = options.grid;
    const agv::GridValues defaults{1.0, 1.0, agv::baseErrorSize(options.scenario)};
    double reference[agv::kSweepAxisCount] = {defaults.fn, defaults.zeta, defaults.errorSize};
    for (int axis = 0; axis < agv::kSweepAxisCount; ++axis) {
        if (grid.axes[axis].size() == 1) reference[axis] = grid.axes[axis][0];
    }
    std::string reason;
    const auto check = [&](int axis, double value) {
        double v[agv::kSweepAxisCount] = {reference[0], reference[1], reference[2]};
        if (axis >= 0) v[axis] = value;
        const int status =
            runner.check(options.scenario, agv::GridValues{v[0], v[1], v[2]}, reason);
        if (status == agv::kScenarioTooLong) return fail(status, "path refused: " + reason);
        if (status == 0) return kExitOk;
        if (axis < 0 || grid.axes[axis].size() == 1) {
            return fail(kExitUsage, "conditions refused: " + reason);
        }
        return fail(kExitUsage, std::string(kAxisFlags[axis]) + " " + agv::shortestNumber(value) +
                                    " refused: " + reason);
    };
    if (const int status = check(-1, 0.0); status != kExitOk) return status;
    for (const int axis : grid.swept()) {
        for (const double value : grid.axes[axis]) {
            if (const int status = check(axis, value); status != kExitOk) return status;
        }
    }
    return kExitOk;
}

/// The lines on standard error that say why runs of a point are not done.
void reportReasons(agv::SweepProgress& progress, const agv::GridValues& values,
                   const agv::PointResult& result) {
    const std::string point = std::string(kProgramName) + ": fn=" + agv::shortestNumber(values.fn) +
                              " zeta=" + agv::shortestNumber(values.zeta) +
                              " error_size=" + agv::shortestNumber(values.errorSize);
    const bool same = result[0].outcome == result[1].outcome &&
                      result[1].outcome == result[2].outcome &&
                      result[0].reason == result[1].reason && result[1].reason == result[2].reason;
    for (int k = 0; k < 3; ++k) {
        const agv::MechanismResult& r = result[k];
        if (r.outcome == agv::CellOutcome::kDone) continue;
        progress.message(point + (same ? " types 1-3: " : " type " + std::to_string(k + 1) + ": ") +
                         agv::outcomeName(r.outcome) + ": " + r.reason);
        if (same) return;
    }
}

int run(int argc, char** argv) {
    agv::SweepOptions options;
    std::string error;
    if (!agv::parseSweepOptions(argc, argv, options, error)) return fail(kExitUsage, error);
    if (options.help) {
        std::cout << agv::sweepUsage() << std::flush;
        return std::cout ? kExitOk : kExitFailure;
    }
    if (options.merge) return merge(options);
    if (!options.mapPath.empty() && options.shard.count > 1) {
        return fail(kExitUsage, "--map needs the whole grid: draw it from a run without --shard");
    }

    agv::SweepModel model;
    if (!model.load(error)) return fail(kExitFailure, error);
    std::vector<std::size_t> points;
    for (std::size_t i = 0; i < options.grid.size(); ++i) {
        if (options.shard.owns(i)) points.push_back(i);
    }
    // Threads beyond a few per core only add run data (a few megabytes each), not speed.
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    int jobs = options.jobs == 0 ? cores : std::min(options.jobs, kJobsPerCore * cores);
    jobs = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs),
                                                  std::max<std::size_t>(1, points.size())));
    // One run's data per worker, made once here; the first one runs the checks too.
    std::vector<std::unique_ptr<agv::SweepRunner>> runners;
    const std::size_t workers = static_cast<std::size_t>(jobs);
    for (std::size_t w = 0; w < workers; ++w)
        runners.push_back(std::make_unique<agv::SweepRunner>(model));
    for (const auto& runner : runners)
        runner->setTheory(options.theory);
    if (const int status = checkAxes(*runners[0], options); status != kExitOk) return status;

    // Outputs are created first, so that an unwritable one stops the sweep before it runs.
    agv::OutputTarget csv, map;
    if (!options.csvPath.empty() && !csv.open(options.csvPath, error)) {
        return fail(kExitFailure, error);
    }
    if (!options.mapPath.empty() && !map.open(options.mapPath, error)) {
        return fail(kExitFailure, error);
    }

    const int metric = agv::sweepMetricColumn(options.metric);
    std::vector<agv::MapPoint> mapPoints;
    if (!options.mapPath.empty()) mapPoints.reserve(points.size());
    agv::SweepProgress progress(points.size(), jobs, ::isatty(STDERR_FILENO) != 0);
    if (!options.csvPath.empty()) {
        if (options.sharded) {
            csv.write(agv::shardLine(options.shard, agv::gridIdentity(options)) + "\n");
        }
        csv.write(std::string(agv::kSweepCsvHeader) +
                  (options.theory ? agv::kSweepTheoryColumns : "") + "\n");
    }
    std::string rows;
    agv::runSweepPoints(
        runners, options.scenario, options.grid, points,
        [&](std::size_t i, const agv::PointResult& result) {
            const agv::GridValues values = options.grid.at(points[i]);
            reportReasons(progress, values, result);
            if (!options.csvPath.empty()) {
                rows.clear();
                agv::appendSweepRows(rows, values, result, options.theory);
                csv.write(rows);
            }
            if (!options.mapPath.empty()) mapPoints.push_back(agv::mapPoint(result, metric));
        },
        [&](std::size_t done) { progress.update(done); });
    progress.finish();

    if (!options.mapPath.empty()) {
        map.write(agv::sweepMapSvg(options.grid, options.scenario, mapPoints, options.metric));
        if (!map.commit(error)) return fail(kExitFailure, error);
    }
    if (!options.csvPath.empty() && !csv.commit(error)) return fail(kExitFailure, error);
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    return run(argc, argv);
}
