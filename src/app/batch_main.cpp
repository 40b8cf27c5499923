// agvsim-batch: one computation of the simulator from command-line options, through the
// same steps as the console dialogue, with CSV, summary and picture output.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "app/batch_options.h"
#include "app/batch_output.h"
#include "app/context.h"
#include "app/dialogue.h"
#include "app/startup.h"
#include "app/text_output.h"
#include "draw/picture_export.h"
#include "noise/random_tables.h"
#include "path/arc_length.h"
#include "path/path_dialogue.h"
#include "path/path_length.h"

namespace {

/// Exit statuses of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitPathTooLong = 3;

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

/// The refusal text of the path dialogue, on one line.
std::string oneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    while (!line.empty() && line.front() == ' ')
        line.erase(line.begin());
    return line;
}

/// Runs one of the dialogue's checks with its refusal caught, on one line, in message.
template <typename Check>
bool passes(agv::AgvContext& ctx, std::string& message, Check check) {
    std::ostringstream refusal;
    ctx.out = &refusal;
    const bool accepted = check();
    ctx.out = &std::cerr;
    message = oneLine(refusal.str());
    return accepted;
}

int run(int argc, char** argv) {
    agv::BatchOptions options;
    std::string error;
    if (!agv::parseBatchOptions(argc, argv, options, error)) return usageError(error);
    if (options.help) {
        std::cout << agv::batchUsage();
        return kExitOk;
    }

    // The computation's messages start with a line break and end without one; the
    // tool's own lines below follow that habit, and a final line break closes them.
    agv::AgvContext ctx;
    ctx.out = &std::cerr;
    if (!agv::loadRandomTables(ctx, error)) {
        std::cerr << '\n' << kProgramName << ": " << error << '\n';
        return kExitFailure;
    }
    agv::initialiseRun(ctx);

    // Arguments the dialogue would refuse are refused here, before anything is computed.
    const char errorNumber = static_cast<char>('0' + options.errorNumber);
    std::string refusal;
    if (!passes(ctx, refusal, [&] {
            return agv::checkErrorChoice(ctx, errorNumber, options.errorValue1,
                                         options.errorValue2);
        })) {
        return usageError("--error-values refused: " + refusal, "\n");
    }
    const int curve = options.curveNumber;
    if (options.pathChanged) {
        ctx.settings.curveNumber = curve;
        if (!options.curveParams.empty()) {
            agv::storeCurveConstants(ctx, curve, options.curveParams.data());
        }
        if (!passes(ctx, refusal, [&] { return agv::checkCurveConstants(ctx, curve); })) {
            return usageError("--curve-params refused: " + refusal, "\n");
        }
    }
    if (!passes(ctx, refusal,
                [&] { return agv::checkFeedbackDesign(ctx, options.fn, options.zeta); })) {
        return usageError("--fn/--zeta refused: " + refusal, "\n");
    }

    // Section 1: the mechanism error.
    agv::applyErrorChoice(ctx, errorNumber, options.errorValue1, options.errorValue2);

    // Section 2: the path, as after a "y" to the path question.
    if (options.pathChanged) {
        agv::setupPath(ctx, curve);
        if (agv::checkPathLength(ctx, curve) == 0) {
            agv::printText(std::cerr, "\n%s: path %d refused (sf = %.4f m); nothing written\n",
                           kProgramName, curve, ctx.path.pathEnd[curve].sf);
            return kExitPathTooLong;
        }
    }

    // Section 3: the feedback design.
    agv::applyFeedbackDesign(ctx, options.fn, options.zeta);

    int result = 0;
    {
        ProgressNotice progress;
        result = agv::computeTrajectories(ctx);
    }
    if (result >= agv::kMaxRecords) {
        agv::printText(std::cerr, "\n%s: the path ran out of records; nothing written\n",
                       kProgramName);
        return kExitPathTooLong;
    }
    std::cerr << '\n';

    const agv::TrajectoryStore& store = *ctx.store;
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
        !agv::writeTrajectoryCsvFile(options.csvPath, store, ctx.settings.dt, error)) {
        std::cerr << kProgramName << ": " << error << '\n';
        return kExitFailure;
    }
    if (options.summary) {
        std::ostream& out = options.csvPath == "-" ? std::cerr : std::cout;
        agv::writeSummary(out, agv::summariseTrajectories(store));
        out.flush();
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    return run(argc, argv);
}
