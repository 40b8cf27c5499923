#include "sim/caltraj.h"

#include <cmath>

#include "noise/slip_noise.h"
#include "path/curves.h"
#include "sim/concurrency.h"
#include "sim/rkg_step.h"

namespace agv {

namespace {

/// A final step up to this many sub-steps is taken at once.
constexpr double kFinalStepSpan = 2.0;

/// Slip noise sample of sub-step m; the sequences repeat should a run outlast them.
double noiseSample(const std::vector<double>& noise, int m) {
    if (noise.empty()) return 0.0;
    return noise[static_cast<size_t>(m) % noise.size()];
}

void setPose(PoseRecord& record, const Pose& pose) {
    record[kPoseS] = pose.s;
    record[kPoseTheta] = pose.theta;
    record[kPoseX] = pose.x;
    record[kPoseY] = pose.y;
    record[kPosePhi] = pose.phi;
}

/// The outcome of type index k that ended at record n for the given reason.
RunOutcome endedAt(const Model& model, RunStatus status, int k, int n) {
    RunOutcome outcome;
    outcome.status = status;
    outcome.curveNumber = model.settings.curveNumber;
    outcome.vehicleType = k + 1;
    outcome.record = n;
    return outcome;
}

RunOutcome overflow(const Model& model, int k, int n) {
    RunOutcome outcome = endedAt(model, RunStatus::kStoreOverflow, k, n);
    outcome.limit = kMaxRecords;
    return outcome;
}

/// True when every value the step wrote is a finite number.
bool stepIsFinite(const MotionState& state, const ErrorSignals& e) {
    for (const Pose* pose : {&state.theory, &state.noFbc, &state.fbc}) {
        for (const double v : {pose->s, pose->theta, pose->x, pose->y, pose->phi}) {
            if (!std::isfinite(v)) return false;
        }
    }
    return std::isfinite(e.ddNoFbc) && std::isfinite(e.dthNoFbc) && std::isfinite(e.ddFbc) &&
           std::isfinite(e.dthFbc);
}

/// Sub-steps of the final step hFinal [s] with the sub-step h [s]: one up to two sub-steps
/// (the longest final step at full speed), else as many as keep each within h. A step that
/// is no number stays one step.
int finalSubSteps(double hFinal, double h) {
    if (!(hFinal > kFinalStepSpan * h)) return 1;
    const double count = std::ceil(hFinal / h);
    return count < static_cast<double>(kMaxRecords * kSubSteps) ? static_cast<int>(count)
                                                                : kMaxRecords * kSubSteps;
}

/// Ends type index k after record n: the step that starts at time t left the path.
RunOutcome diverged(const Model& model, TrajectoryStore& store, int k, int n, double t) {
    store.recordCount[k] = n;
    store.endTime[k] = n * model.settings.dt;
    store.diverged[k] = true;
    store.divergedTime[k] = t;
    fitRecords(store, k);
    RunOutcome outcome = endedAt(model, RunStatus::kDiverged, k, n);
    outcome.time = t;
    return outcome;
}

/// Ends type index k after record n: the caller asked the computation to stop.
RunOutcome stopped(const Model& model, TrajectoryStore& store, int k, int n) {
    store.recordCount[k] = n;
    store.endTime[k] = n * model.settings.dt;
    fitRecords(store, k);
    RunOutcome outcome = endedAt(model, RunStatus::kStopped, k, n);
    outcome.time = store.endTime[k];
    return outcome;
}

/// True when the caller has asked the computation to stop. Read once per record: a relaxed
/// load costs nothing beside the record's steps, and the stop needs no ordering.
bool stopRequested(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

}  // namespace

void recordSample(TrajectoryStore& store, int k, int n, const MotionState& state,
                  const MechanismRun& run) {
    reserveRecords(store, k, n);
    const ReferencePoint& ref = run.refs[1];
    const Pose refPose{ref.s, ref.theta, ref.x, ref.y, ref.phi};
    PoseRecord& theory = store.theoryTraj[k][n];
    PoseRecord& noFbc = store.noFbcTraj[k][n];
    PoseRecord& fbc = store.fbcTraj[k][n];
    PoseRecord& fbcRef = store.fbcRefTraj[k][n];
    setPose(theory, state.theory);
    setPose(noFbc, state.noFbc);
    setPose(fbc, state.fbc);
    setPose(fbcRef, refPose);
    for (int j = 0; j < kPoseFields; ++j) {
        store.noFbcDiff[k][n][j] = noFbc[j] - theory[j];
        store.fbcDiff[k][n][j] = fbc[j] - fbcRef[j];
    }
    store.noFbcErr[k][n] = {run.errors.ddNoFbc, run.errors.dthNoFbc};
    store.fbcErr[k][n] = {run.errors.ddFbc, run.errors.dthFbc};
    store.correctionIntegral[k] = run.correctionIntegral;
}

RunOutcome computeMechanism(const Model& model, RunData& data, int k,
                            const std::atomic<bool>* stop) {
    const SimulationSettings& set = model.settings;
    const int I = set.curveNumber;
    TrajectoryStore& store = *data.store;
    const std::vector<double>& noise1 = data.noise.slipNoise1;
    const std::vector<double>& noise2 = data.noise.slipNoise2;
    MechanismRun& run = data.mechanism[k];
    run = MechanismRun{};
    run.vehicleType = k + 1;
    store.diverged[k] = false;

    const double h = set.dt / kSubSteps;
    const double sf = model.path.pathEnd[I].sf;

    // All three vehicles start at the path start, heading along it.
    double pt[2];
    double d[3];
    curvePoint(model, 0.0, I, pt);
    curveTangent(model, 0.0, I, d);
    const double kappa0 = curveCurvature(model, 0.0, I);
    const double phi0 = std::atan(set.tread * kappa0);
    const Pose start{0.0, d[2], pt[0], pt[1], phi0};

    MotionState state;
    state.theory = state.noFbc = state.fbc = start;
    state.kappa = kappa0;
    state.p = 0.0;
    state.nu1 = noiseSample(noise1, 0);
    state.nu2 = noiseSample(noise2, 0);
    MotionState newState = state;
    const ReferencePoint startRef{0.0, d[2], pt[0], pt[1], phi0, kappa0, 0.0};
    run.refs[0] = run.refs[1] = startRef;
    recordSample(store, k, 0, state, run);

    int m = 0;
    int n = 0;
    double sPrev = 0.0;
    for (;;) {
        ++m;
        state.nu1 = noiseSample(noise1, m);
        state.nu2 = noiseSample(noise2, m);
        rkgStep(model, run, h, state, newState);
        if (run.leftPath || run.workLeft < 0 || !stepIsFinite(newState, run.errors)) {
            return diverged(model, store, k, n, (m - 1) * h);
        }
        if (newState.theory.s > sf - set.Vw * h) break;
        run.correctionIntegral = run.correctionIntegral + std::fabs(run.stepStartCorrection) * h;
        if (m % kSubSteps == 0) {
            if (stopRequested(stop)) return stopped(model, store, k, n);
            ++n;
            if (n >= kMaxRecords) return overflow(model, k, n);
            recordSample(store, k, n, newState, run);
        }
        sPrev = newState.theory.s;
        state = newState;
    }

    // One more step, sized by interpolating the discarded one, brings the theoretical
    // vehicle to the path end. At full speed it spans less than two sub-steps (the loop
    // ends within Vw·h of the end); where the vehicle has slowed down it spans many, and
    // is then taken in equal sub-steps of at most h.
    const double sNew = newState.theory.s;
    const double hFinal = h * (sf - sPrev) / (sNew - sPrev);
    const int finalSteps = finalSubSteps(hFinal, h);
    const double hPart = finalSteps == 1 ? hFinal : hFinal / finalSteps;
    for (int i = 0; i < finalSteps; ++i) {
        if (i > 0) state = newState;
        // A vehicle slowed down in a bend may take many sub-steps to the end.
        if (i > 0 && i % kSubSteps == 0 && stopRequested(stop)) return stopped(model, store, k, n);
        rkgStep(model, run, hPart, state, newState);
        if (run.leftPath || run.workLeft < 0 || !stepIsFinite(newState, run.errors)) {
            return diverged(model, store, k, n, (m - 1) * h + i * hPart);
        }
        run.correctionIntegral =
            run.correctionIntegral + std::fabs(run.stepStartCorrection) * hPart;
    }
    // The end record takes the next index; one past the store counts as an overflow.
    if (n + 1 >= kMaxRecords) return overflow(model, k, n + 1);
    store.endTime[k] = (m - 1) * h + hFinal;
    store.recordCount[k] = n + 1;
    recordSample(store, k, n + 1, newState, run);
    fitRecords(store, k);

    RunOutcome outcome;
    outcome.curveNumber = I;
    outcome.vehicleType = k + 1;
    outcome.length = sf;
    if (!recordsAreFinite(store, k)) {
        // A recorded value overflowed although every step stayed finite.
        outcome.status = RunStatus::kDiverged;
        outcome.record = n + 1;
        outcome.time = store.endTime[k];
        store.diverged[k] = true;
        store.divergedTime[k] = outcome.time;
    }
    return outcome;
}

void drawSlipNoise(const Model& model, RunData& data) {
    if (!hasError(model.settings.errorsGiven, MechanismError::kSlip)) return;
    SlipNoise& noise = data.noise;
    if (model.settings.slipSeeded) noise.rngState = model.settings.slipGeneratorStart;
    noise.slipNoise1.resize(kSlipNoiseLength);
    noise.slipNoise2.resize(kSlipNoiseLength);
    makeSlipNoise(model.tables, model.settings.dt, noise.rngState,
                  static_cast<int>(noise.slipNoise1.size()), noise.slipNoise1.data());
    makeSlipNoise(model.tables, model.settings.dt, noise.rngState,
                  static_cast<int>(noise.slipNoise2.size()), noise.slipNoise2.data());
}

RunOutcome caltraj(const Model& model, RunData& data, TypeScheduling scheduling,
                   const std::function<void(int)>& typeDone, const std::atomic<bool>* stop) {
    drawSlipNoise(model, data);
    RunOutcome outcomes[kVehicleTypeCount];
    if (scheduling == TypeScheduling::kConcurrent && kThreadsAvailable) {
        // The types share only what they read (the model and the slip noise) and write
        // their own run and their own records, so they can run side by side.
        runConcurrently(kVehicleTypeCount, [&](int k) {
            outcomes[k] = computeMechanism(model, data, k, stop);
            const RunStatus status = outcomes[k].status;
            if (typeDone && status != RunStatus::kStoreOverflow && status != RunStatus::kStopped)
                typeDone(k);
        });
    } else {
        for (int k = 0; k < kVehicleTypeCount; ++k) {
            outcomes[k] = computeMechanism(model, data, k, stop);
            if (outcomes[k].status == RunStatus::kStoreOverflow ||
                outcomes[k].status == RunStatus::kStopped) {
                data.lastWheels = data.mechanism[k].wheels;
                return outcomes[k];
            }
            if (typeDone) typeDone(k);
        }
    }
    // A stop decides, then the first type that ran out of records, then the first that
    // diverged.
    const RunOutcome* decisive = &outcomes[kVehicleTypeCount - 1];
    for (const RunStatus status :
         {RunStatus::kDiverged, RunStatus::kStoreOverflow, RunStatus::kStopped}) {
        for (const RunOutcome& outcome : outcomes) {
            if (outcome.status == status) {
                decisive = &outcome;
                break;
            }
        }
    }
    const bool cut =
        decisive->status == RunStatus::kStoreOverflow || decisive->status == RunStatus::kStopped;
    const int last = cut ? decisive->vehicleType - 1 : kVehicleTypeCount - 1;
    data.lastWheels = data.mechanism[last].wheels;
    return *decisive;
}

}  // namespace agv
