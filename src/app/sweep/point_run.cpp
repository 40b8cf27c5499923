#include "app/sweep/point_run.h"

#include <algorithm>
#include <cmath>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/outcome_text.h"
#include "app/common/random_table_file.h"
#include "app/common/text_output.h"
#include "app/common/trajectory_csv.h"
#include "sim/caltraj.h"
#include "sim/controller_theory.h"
#include "sim/following_figures.h"
#include "sim/linear_theory.h"

namespace agv {

namespace {

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
    result.fbcRmsDd = rmsFbcDd(store, k, last);
    result.fbcFinalDd = store.fbcErr[k][last][0];
    result.fbcFinalDth = store.fbcErr[k][last][1];
}

/// The theory's figures of each type.
void addTheory(const Model& model, PointResult& result) {
    const RunTheory theory = runTheory(model);
    for (int k = 0; k < kVehicleTypeCount; ++k) {
        const TypeTheory& t = theory.types[static_cast<size_t>(k)];
        MechanismResult& m = result[static_cast<size_t>(k)];
        m.hasTheory = true;
        m.maxPoleReal = t.maxPoleReal;
        m.settlingTime = t.figures.settlingTime;
        m.theorySteadyDd = t.steady.defined ? t.steady.dd : std::nan("");
        m.stepStable = t.maxStepGrowth <= 1.0;
        m.beyondLinear = t.beyondLinearRange;
        if (model.settings.controller == ControllerKind::kFnZeta) continue;
        // Another law: its own lateral poles and steady offset (docs/controllers.md), the
        // fn/zeta speed law's along-path poles; no settling time is computed for it.
        const LawTheory law = lawTheory(model, k + 1);
        const LawLoop loop = lawLoop(law, t);
        m.maxPoleReal = loop.maxPoleReal;
        m.settlingTime = std::nan("");
        m.theorySteadyDd = law.steadyDefined ? law.steadyDd : std::nan("");
        // The step's verdict on the law's poles; whether its response reaches a limit is not
        // predicted for these laws.
        m.stepStable = loop.maxStepGrowth <= 1.0;
        m.beyondLinear = false;
    }
}

PointResult allWith(CellOutcome outcome, const std::string& reason) {
    PointResult result;
    for (MechanismResult& m : result) {
        m.outcome = outcome;
        m.reason = reason;
    }
    return result;
}

}  // namespace

const char* outcomeName(CellOutcome outcome) {
    switch (outcome) {
        case CellOutcome::kDone:
            return "done";
        case CellOutcome::kTooLong:
            return "too_long";
        case CellOutcome::kOverflow:
            return "overflow";
        case CellOutcome::kDiverged:
            return "diverged";
        case CellOutcome::kPartial:
            return "partial";
        case CellOutcome::kRefused:
            break;
    }
    return "refused";
}

SweepModel::SweepModel() = default;
SweepModel::~SweepModel() = default;

bool SweepModel::load(std::string& error, const std::string& folder) {
    if (!folder.empty()) return loadRandomTablesFrom(folder, tables_, error);
    return loadRandomTables(tables_, error);
}

double baseErrorSize(const Scenario& scenario) {
    const MechanismError error = namedError(scenario.errors);
    if (error == MechanismError::kNone || error == MechanismError::kCombined) return 0.0;
    double values[2];
    errorValuesOf(scenario.errors, error, values);
    return values[0];
}

SweepRunner::SweepRunner(const SweepModel& model)
    : model_(model), ctx_(std::make_unique<AgvContext>()) {
    ctx_->out = &discardedText();
    ctx_->model.tables = model_.tables();
}

SweepRunner::~SweepRunner() = default;

bool SweepRunner::prepare(const Scenario& scenario, const GridValues& values, CellOutcome& outcome,
                          std::string& reason) {
    AgvContext& ctx = *ctx_;
    // A fresh program: the random numbers start over and the slip noise is zero, as in a
    // new agvsim-batch process.
    ctx.data.noise = SlipNoise{};
    initialiseRun(ctx);

    Scenario point = scenario;
    // The size is that of the one error given; with none (or several) there is no size to
    // sweep and the values stay as they are.
    const MechanismError sized = namedError(point.errors);
    if (sized != MechanismError::kNone && sized != MechanismError::kCombined) {
        double errorValues[2];
        errorValuesOf(point.errors, sized, errorValues);
        giveError(point.errors, sized, values.errorSize, errorValues[1]);
    }
    point.fn = values.fn;
    point.zeta = values.zeta;
    if (values.seed) point.seed = values.seed;
    if (values.law) {
        point.controller = values.law->kind;
        if (values.law->kind == ControllerKind::kPurePursuit) {
            point.controllerParams.lookahead = values.law->parameter;
        } else if (values.law->kind == ControllerKind::kStanley) {
            point.controllerParams.stanleyGain = values.law->parameter;
        }
    }
    const Refusal refusal = useScenario(ctx, point);
    if (refusal.accepted()) return true;
    reason = refusalReason(refusal);
    outcome =
        refusal.field == ScenarioField::kPathLength ? CellOutcome::kTooLong : CellOutcome::kRefused;
    return false;
}

int SweepRunner::check(const Scenario& scenario, const GridValues& values, std::string& reason) {
    CellOutcome outcome = CellOutcome::kDone;
    if (prepare(scenario, values, outcome, reason)) return 0;
    return outcome == CellOutcome::kTooLong ? kScenarioTooLong : kScenarioRefused;
}

PointResult SweepRunner::run(const Scenario& scenario, const GridValues& values,
                             const std::atomic<bool>* stop) {
    CellOutcome cell = CellOutcome::kDone;
    std::string reason;
    if (!prepare(scenario, values, cell, reason)) return allWith(cell, reason);
    PointResult result = computeRun(stop);
    if (theory_) addTheory(ctx_->model, result);
    return result;
}

PointResult SweepRunner::computeRun(const std::atomic<bool>* stop) {
    AgvContext& ctx = *ctx_;
    const TrajectoryStore& store = *ctx.data.store;
    // The sweep runs its grid points side by side already: the types one after another.
    const RunOutcome outcome = computeTrajectories(ctx, TypeScheduling::kOneAfterAnother, {}, stop);
    PointResult result;
    if (outcome.status == RunStatus::kStoreOverflow) {
        // Types are computed in order and the first one out of records ends the run.
        const int failing = outcome.vehicleType - 1;
        const std::array<TypeSummary, 3> summary = summariseTrajectories(store);
        for (int k = 0; k < kVehicleTypeCount; ++k) {
            MechanismResult& m = result[k];
            if (k < failing) {
                m.outcome = CellOutcome::kDone;
                takeFigures(store, summary[k], k, m);
                continue;
            }
            m.outcome = CellOutcome::kOverflow;
            m.reason = k == failing ? outcomeReason(outcome)
                                    : "not computed: an earlier type ran out of records";
        }
        return result;
    }

    const std::array<TypeSummary, 3> summary = summariseTrajectories(store);
    for (int k = 0; k < kVehicleTypeCount; ++k) {
        MechanismResult& m = result[k];
        takeFigures(store, summary[k], k, m);
        if (store.diverged[k]) {
            // Its figures are those of the records up to where it left the path.
            RunOutcome left = outcome;
            left.vehicleType = k + 1;
            left.record = store.recordCount[k];
            left.time = store.divergedTime[k];
            m.outcome = CellOutcome::kDiverged;
            m.reason = outcomeReason(left);
        } else {
            m.outcome = CellOutcome::kDone;
        }
    }
    return result;
}

}  // namespace agv
