// agvsim-batch: one computation of the simulator from command-line options, through the
// same steps as the console dialogue, with CSV, summary and picture output.
#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "app/batch/exercise_report.h"
#include "app/batch/law_theory_report.h"
#include "app/batch/options.h"
#include "app/batch/theory_report.h"
#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/draw_context.h"
#include "app/common/outcome_text.h"
#include "app/common/random_table_file.h"
#include "app/common/text_output.h"
#include "app/common/trajectory_csv.h"
#include "draw/picture_export.h"
#include "sim/scenario_text.h"

namespace {

/// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitPathTooLong = 3;
constexpr int kExitDiverged = 4;
constexpr int kExitTargetMissed = 5;

/// A computation still running after this long gets a progress line.
constexpr std::chrono::milliseconds kProgressDelay{1000};

const char* const kProgramName = "agvsim-batch";

int usageError(const std::string& message, const char* lead = "") {
    std::cerr << lead << kProgramName << ": " << message << "\n\n" << agv::batchUsage();
    return kExitUsage;
}

/// Prints one progress line on standard error if the computation outlasts kProgressDelay.
class ProgressNotice {
  public:
    ProgressNotice() : worker_([this] { run(); }) {}
    ~ProgressNotice() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        worker_.join();
    }
    ProgressNotice(const ProgressNotice&) = delete;
    ProgressNotice& operator=(const ProgressNotice&) = delete;

  private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!wake_.wait_for(lock, kProgressDelay, [this] { return done_; })) {
            // stdio locks stderr itself; the computation writes to it through std::cerr.
            std::fputs("\nagvsim-batch: computing the trajectories ...", stderr);
            std::fflush(stderr);
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread worker_;
};

/// The option that set the field a refusal concerns.
std::string optionOf(const agv::Refusal& refusal, const agv::BatchOptions& options) {
    if (options.scenarioGiven) return "--scenario";
    switch (refusal.field) {
        case agv::ScenarioField::kError:
            return "--error";
        case agv::ScenarioField::kErrorValue1:
        case agv::ScenarioField::kErrorValue2:
            if (agv::hasError(options.namedErrors.given, refusal.error)) {
                return agv::namedErrorFlag(refusal.error);
            }
            return "--error-values";
        case agv::ScenarioField::kCurve:
            return "--curve";
        case agv::ScenarioField::kCurveConstant:
        case agv::ScenarioField::kCurveConstants:
            return "--curve-params";
        case agv::ScenarioField::kLookahead:
            return "--lookahead";
        case agv::ScenarioField::kStanleyGain:
            return "--stanley-gain";
        case agv::ScenarioField::kLqrWeights:
            return "--lqr-weights";
        default:
            return "--fn/--zeta";
    }
}

int run(int argc, char** argv) {
    // A reader that goes away or a file size limit is a write error (exit 1), not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    agv::BatchOptions options;
    std::string error;
    if (!agv::parseBatchOptions(argc, argv, options, error)) return usageError(error);
    if (options.help) {
        std::cout << agv::batchUsage() << std::flush;
        return std::cout ? kExitOk : kExitFailure;
    }
    // An exercise without an answer is answered by its own start values.
    const agv::Scenario answer = options.exerciseGiven && !options.conditionsGiven
                                     ? options.exercise.conditions
                                     : agv::scenarioOf(options);
    if (options.printScenario) {
        std::cout << agv::scenarioText(answer) << '\n' << std::flush;
        return std::cout ? kExitOk : kExitFailure;
    }

    // The computation's messages start with a line break and end without one; the
    // tool's own lines below follow that habit, and a final line break closes them.
    agv::AgvContext ctx;
    ctx.out = &std::cerr;
    if (!agv::loadRandomTables(ctx.model.tables, error)) {
        std::cerr << '\n' << kProgramName << ": " << error << '\n';
        return kExitFailure;
    }
    std::cerr << "\nランダム変換表読み込み完了";
    agv::initialiseRun(ctx);

    if (options.exerciseGiven) {
        agv::ExerciseError bad;
        agv::Refusal conditions;
        if (!agv::checkExercise(ctx.model, options.exercise, bad, conditions)) {
            std::string why = agv::exerciseErrorText(bad);
            if (!conditions.accepted()) why += ": " + agv::refusalReason(conditions);
            return usageError("--exercise: " + why, "\n");
        }
        const agv::AnswerRefusal changed = agv::checkAnswer(options.exercise, answer);
        if (changed.refused) {
            return usageError("--exercise refused: " + agv::answerRefusalText(changed), "\n");
        }
    }

    // Arguments the dialogue would refuse are refused here, before anything is computed.
    const agv::Refusal refusal = agv::useScenario(ctx, answer);
    if (refusal.field == agv::ScenarioField::kPathLength) {
        std::cerr << '\n'
                  << kProgramName << ": " << agv::refusalReason(refusal) << "; nothing written\n";
        return kExitPathTooLong;
    }
    if (!refusal.accepted()) {
        return usageError(optionOf(refusal, options) + " refused: " + agv::refusalReason(refusal),
                          "\n");
    }

    agv::RunOutcome outcome;
    // The CSV rows of a type are formatted by the thread that computed it, as soon as it is
    // done, while the other types still compute; the file is written once all are done (a
    // type that diverged with its records up to there).
    std::array<std::string, 3> csvRows;
    const auto formatRows = [&](int k) {
        if (!options.csvPath.empty()) {
            agv::appendTrajectoryRows(csvRows[k], *ctx.data.store, k, ctx.model.settings.dt);
        }
    };
    {
        ProgressNotice progress;
        outcome = agv::computeTrajectories(ctx, agv::TypeScheduling::kConcurrent, formatRows);
    }
    agv::printComputationMessages(std::cerr, outcome);
    if (outcome.status == agv::RunStatus::kStoreOverflow) {
        std::cerr << '\n'
                  << kProgramName << ": " << agv::outcomeReason(outcome) << "; nothing written\n";
        return kExitPathTooLong;
    }
    std::cerr << '\n';
    const bool stdoutTaken =
        options.csvPath == "-" || options.pngPath == "-" || options.gifPath == "-";
    std::ostream& tableOut = stdoutTaken ? std::cerr : std::cout;
    if (options.theory) {
        // The theory needs no finished run: an unstable design is shown too.
        if (ctx.model.settings.controller == agv::ControllerKind::kFnZeta) {
            agv::writeTheoryReport(tableOut, agv::runTheory(ctx.model), ctx.model.settings,
                                   *ctx.data.store);
        } else {
            agv::writeLawTheoryReport(tableOut, ctx.model, *ctx.data.store);
        }
        tableOut.flush();
        if (!tableOut) {
            std::cerr << kProgramName << ": cannot write the theory\n";
            return kExitFailure;
        }
    }
    const agv::TrajectoryStore& store = *ctx.data.store;
    const int lastRecord = store.recordCount[options.vehicleType - 1];
    if (options.motionIndex > lastRecord) {
        return usageError("--index " + std::to_string(options.motionIndex) +
                          " is past the last record (" + std::to_string(lastRecord) + ") of type " +
                          std::to_string(options.vehicleType));
    }

    // Pictures first: a run that cannot draw them leaves no CSV behind.
    if (!options.pngPath.empty() || !options.framesDir.empty() || !options.gifPath.empty()) {
        agv::PictureRequest request;
        request.vehicleType = options.vehicleType;
        request.motionIndex = options.motionIndex;
        request.zoomSteps = options.zoomSteps;
        request.shiftX = options.shiftX;
        request.shiftY = options.shiftY;
        request.pngPath = options.pngPath;
        request.framesDir = options.framesDir;
        request.frameEvery = options.frameEvery;
        request.gifPath = options.gifPath;
        const int exported = agv::exportPictures(ctx, request, error);
        if (exported == kExitUsage) return kExitUsage;
        if (exported != 0) {
            std::cerr << kProgramName << ": " << error << '\n';
            return kExitFailure;
        }
    }

    if (!options.csvPath.empty() &&
        !agv::writeTrajectoryCsvRows(options.csvPath, csvRows, agv::trajectoryCsvOutcome(store),
                                     error)) {
        std::cerr << kProgramName << ": " << error << '\n';
        return kExitFailure;
    }
    if (options.summary) {
        std::ostream& out = tableOut;
        if (options.theory) out << '\n';
        agv::writeSummary(out, agv::summariseTrajectories(store));
        out << '\n';
        agv::writeFollowingFigures(out, store, ctx.model.settings.dt);
        out.flush();
        if (!out) {
            std::cerr << kProgramName << ": cannot write the summary\n";
            return kExitFailure;
        }
    }
    bool targetMissed = false;
    if (options.exerciseGiven) {
        const agv::ExerciseVerdict verdict =
            agv::judgeExercise(options.exercise, store, ctx.model.settings.dt);
        if (options.summary || options.theory) tableOut << '\n';
        agv::writeExerciseVerdict(tableOut, verdict);
        tableOut.flush();
        if (!tableOut) {
            std::cerr << kProgramName << ": cannot write the verdict\n";
            return kExitFailure;
        }
        targetMissed = !verdict.pass;
    }
    // A run that diverged is written as far as it went, and says so last.
    if (outcome.status == agv::RunStatus::kDiverged) {
        for (int k = 0; k < 3; ++k) {
            if (!store.diverged[k]) continue;
            std::cerr << kProgramName << ": "
                      << agv::divergenceReason(k + 1, store.recordCount[k], store.divergedTime[k])
                      << "; the records up to there are kept\n";
        }
        return targetMissed ? kExitTargetMissed : kExitDiverged;
    }
    return targetMissed ? kExitTargetMissed : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    return run(argc, argv);
}
