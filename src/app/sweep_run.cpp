#include "app/sweep_run.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "app/batch_output.h"
#include "app/context.h"
#include "app/dialogue.h"
#include "app/startup.h"
#include "app/text_output.h"
#include "noise/random_tables.h"
#include "path/arc_length.h"
#include "path/path_dialogue.h"
#include "path/path_length.h"

namespace agv {

namespace {

/// A refusal text of the dialogue on one line.
std::string oneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    const auto notSpace = [](char c) { return c != ' '; };
    line.erase(line.begin(), std::find_if(line.begin(), line.end(), notSpace));
    line.erase(std::find_if(line.rbegin(), line.rend(), notSpace).base(), line.end());
    return line;
}

/// Runs one of the dialogue's checks with its refusal caught on one line in reason.
template <typename Check>
bool passes(AgvContext& ctx, std::string& reason, Check check) {
    std::ostringstream refusal;
    ctx.out = &refusal;
    const bool accepted = check();
    ctx.out = &discardedText();
    reason = oneLine(refusal.str());
    return accepted;
}

bool finite(const double* values, int count) {
    return std::all_of(values, values + count, [](double v) { return std::isfinite(v); });
}

/// The finiteness test of the whole computation, restricted to type index k.
bool typeIsFinite(const TrajectoryStore& store, int k) {
    if (!std::isfinite(store.endTime[k])) return false;
    const int last = std::clamp(store.recordCount[k], 0, kMaxRecords - 1);
    for (int n = 0; n <= last; ++n) {
        if (!finite(store.theoryTraj[k][n].data(), kPoseFields) ||
            !finite(store.noFbcTraj[k][n].data(), kPoseFields) ||
            !finite(store.fbcTraj[k][n].data(), kPoseFields) ||
            !finite(store.fbcRefTraj[k][n].data(), kPoseFields) ||
            !finite(store.noFbcDiff[k][n].data(), kPoseFields) ||
            !finite(store.fbcDiff[k][n].data(), kPoseFields) ||
            !finite(store.noFbcErr[k][n].data(), 2) || !finite(store.fbcErr[k][n].data(), 2)) {
            return false;
        }
    }
    return true;
}

void takeFigures(const TrajectoryStore& store, const TypeSummary& summary, int k,
                 MechanismResult& result) {
    const int last = summary.lastRecord;
    result.hasFigures = true;
    result.records = last + 1;
    result.endTime = summary.endTime;
    result.nofbcMaxDd = summary.maxDdNoFbc;
    result.nofbcMaxDth = summary.maxDthNoFbc;
    result.fbcMaxDd = summary.maxDdFbc;
    result.fbcMaxDth = summary.maxDthFbc;
    double sumSquares = 0.0;
    for (int n = 0; n <= last; ++n) {
        const double dd = store.fbcErr[k][n][0];
        sumSquares = sumSquares + dd * dd;
    }
    result.fbcRmsDd = std::sqrt(sumSquares / (last + 1));
    result.fbcFinalDd = store.fbcErr[k][last][0];
    result.fbcFinalDth = store.fbcErr[k][last][1];
}

PointResult allWith(RunOutcome outcome, const std::string& reason) {
    PointResult result;
    for (MechanismResult& m : result) {
        m.outcome = outcome;
        m.reason = reason;
    }
    return result;
}

}  // namespace

const char* outcomeName(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::kDone:
            return "done";
        case RunOutcome::kTooLong:
            return "too_long";
        case RunOutcome::kOverflow:
            return "overflow";
        case RunOutcome::kDiverged:
            return "diverged";
        case RunOutcome::kRefused:
            break;
    }
    return "refused";
}

SweepModel::SweepModel() : noise_(std::make_unique<NoiseState>()) {}
SweepModel::~SweepModel() = default;

bool SweepModel::load(std::string& error) {
    AgvContext ctx;
    ctx.out = &discardedText();
    if (!loadRandomTables(ctx, error)) return false;
    noise_->tables = ctx.noise.tables;
    return true;
}

double baseErrorSize(const SweepScenario& scenario) {
    return scenario.errorNumber == 0 ? 0.0 : scenario.errorValue1;
}

SweepRunner::SweepRunner(const SweepModel& model)
    : model_(model), ctx_(std::make_unique<AgvContext>()) {
    ctx_->out = &discardedText();
    ctx_->noise.tables = model_.noise().tables;
}

SweepRunner::~SweepRunner() = default;

bool SweepRunner::prepare(const SweepScenario& scenario, const GridValues& values,
                          RunOutcome& outcome, std::string& reason) {
    AgvContext& ctx = *ctx_;
    // A fresh program: the random numbers start over and the slip noise is zero, as in a
    // new agvsim-batch process.
    const NoiseState fresh;
    ctx.noise.rngState = fresh.rngState;
    std::fill(ctx.noise.slipNoise1.begin(), ctx.noise.slipNoise1.end(), 0.0);
    std::fill(ctx.noise.slipNoise2.begin(), ctx.noise.slipNoise2.end(), 0.0);
    initialiseRun(ctx);

    outcome = RunOutcome::kRefused;
    const char errorNumber = static_cast<char>('0' + scenario.errorNumber);
    const double value1 = scenario.errorNumber == 0 ? 0.0 : values.errorSize;
    if (!passes(ctx, reason,
                [&] { return checkErrorChoice(ctx, errorNumber, value1, scenario.errorValue2); })) {
        return false;
    }
    const int curve = scenario.curveNumber;
    if (scenario.pathChanged) {
        ctx.settings.curveNumber = curve;
        if (!scenario.curveParams.empty()) {
            storeCurveConstants(ctx, curve, scenario.curveParams.data());
        }
        if (!passes(ctx, reason, [&] { return checkCurveConstants(ctx, curve); })) return false;
    }
    if (!passes(ctx, reason, [&] { return checkFeedbackDesign(ctx, values.fn, values.zeta); })) {
        return false;
    }
    applyErrorChoice(ctx, errorNumber, value1, scenario.errorValue2);
    if (scenario.pathChanged) {
        setupPath(ctx, curve);
        if (!passes(ctx, reason, [&] { return checkPathLength(ctx, curve) != 0; })) {
            outcome = RunOutcome::kTooLong;
            return false;
        }
    }
    applyFeedbackDesign(ctx, values.fn, values.zeta);
    return true;
}

int SweepRunner::check(const SweepScenario& scenario, const GridValues& values,
                       std::string& reason) {
    RunOutcome outcome = RunOutcome::kDone;
    if (prepare(scenario, values, outcome, reason)) return 0;
    return outcome == RunOutcome::kTooLong ? kScenarioTooLong : kScenarioRefused;
}

PointResult SweepRunner::run(const SweepScenario& scenario, const GridValues& values) {
    RunOutcome outcome = RunOutcome::kDone;
    std::string reason;
    if (!prepare(scenario, values, outcome, reason)) return allWith(outcome, reason);

    AgvContext& ctx = *ctx_;
    TrajectoryStore& store = *ctx.store;
    // The computation sets the count of each type it completes.
    std::fill(std::begin(store.recordCount), std::end(store.recordCount), -1);
    PointResult result;
    if (computeTrajectories(ctx) >= kMaxRecords) {
        // Types are computed in order and the first one out of records ends the run.
        bool completed[kVehicleTypeCount];
        for (int k = 0; k < kVehicleTypeCount; ++k) {
            completed[k] = store.recordCount[k] >= 0;
            if (!completed[k]) store.recordCount[k] = 0;
        }
        const std::array<TypeSummary, 3> summary = summariseTrajectories(store);
        bool before = true;
        for (int k = 0; k < kVehicleTypeCount; ++k) {
            MechanismResult& m = result[k];
            if (before && completed[k]) {
                m.outcome = RunOutcome::kDone;
                takeFigures(store, summary[k], k, m);
                continue;
            }
            m.outcome = RunOutcome::kOverflow;
            m.reason = before ? "ran out of the " + std::to_string(kMaxRecords) + " records"
                              : "not computed: an earlier type ran out of records";
            before = false;
        }
        return result;
    }

    const bool allFinite = trajectoriesAreFinite(ctx);
    const std::array<TypeSummary, 3> summary = summariseTrajectories(store);
    for (int k = 0; k < kVehicleTypeCount; ++k) {
        MechanismResult& m = result[k];
        takeFigures(store, summary[k], k, m);
        if (allFinite || typeIsFinite(store, k)) {
            m.outcome = RunOutcome::kDone;
        } else {
            m.outcome = RunOutcome::kDiverged;
            m.reason = "the computation diverged (values that are no finite numbers)";
        }
    }
    return result;
}

}  // namespace agv
