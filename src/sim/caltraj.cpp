#include "sim/caltraj.h"

#include <cmath>

#include "app/context.h"
#include "app/text_output.h"
#include "noise/random_tables.h"
#include "noise/slip_noise.h"
#include "path/curves.h"
#include "sim/rkg_step.h"

namespace agv {

namespace {

/// Error number of the random drive-wheel slip.
constexpr char kSlipError = '5';

/// Completion message of each vehicle type.
constexpr const char* kDoneMessage[kVehicleTypeCount] = {
    "\n      2DW1C 計算終わり",
    "\n      1FDW1FS 計算終わり",
    "\n      1RDW1FS 計算終わり",
};

/// Slip noise sample of sub-step m; the sequences repeat should a run outlast them.
double noiseSample(const std::vector<double>& noise, int m) {
    if (noise.empty()) return 0.0;
    return noise[static_cast<size_t>(m) % noise.size()];
}

void setPose(PoseRecord& record, const double* pose) {
    for (int j = 0; j < kPoseFields; ++j)
        record[j] = pose[j];
}

int reportOverflow(AgvContext& ctx, int curveNumber, int k, int n) {
    printText(*ctx.out,
              "\ncaltraj() I=%d AGV=%d 刻み数NN=%d>=%d=MAX 経路長長過ぎる．経路設定し直し",
              curveNumber, k + 1, n, kMaxRecords);
    return kStoreOverflow;
}

}  // namespace

void recordSample(AgvContext& ctx, int k, int n, const MotionState& state,
                  const ReferencePoint refs[2]) {
    TrajectoryStore& store = *ctx.store;
    const ReferencePoint& ref = refs[1];
    const double refPose[kPoseFields] = {ref.s, ref.theta, ref.x, ref.y, ref.phi};
    PoseRecord& theory = store.theoryTraj[k][n];
    PoseRecord& noFbc = store.noFbcTraj[k][n];
    PoseRecord& fbc = store.fbcTraj[k][n];
    PoseRecord& fbcRef = store.fbcRefTraj[k][n];
    setPose(theory, &state[kSlotTheory]);
    setPose(noFbc, &state[kSlotNoFbc]);
    setPose(fbc, &state[kSlotFbc]);
    setPose(fbcRef, refPose);
    for (int j = 0; j < kPoseFields; ++j) {
        store.noFbcDiff[k][n][j] = noFbc[j] - theory[j];
        store.fbcDiff[k][n][j] = fbc[j] - fbcRef[j];
    }
    store.noFbcErr[k][n] = {ctx.errors.ddNoFbc, ctx.errors.dthNoFbc};
    store.fbcErr[k][n] = {ctx.errors.ddFbc, ctx.errors.dthFbc};
}

int caltraj(AgvContext& ctx, int curveNumber) {
    const SimulationSettings& set = ctx.settings;
    TrajectoryStore& store = *ctx.store;
    std::vector<double>& noise1 = ctx.noise.slipNoise1;
    std::vector<double>& noise2 = ctx.noise.slipNoise2;

    if (set.errorNumber == kSlipError) {
        makeSlipNoise(ctx, static_cast<int>(noise1.size()), noise1.data());
        makeSlipNoise(ctx, static_cast<int>(noise2.size()), noise2.data());
    }

    const double h = set.dt / kSubSteps;
    const double sf = ctx.path.pathEnd[curveNumber].sf;

    for (int k = 0; k < kVehicleTypeCount; ++k) {
        const int vehicleType = k + 1;

        // All three vehicles start at the path start, heading along it.
        double pt[2];
        double d[3];
        curvePoint(ctx, 0.0, curveNumber, pt);
        curveTangent(ctx, 0.0, curveNumber, d);
        const double kappa0 = curveCurvature(ctx, 0.0, curveNumber);
        const double phi0 = std::atan(set.tread * kappa0);
        const double start[kPoseFields] = {0.0, d[2], pt[0], pt[1], phi0};

        setPose(store.theoryTraj[k][0], start);
        setPose(store.noFbcTraj[k][0], start);
        setPose(store.fbcTraj[k][0], start);
        setPose(store.fbcRefTraj[k][0], start);
        for (int j = 0; j < kPoseFields; ++j) {
            store.noFbcDiff[k][0][j] = 0.0;
            store.fbcDiff[k][0][j] = 0.0;
        }
        store.noFbcErr[k][0] = {0.0, 0.0};
        store.fbcErr[k][0] = {0.0, 0.0};

        MotionState state{};
        for (const int base : {kSlotTheory, kSlotNoFbc, kSlotFbc}) {
            for (int j = 0; j < kPoseFields; ++j)
                state[base + j] = start[j];
        }
        state[kSlotKappa] = kappa0;
        state[kSlotParam] = 0.0;
        state[kSlotNoise1] = noiseSample(noise1, 0);
        state[kSlotNoise2] = noiseSample(noise2, 0);
        MotionState newState = state;

        const ReferencePoint startRef{0.0, d[2], pt[0], pt[1], phi0, kappa0, 0.0};
        ReferencePoint refs[2] = {startRef, startRef};
        ctx.errors = ErrorSignals{};

        int m = 0;
        int n = 0;
        double t = 0.0;
        double sPrev = 0.0;
        for (;;) {
            ++m;
            state[kSlotNoise1] = noiseSample(noise1, m);
            state[kSlotNoise2] = noiseSample(noise2, m);
            rkgStep(ctx, t, h, curveNumber, vehicleType, state, newState, refs, kStateSlots);
            if (newState[kSlotTheory + kPoseS] > sf - set.Vw * h) break;
            t = t + h;
            if (m % kSubSteps == 0) {
                ++n;
                if (n >= kMaxRecords) return reportOverflow(ctx, curveNumber, k, n);
                recordSample(ctx, k, n, newState, refs);
            }
            sPrev = newState[kSlotTheory + kPoseS];
            state = newState;
        }

        // One more step, sized by interpolating the discarded one, brings the theoretical
        // vehicle to the path end; where it is slow this step spans several sub-steps.
        const double sNew = newState[kSlotTheory + kPoseS];
        const double hFinal = h * (sf - sPrev) / (sNew - sPrev);
        rkgStep(ctx, t, hFinal, curveNumber, vehicleType, state, newState, refs, kStateSlots);
        // The end record takes the next index; one past the store counts as an overflow.
        if (n + 1 >= kMaxRecords) return reportOverflow(ctx, curveNumber, k, n + 1);
        store.endTime[k] = (m - 1) * h + hFinal;
        store.recordCount[k] = n + 1;
        recordSample(ctx, k, n + 1, newState, refs);
        printText(*ctx.out, "%s", kDoneMessage[k]);
    }
    return store.recordCount[kVehicleTypeCount - 1];
}

}  // namespace agv
