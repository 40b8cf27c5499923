#include "app/sweep/session.h"

#include <algorithm>
#include <thread>

#include "app/common/number_format.h"
#include "app/sweep/seed_statistics.h"
#include "app/sweep/shard_identity.h"
#include "app/sweep/table.h"

namespace agv {

namespace {

/// agvsim-sweep's exit statuses of a sweep that cannot run.
constexpr int kStatusFailure = 1;
constexpr int kStatusUsage = 2;

const char* const kAxisFlags[kSweepAxisCount] = {"--fn", "--zeta", "--error-size"};

/// The flag of a law's parameter when it is an axis of the sweep; nullptr otherwise.
const char* lawParameterFlag(const SweepOptions& options, ControllerKind kind) {
    if (kind == ControllerKind::kPurePursuit && options.lookaheads.size() > 1) {
        return "--lookahead";
    }
    if (kind == ControllerKind::kStanley && options.stanleyGains.size() > 1) {
        return "--stanley-gain";
    }
    return nullptr;
}

}  // namespace

SweepSession::SweepSession() = default;
SweepSession::~SweepSession() = default;

int SweepSession::prepare(const SweepOptions& options, std::string& message) {
    options_ = &options;
    model_ = std::make_unique<SweepModel>();
    if (!model_->load(message, options.tablesFolder)) return kStatusFailure;
    points_.clear();
    for (std::size_t i = 0; i < options.grid.size(); ++i) {
        if (options.shard.owns(i)) points_.push_back(i);
    }
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    int jobs = options.jobs == 0 ? cores : std::min(options.jobs, kJobsPerCore * cores);
    jobs = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs),
                                                  std::max<std::size_t>(1, runCount())));
    // One run's data per worker, made once here; the first one runs the checks too.
    runners_.clear();
    for (int w = 0; w < jobs; ++w) {
        runners_.push_back(std::make_unique<SweepRunner>(*model_));
        runners_.back()->setTheory(options.theory);
    }
    return checkAxes(message);
}

/// Refuses, before anything runs, conditions or a value on an axis that the dialogue
/// refuses. A value is checked with the single values given for the other quantities, or
/// their defaults where those are swept, so that a refusal names the value to blame.
int SweepSession::checkAxes(std::string& message) const {
    const SweepOptions& options = *options_;
    const SweepGrid& grid = options.grid;
    double reference[kSweepAxisCount] = {1.0, 1.0, baseErrorSize(options.scenario)};
    for (int axis = 0; axis < kSweepAxisCount; ++axis) {
        if (grid.axes[axis].size() == 1) reference[axis] = grid.axes[axis][0];
    }
    SweepRunner& runner = *runners_.front();
    std::string reason;
    const auto check = [&](int axis, double value, const LawVariant* law = nullptr) {
        double v[kSweepAxisCount] = {reference[0], reference[1], reference[2]};
        if (axis >= 0) v[axis] = value;
        GridValues values;
        values.fn = v[0];
        values.zeta = v[1];
        values.errorSize = v[2];
        if (law != nullptr) values.law = *law;
        const int status = runner.check(options.scenario, values, reason);
        if (status == 0) return 0;
        const char* lawFlag = law == nullptr ? nullptr : lawParameterFlag(options, law->kind);
        if (status == kScenarioTooLong) {
            message = "path refused: " + reason;
        } else if (lawFlag != nullptr) {
            message =
                std::string(lawFlag) + " " + shortestNumber(law->parameter) + " refused: " + reason;
        } else if (law != nullptr) {
            message =
                std::string("--controller ") + controllerName(law->kind) + " refused: " + reason;
        } else if (axis < 0 || grid.axes[axis].size() == 1) {
            message = "conditions refused: " + reason;
        } else {
            message =
                std::string(kAxisFlags[axis]) + " " + shortestNumber(value) + " refused: " + reason;
        }
        return status == kScenarioTooLong ? status : kStatusUsage;
    };
    if (const int status = check(-1, 0.0); status != 0) return status;
    for (const LawVariant& law : grid.laws) {
        if (const int status = check(-1, 0.0, &law); status != 0) return status;
    }
    for (const int axis : grid.swept()) {
        for (const double value : grid.axes[axis]) {
            if (const int status = check(axis, value); status != 0) return status;
        }
    }
    return 0;
}

std::size_t SweepSession::runCount() const {
    return points_.size() * (options_ ? options_->seedCount() : 1);
}

std::string SweepSession::tableHead() const {
    const SweepOptions& options = *options_;
    std::string head;
    if (options.sharded) head = shardLine(options.shard, gridIdentity(options)) + "\n";
    return head + sweepCsvHeader(options.theory, options.seeded, !options.grid.laws.empty()) + "\n";
}

std::string SweepSession::tableEnd(const ShardSeal& seal) const {
    return options_->sharded ? seal.line() + "\n" : std::string();
}

bool SweepSession::run(const Delivery& deliver, const SweepTick& tick,
                       const SweepStop& stop) const {
    const SweepOptions& options = *options_;
    const std::size_t seeds = options.seedCount();
    // Run i is seed i % seeds of grid point points_[i / seeds].
    const auto valuesOf = [&](std::size_t i) {
        GridValues values = options.grid.at(points_[i / seeds]);
        if (options.seeded) {
            values.seed = options.firstSeed + static_cast<std::uint32_t>(i % seeds);
        }
        return values;
    };
    std::vector<PointResult> runs;
    return runSweepPoints(
        runners_, options.scenario, runCount(), valuesOf,
        [&](std::size_t i, const PointResult& result) {
            const GridValues values = valuesOf(i);
            deliver(values, result);
            if (!options.seeded) return;
            runs.push_back(result);
            if (runs.size() < seeds) return;
            for (const SeedStatistic statistic :
                 {SeedStatistic::kMean, SeedStatistic::kSd, SeedStatistic::kWorst}) {
                GridValues over = values;
                over.seed.reset();
                over.statistic = statistic;
                deliver(over, seedStatistic(runs, statistic));
            }
            runs.clear();
        },
        tick, stop);
}

std::string SweepSession::table() const {
    std::string out;
    table(out, [](std::size_t) {});
    return out;
}

bool SweepSession::table(std::string& out, const SweepTick& tick, const SweepStop& stop) const {
    std::string table = tableHead();
    std::size_t rows = 0;
    const bool complete = run(
        [&](const GridValues& values, const PointResult& result) {
            appendSweepRows(table, values, result, options_->theory);
            rows += result.size();
        },
        tick, stop);
    ShardSeal seal;
    seal.add(table, rows);
    out = table + tableEnd(seal);
    return complete;
}

}  // namespace agv
