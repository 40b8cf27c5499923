#include "sim/rkg_step.h"

#include "app/context.h"
#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/feedback.h"
#include "sim/vehicle_model.h"

namespace agv {

namespace {

/// Slots beyond the integrated ones that the state carries (20-24).
constexpr int kCarriedSlots = 10;
/// Error number of the random drive-wheel slip.
constexpr char kSlipError = '5';

/// Gill constants of stages 1 to 4; the last stage weighs the accumulator twice.
constexpr int kStages = 4;
constexpr double kGill[kStages] = {kGill1, kGill2, kGill3, kGill4};

/// The caster angles of type 1 are recomputed at every evaluation point, not integrated.
constexpr int kCasterSlots[3] = {kSlotTheory + kPosePhi, kSlotNoFbc + kPosePhi,
                                 kSlotFbc + kPosePhi};

double clampSteerAngle(double phi) {
    if (phi > kSteerAngleMax) return kSteerAngleMax;
    if (phi < -kSteerAngleMax) return -kSteerAngleMax;
    return phi;
}

}  // namespace

void rkgUpdate(int stage, double h, double c, double& y, double e, double& q) {
    const double k = h * e;
    const double r = stage == kStages ? c * (k - 2.0 * q) : c * (k - q);
    y = y + r;
    q = q + 3.0 * r - c * k;
}

void rkgStep(AgvContext& ctx, double t, double h, int curveNumber, int vehicleType,
             MotionState& state, MotionState& newState, ReferencePoint refs[2], int slotCount) {
    (void)t;  // the rates do not depend on time
    SimulationSettings& set = ctx.settings;
    ErrorSignals& err = ctx.errors;

    int integrated = slotCount - kCarriedSlots;
    if (integrated > kIntegratedSlots) integrated = kIntegratedSlots;
    if (integrated < 0) integrated = 0;

    if (set.errorNumber == kSlipError) {
        const double slipLeft = -set.SLIP * (1.0 - state[kSlotNoise1]);
        set.frontWheelErr = slipLeft;
        set.rearWheelErrL = slipLeft;
        set.rearWheelErrR = -set.SLIP * (1.0 - state[kSlotNoise2]);
    }

    MotionState stages[kStages - 1]{};
    double q[kIntegratedSlots] = {};
    double qDs = 0.0, qDd = 0.0, qDth = 0.0;

    MotionState* from = &state;
    for (int stage = 1; stage <= kStages; ++stage) {
        const double c = kGill[stage - 1];
        MotionState& to = stage == kStages ? newState : stages[stage - 1];
        MotionState& y = *from;
        for (int i = 0; i < integrated; ++i) {
            const double rate = motionRates(ctx, i, curveNumber, vehicleType, y);
            to[i] = y[i];
            rkgUpdate(stage, h, c, to[i], rate, q[i]);
        }

        if (vehicleType == k2DW1C) {
            for (const int slot : kCasterSlots)
                to[slot] = y[slot];
        } else {
            to[kSlotFbc + kPosePhi] = clampSteerAngle(to[kSlotFbc + kPosePhi]);
        }

        updateErrorMeasures(ctx, curveNumber, to, refs);
        rkgUpdate(stage, h, c, err.intDsFbc, err.dsFbc, qDs);
        rkgUpdate(stage, h, c, err.intDdFbc, err.ddFbc, qDd);
        rkgUpdate(stage, h, c, err.intDthFbc, err.dthFbc, qDth);

        to[kSlotParam] = paramAtArcLength(ctx, y[kSlotParam] - kReferenceBackoff,
                                          to[kSlotTheory + kPoseS], curveNumber);
        to[kSlotKappa] = curveCurvature(ctx, to[kSlotParam], curveNumber);
        from = &to;
    }
}

}  // namespace agv
