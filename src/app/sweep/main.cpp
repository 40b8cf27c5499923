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
#include "app/sweep/progress.h"
#include "app/sweep/session.h"
#include "app/sweep/shard_merge.h"
#include "app/sweep/table.h"

namespace {

/// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kProgramName = "agvsim-sweep";

int fail(int status, const std::string& message) {
    std::cerr << kProgramName << ": " << message
              << (status == kExitUsage ? " (agvsim-sweep --help lists the options)" : "") << '\n';
    return status;
}

int merge(const agv::SweepOptions& options) {
    std::string error;
    const int status =
        agv::mergeShardTables(options.mergeFiles, options.csvPath, error, options.verifyRows);
    // The reason is about the tables, not the options: no hint at the usage.
    if (status != kExitOk) std::cerr << kProgramName << ": " << error << '\n';
    return status;
}

/// The lines on standard error that say why runs of a point are not done.
void reportReasons(agv::SweepProgress& progress, const agv::GridValues& values,
                   const agv::PointResult& result) {
    const std::string point = std::string(kProgramName) + ": " + agv::sweepRunText(values);
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

    agv::SweepSession session;
    if (const int status = session.prepare(options, error); status != kExitOk) {
        return fail(status, error);
    }

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
    if (!options.mapPath.empty()) mapPoints.reserve(session.pointCount());
    agv::SweepProgress progress(session.runCount(), session.jobs(), ::isatty(STDERR_FILENO) != 0);
    // Every byte of the table goes into the seal that a shard's last line carries.
    agv::ShardSeal seal;
    const auto writeTable = [&](const std::string& text, std::size_t rowCount) {
        csv.write(text);
        seal.add(text, rowCount);
    };
    if (!options.csvPath.empty()) writeTable(session.tableHead(), 0);
    std::string rows;
    session.run(
        [&](const agv::GridValues& values, const agv::PointResult& result) {
            const bool statistic = values.statistic != agv::SeedStatistic::kNone;
            if (!statistic) reportReasons(progress, values, result);
            if (!options.csvPath.empty()) {
                rows.clear();
                agv::appendSweepRows(rows, values, result, options.theory);
                writeTable(rows, result.size());
            }
            // With seeds the map shows each grid point's mean over them.
            const bool mapped =
                options.seeded ? values.statistic == agv::SeedStatistic::kMean : !statistic;
            if (!options.mapPath.empty() && mapped) {
                mapPoints.push_back(agv::mapPoint(result, metric));
            }
        },
        [&](std::size_t done) { progress.update(done); });
    progress.finish();

    if (!options.mapPath.empty()) {
        map.write(agv::sweepMapSvg(options.grid, options.scenario, mapPoints, options.metric));
        if (!map.commit(error)) return fail(kExitFailure, error);
    }
    if (!options.csvPath.empty()) {
        csv.write(session.tableEnd(seal));
        if (!csv.commit(error)) return fail(kExitFailure, error);
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    return run(argc, argv);
}
