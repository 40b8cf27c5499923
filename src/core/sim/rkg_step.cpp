#include "sim/rkg_step.h"

#include "path/arc_length.h"
#include "path/curve_kernels.h"
#include "sim/feedback.h"
#include "sim/vehicle_model.h"

namespace agv {

namespace {

/// Gill constants of stages 1 to 4; the last stage weighs the accumulator twice.
constexpr int kStages = 4;
constexpr double kGill[kStages] = {kGill1, kGill2, kGill3, kGill4};

double clampSteerAngle(double phi) {
    if (phi > kSteerAngleMax) return kSteerAngleMax;
    if (phi < -kSteerAngleMax) return -kSteerAngleMax;
    return phi;
}

/// One Gill stage of a pose: `to` = y advanced with the rates, q its accumulators.
void gillPose(int stage, double h, const Pose& y, const Pose& rate, Pose& to, Pose& q) {
    const double c = kGill[stage - 1];
    to = y;
    rkgUpdate(stage, h, c, to.s, rate.s, q.s);
    rkgUpdate(stage, h, c, to.theta, rate.theta, q.theta);
    rkgUpdate(stage, h, c, to.x, rate.x, q.x);
    rkgUpdate(stage, h, c, to.y, rate.y, q.y);
    rkgUpdate(stage, h, c, to.phi, rate.phi, q.phi);
}

/// One Gill stage of the three vehicles from y into `to`.
void gillStage(int stage, double h, const MotionState& y, const MotionRates& rates, MotionState& to,
               MotionRates& q) {
    to = y;
    gillPose(stage, h, y.theory, rates.theory, to.theory, q.theory);
    gillPose(stage, h, y.noFbc, rates.noFbc, to.noFbc, q.noFbc);
    gillPose(stage, h, y.fbc, rates.fbc, to.fbc, q.fbc);
}

/// What follows the integration of a stage from y into `to`, on curve I: the caster angles
/// (type 1) or the steering limit, the theoretical vehicle's place on the path, the error
/// measures and their integrals.
template <int I>
void finishStage(int stage, const Model& model, MechanismRun& run, double h, const MotionState& y,
                 MotionState& to, double qErr[3]) {
    ErrorSignals& err = run.errors;
    const double c = kGill[stage - 1];
    if (run.vehicleType == k2DW1C) {
        // Not integrated: the caster angles the rates set at y.
        to.theory.phi = y.theory.phi;
        to.noFbc.phi = y.noFbc.phi;
        to.fbc.phi = y.fbc.phi;
    } else {
        to.fbc.phi = clampSteerAngle(to.fbc.phi);
    }

    const CurveParams& curve = model.settings.curve;
    if constexpr (I == kernels::kUniformCurve) {
        // The circle: no table search, and the same curvature everywhere.
        to.p = circleParamAtArcLength(curve, to.theory.s);
        to.kappa = run.memo.circleCurvature.get(
            curve.circleR, [&](double) { return kernels::uniformCurvature(curve); });
    } else {
        to.p = paramAtArcLength(model, y.p - kReferenceBackoff, to.theory.s, I);
        to.kappa = kernels::curvatureAt<I>(curve, to.p);
    }

    updateErrorMeasures(model, run, to);
    rkgUpdate(stage, h, c, err.intDsFbc, err.dsFbc, qErr[0]);
    rkgUpdate(stage, h, c, err.intDdFbc, err.ddFbc, qErr[1]);
    rkgUpdate(stage, h, c, err.intDthFbc, err.dthFbc, qErr[2]);
}

/// One step on curve I: four stages, each evaluating the rates where the last one ended.
template <int I>
void stepOn(const Model& model, MechanismRun& run, double h, MotionState& state,
            MotionState& newState) {
    MotionState y1, y2, y3;
    MotionRates q{};
    double qErr[3] = {0.0, 0.0, 0.0};

    MotionRates rates = motionRates(model, run, state);
    gillStage(1, h, state, rates, y1, q);
    finishStage<I>(1, model, run, h, state, y1, qErr);

    rates = motionRates(model, run, y1);
    gillStage(2, h, y1, rates, y2, q);
    finishStage<I>(2, model, run, h, y1, y2, qErr);

    rates = motionRates(model, run, y2);
    gillStage(3, h, y2, rates, y3, q);
    finishStage<I>(3, model, run, h, y2, y3, qErr);

    rates = motionRates(model, run, y3);
    gillStage(4, h, y3, rates, newState, q);
    finishStage<I>(4, model, run, h, y3, newState, qErr);
}

}  // namespace

void rkgUpdate(int stage, double h, double c, double& y, double e, double& q) {
    const double k = h * e;
    const double r = stage == kStages ? c * (k - 2.0 * q) : c * (k - q);
    y = y + r;
    q = q + 3.0 * r - c * k;
}

WheelErrors wheelErrorsAt(const SimulationSettings& set, const MotionState& state) {
    if (set.errorNumber != MechanismError::kSlip) {
        return {set.rearWheelErrL, set.rearWheelErrR, set.frontWheelErr};
    }
    // The slip of the left rear wheel and the front wheel follows ν1, the right ν2.
    const double slipLeft = -set.SLIP * (1.0 - state.nu1);
    return {slipLeft, -set.SLIP * (1.0 - state.nu2), slipLeft};
}

void rkgStep(const Model& model, MechanismRun& run, double h, MotionState& state,
             MotionState& newState) {
    run.wheels = wheelErrorsAt(model.settings, state);
    const bool onCurve = kernels::withCurve(model.settings.curveNumber, [&](auto curve) {
        stepOn<decltype(curve)::value>(model, run, h, state, newState);
    });
    // No curve, no path to follow: nothing moves.
    if (!onCurve) newState = state;
}

}  // namespace agv
