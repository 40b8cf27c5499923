#include "sim/vehicle_model.h"

#include <cmath>

#include "path/curve_kernels.h"
#include "path/curves.h"
#include "sim/feedback.h"

namespace agv {

namespace {

/// Command for a steering demand a [rad/m]: the steering follows at Vw·a unless that is
/// faster than omegaMax, when the vehicle slows down so that it keeps up at omegaMax.
Command limitSteerRate(const SimulationSettings& set, double a) {
    Command cmd;
    cmd.phiDotCmd = a * set.Vw;
    if (std::fabs(cmd.phiDotCmd) < set.omegaMax) {
        cmd.V = set.Vw;
    } else {
        cmd.V = set.omegaMax / std::fabs(a);
        cmd.phiDotCmd = a * set.Vw > 0.0 ? set.omegaMax : -set.omegaMax;
    }
    return cmd;
}

/// dκ/ds at p; on the circle arc, where it is the same everywhere, kept by the radius.
double pathCurvatureRate(const Model& model, MechanismRun& run, double p) {
    const int I = model.settings.curveNumber;
    if (I != kernels::kUniformCurve) return curvatureRate(model, p, I);
    const CurveParams& curve = model.settings.curve;
    return run.memo.circleCurvatureRate.get(
        curve.circleR, [&](double) { return kernels::uniformCurvatureRate(curve); });
}

/// Feed-forward command of a steered mechanism (type 2 or 3) whose theoretical steering
/// angle has the cosine c: φ = atan(T·κ) changes at a·Vw as the rear axle centre moves on.
Command steeredCommand(const SimulationSettings& set, int vehicleType, double kappaRate, double c) {
    const double a =
        vehicleType == k1FDW1FS ? c * c * c * set.tread * kappaRate : c * c * set.tread * kappaRate;
    return limitSteerRate(set, a);
}

/// Caster angle atan(T'·ω / v). Standing still while turning puts the caster across the
/// body (±π/2); standing still without turning leaves it straight (0).
double casterAngle(double length, double omega, double v, ScalarMemo& atanMemo) {
    const double lateral = length * omega;
    if (v == 0.0) return lateral == 0.0 ? 0.0 : std::copysign(kHalfPi, lateral);
    return atanMemo.atan(lateral / v);
}

/// A turn rate numerator / length; a mechanism whose length is zero produces no turn.
double perLength(double numerator, double length) {
    return length == 0.0 ? 0.0 : numerator / length;
}

/// The FBC steering rate within ±kSteerRateMaxFbc; a rate that is no number (an overflow
/// of the gains times the errors) leaves the steering where it is.
double clampSteerRate(double rate) {
    if (rate > kSteerRateMaxFbc) return kSteerRateMaxFbc;
    if (rate < -kSteerRateMaxFbc) return -kSteerRateMaxFbc;
    if (std::isnan(rate)) return 0.0;
    return rate;
}

/// Rates of x and y of a vehicle moving at speed v with heading theta.
void positionRates(TrigMemos& memo, double v, double theta, Pose& rate) {
    double sinTheta = 0.0;
    double cosTheta = 0.0;
    memo.headings.get(theta, sinTheta, cosTheta);
    rate.x = v * cosTheta;
    rate.y = v * sinTheta;
}

/// The commands of the rear wheels for a vehicle at speed V turning at omega, on
/// wheels of radius errors eL and eR: the actual wheel speeds [m/s].
struct RearWheels {
    double vLeft, vRight;
};
RearWheels rearWheelSpeeds(const SimulationSettings& set, const WheelErrors& e, double V,
                           double omega) {
    const double W = set.wheelBase;
    if (set.correction.active) {
        // The calibrated commands (docs/calibration.md, "The correction"): the turn rate
        // with the believed WheelBase, each wheel's speed over its diameter factor.
        const OdometryCorrection& c = set.correction;
        const double Wc = c.wheelBaseFactor * W;
        const double vL = (V - Wc * omega / 2.0) / c.leftFactor;
        const double vR = (V + Wc * omega / 2.0) / c.rightFactor;
        return {(1.0 + e.rearL) * vL, (1.0 + e.rearR) * vR};
    }
    const double vL = V - W * omega / 2.0;
    const double vR = V + W * omega / 2.0;
    return {(1.0 + e.rearL) * vL, (1.0 + e.rearR) * vR};
}

}  // namespace

Command feedForwardCommand(const Model& model, int vehicleType, const MotionState& y) {
    const SimulationSettings& set = model.settings;
    if (vehicleType == k2DW1C) return limitSteerRate(set, 0.0);
    return steeredCommand(set, vehicleType, curvatureRate(model, y.p, set.curveNumber),
                          std::cos(y.theory.phi));
}

MotionRates rates2DW1C(const Model& model, MechanismRun& run, MotionState& y) {
    const SimulationSettings& set = model.settings;
    const WheelErrors& e = run.wheels;
    TrigMemos& memo = run.memo;
    const double T = set.tread;
    const double Tact = set.treadActual;
    MotionRates rate;

    // Theoretical vehicle: constant speed, turning with the path; the caster trails along
    // the path's curvature.
    const Command cmd = limitSteerRate(set, 0.0);
    const double V = cmd.V;
    const double vD = V;
    const double omegaD = V * y.kappa;
    rate.theory.s = vD;
    rate.theory.theta = omegaD;
    positionRates(memo, vD, y.theory.theta, rate.theory);
    y.theory.phi = memo.atanKappaD.atan(T * y.kappa);
    rate.theory.phi = 0.0;

    // Without FBC: the theoretical wheel speeds on the erroneous wheels.
    const RearWheels wheels = rearWheelSpeeds(set, e, V, omegaD);
    const double vC = (wheels.vLeft + wheels.vRight) / 2.0;
    const double omegaC = perLength(wheels.vRight - wheels.vLeft, set.wheelBaseActual);
    rate.noFbc.s = vC;
    rate.noFbc.theta = omegaC;
    positionRates(memo, vC, y.noFbc.theta, rate.noFbc);
    y.noFbc.phi = casterAngle(Tact, omegaC, vC, memo.casterC);
    rate.noFbc.phi = 0.0;

    // With FBC: speed and turn rate corrected by the feedback.
    const Corrections u = model.controlLaw(model, run, y);
    const double us = u.speed;
    const double uOmega = u.headingRate;
    run.lateralCorrection = uOmega;
    if (!correctionHolds(us, kSpeedCorrectionLimit) ||
        !correctionHolds(uOmega, kHeadingRateCorrectionLimit)) {
        run.leftPath = true;
    }
    const double vA = vC - us;
    const double omegaA = omegaC - uOmega;
    rate.fbc.s = vA;
    rate.fbc.theta = omegaA;
    positionRates(memo, vA, y.fbc.theta, rate.fbc);
    y.fbc.phi = casterAngle(Tact, omegaA, vA, memo.casterA);
    rate.fbc.phi = 0.0;
    return rate;
}

MotionRates rates1FDW1FS(const Model& model, MechanismRun& run, const MotionState& y) {
    const SimulationSettings& set = model.settings;
    const WheelErrors& e = run.wheels;
    TrigMemos& memo = run.memo;
    const double T = set.tread;
    const double Tact = set.treadActual;
    const double drift = set.steerDrift;
    MotionRates rate;

    // Theoretical vehicle: the front wheel drives at V along its steering angle φ_D; the
    // rear axle centre moves at V·cos φ_D and turns at V·sin φ_D / T.
    double sinPhiD = 0.0;
    double cosPhiD = 0.0;
    memo.phiD.get(y.theory.phi, sinPhiD, cosPhiD);
    const Command cmd = steeredCommand(set, k1FDW1FS, pathCurvatureRate(model, run, y.p), cosPhiD);
    const double V = cmd.V;
    const double vD = V * cosPhiD;
    const double omegaD = V * sinPhiD / T;
    rate.theory.s = vD;
    rate.theory.theta = omegaD;
    positionRates(memo, vD, y.theory.theta, rate.theory);
    rate.theory.phi = cmd.phiDotCmd;

    // Without FBC: the front wheel's radius error and the steering drift.
    const double vFront = (1.0 + e.front) * V;
    double sinPhiC = 0.0;
    double cosPhiC = 0.0;
    memo.phiC.get(y.noFbc.phi + drift, sinPhiC, cosPhiC);
    const double vC = vFront * cosPhiC;
    const double omegaC = perLength(vFront * sinPhiC, Tact);
    rate.noFbc.s = vC;
    rate.noFbc.theta = omegaC;
    positionRates(memo, vC, y.noFbc.theta, rate.noFbc);
    rate.noFbc.phi = cmd.phiDotCmd;

    // With FBC: the front wheel's speed and the steering rate corrected by the feedback.
    const Corrections u = model.controlLaw(model, run, y);
    run.lateralCorrection = u.steerRate;
    const double us = u.speed;
    if (!correctionHolds(us, kSpeedCorrectionLimit)) run.leftPath = true;
    const double vFA = (1.0 + e.front) * V - us;
    double sinPhiA = 0.0;
    double cosPhiA = 0.0;
    memo.phiA.get(y.fbc.phi + drift, sinPhiA, cosPhiA);
    const double vA = vFA * cosPhiA;
    const double omegaA = perLength(vFA * sinPhiA, Tact);
    rate.fbc.s = vA;
    rate.fbc.theta = omegaA;
    positionRates(memo, vA, y.fbc.theta, rate.fbc);
    rate.fbc.phi = clampSteerRate(cmd.phiDotCmd - u.steerRate);
    return rate;
}

MotionRates rates1RDW1FS(const Model& model, MechanismRun& run, const MotionState& y) {
    const SimulationSettings& set = model.settings;
    const WheelErrors& e = run.wheels;
    TrigMemos& memo = run.memo;
    const double T = set.tread;
    const double Tact = set.treadActual;
    const double drift = set.steerDrift;
    MotionRates rate;

    // Theoretical vehicle: the rear wheels drive at V, the front wheel steers; it turns
    // at V·tan φ_D / T.
    double sinPhiD = 0.0;
    double cosPhiD = 0.0;
    memo.phiD.get(y.theory.phi, sinPhiD, cosPhiD);
    const Command cmd = steeredCommand(set, k1RDW1FS, pathCurvatureRate(model, run, y.p), cosPhiD);
    const double V = cmd.V;
    const double vD = V;
    const double omegaD = V * memo.tanPhiD.tan(y.theory.phi) / T;
    rate.theory.s = vD;
    rate.theory.theta = omegaD;
    positionRates(memo, vD, y.theory.theta, rate.theory);
    rate.theory.phi = cmd.phiDotCmd;

    // Without FBC: the mean radius error of the rear wheels and the steering drift.
    const double vC = V * (1.0 + (e.rearL + e.rearR) / 2.0);
    const double omegaC = perLength(vC * memo.tanPhiC.tan(y.noFbc.phi + drift), Tact);
    rate.noFbc.s = vC;
    rate.noFbc.theta = omegaC;
    positionRates(memo, vC, y.noFbc.theta, rate.noFbc);
    rate.noFbc.phi = cmd.phiDotCmd;

    // With FBC: speed and steering rate corrected by the feedback.
    const Corrections u = model.controlLaw(model, run, y);
    run.lateralCorrection = u.steerRate;
    const double us = u.speed;
    if (!correctionHolds(us, kSpeedCorrectionLimit)) run.leftPath = true;
    const double vA = vC - us;
    const double omegaA = perLength(vA * memo.tanPhiA.tan(y.fbc.phi + drift), Tact);
    rate.fbc.s = vA;
    rate.fbc.theta = omegaA;
    positionRates(memo, vA, y.fbc.theta, rate.fbc);
    rate.fbc.phi = clampSteerRate(cmd.phiDotCmd - u.steerRate);
    return rate;
}

MotionRates motionRates(const Model& model, MechanismRun& run, MotionState& y) {
    switch (run.vehicleType) {
        case k2DW1C:
            return rates2DW1C(model, run, y);
        case k1FDW1FS:
            return rates1FDW1FS(model, run, y);
        default:
            return rates1RDW1FS(model, run, y);
    }
}

}  // namespace agv
