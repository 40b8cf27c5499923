#include "sim/rkg_step.h"

#include "app/context.h"
#include "path/arc_length.h"
#include "path/curve_kernels.h"
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

namespace {

/// Integrates the fifteen slots of one stage from y into to with the given rates.
template <int Stage>
void gillStage(double h, const double* rates, const MotionState& y, MotionState& to, double* q) {
    constexpr double c = kGill[Stage - 1];
    for (int i = 0; i < kIntegratedSlots; ++i) {
        const double k = h * rates[i];
        const double r = Stage == kStages ? c * (k - 2.0 * q[i]) : c * (k - q[i]);
        to[i] = y[i] + r;
        q[i] = q[i] + 3.0 * r - c * k;
    }
}

/// What follows the integration of a stage into to (from y): caster angles or the steering
/// limit, the theoretical vehicle's path position, the error measures and their integrals,
/// and unless it is the last stage the rates at to for the next stage. The path position
/// does not depend on the error measures and comes first.
template <int I, int Stage>
void finishStage(AgvContext& ctx, double h, int vehicleType, MotionState& y, MotionState& to,
                 ReferencePoint refs[2], double qErr[3], double* nextRates) {
    ErrorSignals& err = ctx.errors;
    constexpr double c = kGill[Stage - 1];
    if (vehicleType == k2DW1C) {
        for (const int slot : kCasterSlots)
            to[slot] = y[slot];
    } else {
        to[kSlotFbc + kPosePhi] = clampSteerAngle(to[kSlotFbc + kPosePhi]);
    }

    const CurveParams& curve = ctx.settings.curve;
    if constexpr (I == kernels::kUniformCurve) {
        // The circle: no table search, and the same curvature everywhere.
        to[kSlotParam] = circleParamAtArcLength(curve, to[kSlotTheory + kPoseS]);
        to[kSlotKappa] = ctx.rates.circleCurvature.get(
            curve.circleR, [&](double) { return kernels::uniformCurvature(curve); });
    } else {
        to[kSlotParam] =
            paramAtArcLength(ctx, y[kSlotParam] - kReferenceBackoff, to[kSlotTheory + kPoseS], I);
        to[kSlotKappa] = kernels::curvatureAt<I>(curve, to[kSlotParam]);
    }

    updateErrorMeasures(ctx, I, to, refs);
    rkgUpdate(Stage, h, c, err.intDsFbc, err.dsFbc, qErr[0]);
    rkgUpdate(Stage, h, c, err.intDdFbc, err.ddFbc, qErr[1]);
    rkgUpdate(Stage, h, c, err.intDthFbc, err.dthFbc, qErr[2]);
    if constexpr (Stage < kStages) motionRatesAll(ctx, I, vehicleType, to, nextRates);
}

/// One step of all fifteen slots on curve I.
template <int I>
void stepOn(AgvContext& ctx, double h, int vehicleType, MotionState& state, MotionState& newState,
            ReferencePoint refs[2]) {
    // Slots 15-19 and 22-24 of the stage vectors are never read.
    MotionState y1, y2, y3;
    double q[kIntegratedSlots] = {};
    double qErr[3] = {0.0, 0.0, 0.0};
    double rates[kIntegratedSlots];

    motionRatesAll(ctx, I, vehicleType, state, rates);
    gillStage<1>(h, rates, state, y1, q);
    finishStage<I, 1>(ctx, h, vehicleType, state, y1, refs, qErr, rates);
    gillStage<2>(h, rates, y1, y2, q);
    finishStage<I, 2>(ctx, h, vehicleType, y1, y2, refs, qErr, rates);
    gillStage<3>(h, rates, y2, y3, q);
    finishStage<I, 3>(ctx, h, vehicleType, y2, y3, refs, qErr, rates);
    gillStage<4>(h, rates, y3, newState, q);
    finishStage<I, 4>(ctx, h, vehicleType, y3, newState, refs, qErr, rates);
}

}  // namespace

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

    if (integrated == kIntegratedSlots && kernels::withCurve(curveNumber, [&](auto curve) {
            stepOn<decltype(curve)::value>(ctx, h, vehicleType, state, newState, refs);
        })) {
        return;
    }

    // Fewer integrated slots (or a curve number outside the ten): slot by slot.
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
