#include "sim/rkg_step.h"

#include "path/arc_length.h"
#include "path/curve_kernels.h"
#include "sim/feedback.h"
#include "sim/vehicle_model.h"

namespace agv {

namespace {

/// Gill constants of stages 1 to 4.
constexpr double kGill[kGillStages] = {kGill1, kGill2, kGill3, kGill4};

/// The speed error of a wheel of radius error e that slips by the ratio slip: the two
/// factors (1 + e)(1 + slip) multiply.
double slipOnRadius(double e, double slip) {
    return e + slip + e * slip;
}

double clampSteerAngle(double phi) {
    if (phi > kSteerAngleMax) return kSteerAngleMax;
    if (phi < -kSteerAngleMax) return -kSteerAngleMax;
    return phi;
}

/// One Gill stage of a pose: y advanced with the rates; q holds its accumulators. Works
/// on copies, so that the five values can be updated side by side.
template <int Stage>
inline Pose gillPose(double h, Pose y, const Pose& rate, Pose& q) {
    constexpr double c = kGill[Stage - 1];
    const Pose e = rate;
    Pose a = q;
    rkgUpdate(Stage, h, c, y.s, e.s, a.s);
    rkgUpdate(Stage, h, c, y.theta, e.theta, a.theta);
    rkgUpdate(Stage, h, c, y.x, e.x, a.x);
    rkgUpdate(Stage, h, c, y.y, e.y, a.y);
    rkgUpdate(Stage, h, c, y.phi, e.phi, a.phi);
    q = a;
    return y;
}

/// One Gill stage of the three vehicles from y into `to`.
template <int Stage>
inline void gillStage(double h, const MotionState& y, const MotionRates& rates, MotionState& to,
                      MotionRates& q) {
    to.theory = gillPose<Stage>(h, y.theory, rates.theory, q.theory);
    to.noFbc = gillPose<Stage>(h, y.noFbc, rates.noFbc, q.noFbc);
    to.fbc = gillPose<Stage>(h, y.fbc, rates.fbc, q.fbc);
    to.nu1 = y.nu1;
    to.nu2 = y.nu2;
}

/// What follows the integration of a stage from y into `to`, on curve I: the caster angles
/// (type 1) or the steering limit, the theoretical vehicle's place on the path, the error
/// measures and their integrals.
template <int I>
inline void finishStage(int stage, const Model& model, MechanismRun& run, double h,
                        const MotionState& y, MotionState& to, double qErr[3]) {
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
        long panels = 0;
        to.p = paramAtArcLength(model, y.p - kReferenceBackoff, to.theory.s, I, &panels);
        run.workLeft -= kInversionPanelWork * panels;
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
    if (run.leftPath) return;
    run.stepStartCorrection = run.lateralCorrection;
    gillStage<1>(h, state, rates, y1, q);
    finishStage<I>(1, model, run, h, state, y1, qErr);

    rates = motionRates(model, run, y1);
    if (run.leftPath) return;
    gillStage<2>(h, y1, rates, y2, q);
    finishStage<I>(2, model, run, h, y1, y2, qErr);

    rates = motionRates(model, run, y2);
    if (run.leftPath) return;
    gillStage<3>(h, y2, rates, y3, q);
    finishStage<I>(3, model, run, h, y2, y3, qErr);

    rates = motionRates(model, run, y3);
    if (run.leftPath) return;
    gillStage<4>(h, y3, rates, newState, q);
    finishStage<I>(4, model, run, h, y3, newState, qErr);
}

}  // namespace

WheelErrors wheelErrorsAt(const SimulationSettings& set, const MotionState& state) {
    const WheelErrors radii{set.rearWheelErrL, set.rearWheelErrR, set.frontWheelErr};
    if (!hasError(set.errorsGiven, MechanismError::kSlip)) return radii;
    // The slip of the left rear wheel and the front wheel follows ν1, the right ν2.
    const double slipLeft = -set.SLIP * (1.0 - state.nu1);
    const WheelErrors slip{slipLeft, -set.SLIP * (1.0 - state.nu2), slipLeft};
    if (!hasError(set.errorsGiven, MechanismError::kRearWheels) &&
        !hasError(set.errorsGiven, MechanismError::kFrontWheel)) {
        return slip;
    }
    return {slipOnRadius(radii.rearL, slip.rearL), slipOnRadius(radii.rearR, slip.rearR),
            slipOnRadius(radii.front, slip.front)};
}

void rkgStep(const Model& model, MechanismRun& run, double h, MotionState& state,
             MotionState& newState) {
    run.wheels = wheelErrorsAt(model.settings, state);
    run.leftPath = false;
    const bool onCurve = kernels::withCurve(model.settings.curveNumber, [&](auto curve) {
        stepOn<decltype(curve)::value>(model, run, h, state, newState);
    });
    // No curve, no path to follow: nothing moves.
    if (!onCurve) newState = state;
}

}  // namespace agv
