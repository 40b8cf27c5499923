#include "sim/vehicle_model.h"

#include <cmath>

#include "app/context.h"
#include "path/curves.h"
#include "sim/feedback.h"

namespace agv {

namespace {

/// Command for a steering demand a [rad/m] and the cosine of the theoretical steering angle.
Command limitSteerRate(const SimulationSettings& set, double a) {
    Command cmd;
    cmd.phiDotCmd = a * set.Vw;
    if (std::fabs(cmd.phiDotCmd) < set.omegaMax) {
        cmd.V = set.Vw;
    } else {
        // Slow down so that the steering keeps up at its largest rate.
        cmd.V = set.omegaMax / std::fabs(a);
        cmd.phiDotCmd = a * set.Vw > 0.0 ? set.omegaMax : -set.omegaMax;
    }
    return cmd;
}

/// Caster angle atan(T'·ω / v). Standing still while turning puts the caster across the
/// body (±π/2); standing still without turning leaves it straight (0).
double casterAngle(double length, double omega, double v) {
    const double lateral = length * omega;
    if (v == 0.0) return lateral == 0.0 ? 0.0 : std::copysign(kHalfPi, lateral);
    return std::atan(lateral / v);
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

}  // namespace

namespace {

/// Feed-forward command from the cosine c of the theoretical steering angle.
Command commandFor(const AgvContext& ctx, int curveNumber, int vehicleType, double p, double c) {
    const SimulationSettings& set = ctx.settings;
    if (vehicleType == k2DW1C) return limitSteerRate(set, 0.0);
    const double kappaRate = curvatureRate(ctx, p, curveNumber);
    const double a =
        vehicleType == k1FDW1FS ? c * c * c * set.tread * kappaRate : c * c * set.tread * kappaRate;
    return limitSteerRate(set, a);
}

}  // namespace

Command feedForwardCommand(const AgvContext& ctx, int curveNumber, int vehicleType,
                           const MotionState& state) {
    if (vehicleType == k2DW1C) return limitSteerRate(ctx.settings, 0.0);
    return commandFor(ctx, curveNumber, vehicleType, state[kSlotParam],
                      std::cos(state[kSlotTheory + kPosePhi]));
}

double motionRates(AgvContext& ctx, int i, int curveNumber, int vehicleType, MotionState& state) {
    const SimulationSettings& set = ctx.settings;
    RateScratch& r = ctx.rates;
    const double T = set.tread;
    const double Tact = set.treadActual;
    const double eL = set.rearWheelErrL;
    const double eR = set.rearWheelErrR;
    const double eF = set.frontWheelErr;
    const double drift = set.steerDrift;

    switch (i) {
        // Theoretical vehicle.
        case kSlotTheory + kPoseS: {
            Command cmd;
            double cosPhi = 1.0;
            if (vehicleType == k2DW1C) {
                cmd = limitSteerRate(set, 0.0);
            } else {
                const double phi = state[kSlotTheory + kPosePhi];
                cosPhi = std::cos(phi);
                r.sinPhiD = std::sin(phi);
                cmd = commandFor(ctx, curveNumber, vehicleType, state[kSlotParam], cosPhi);
            }
            r.V = cmd.V;
            r.phiDotCmd = cmd.phiDotCmd;
            r.vD = vehicleType == k1FDW1FS ? r.V * cosPhi : r.V;
            return r.vD;
        }
        case kSlotTheory + kPoseTheta: {
            const double phi = state[kSlotTheory + kPosePhi];
            if (vehicleType == k2DW1C) {
                r.omegaD = r.V * state[kSlotKappa];
            } else if (vehicleType == k1FDW1FS) {
                r.omegaD = r.V * r.sinPhiD / T;
            } else {
                r.omegaD = r.V * std::tan(phi) / T;
            }
            return r.omegaD;
        }
        case kSlotTheory + kPoseX: {
            const double theta = state[kSlotTheory + kPoseTheta];
            r.sinThetaD = std::sin(theta);
            return r.vD * std::cos(theta);
        }
        case kSlotTheory + kPoseY:
            return r.vD * r.sinThetaD;
        case kSlotTheory + kPosePhi:
            if (vehicleType == k2DW1C) {
                state[kSlotTheory + kPosePhi] = std::atan(T * state[kSlotKappa]);
                return 0.0;
            }
            return r.phiDotCmd;

        // Erroneous vehicle without FBC: the theoretical commands through the errors.
        case kSlotNoFbc + kPoseS: {
            const double W = set.wheelBase;
            const double vL = r.V - W * r.omegaD / 2.0;
            const double vR = r.V + W * r.omegaD / 2.0;
            r.vLeft = (1.0 + eL) * vL;
            r.vRight = (1.0 + eR) * vR;
            r.vFront = (1.0 + eF) * r.V;
            if (vehicleType == k2DW1C) {
                r.vC = (r.vLeft + r.vRight) / 2.0;
            } else if (vehicleType == k1FDW1FS) {
                const double phi = state[kSlotNoFbc + kPosePhi] + drift;
                r.sinPhiC = std::sin(phi);
                r.vC = r.vFront * std::cos(phi);
            } else {
                r.vC = r.V * (1.0 + (eL + eR) / 2.0);
            }
            return r.vC;
        }
        case kSlotNoFbc + kPoseTheta: {
            const double phi = state[kSlotNoFbc + kPosePhi] + drift;
            if (vehicleType == k2DW1C) {
                r.omegaC = perLength(r.vRight - r.vLeft, set.wheelBaseActual);
            } else if (vehicleType == k1FDW1FS) {
                r.omegaC = perLength(r.vFront * r.sinPhiC, Tact);
            } else {
                r.omegaC = perLength(r.vC * std::tan(phi), Tact);
            }
            return r.omegaC;
        }
        case kSlotNoFbc + kPoseX: {
            const double theta = state[kSlotNoFbc + kPoseTheta];
            r.sinThetaC = std::sin(theta);
            return r.vC * std::cos(theta);
        }
        case kSlotNoFbc + kPoseY:
            return r.vC * r.sinThetaC;
        case kSlotNoFbc + kPosePhi:
            if (vehicleType == k2DW1C) {
                state[kSlotNoFbc + kPosePhi] = casterAngle(Tact, r.omegaC, r.vC);
                return 0.0;
            }
            return r.phiDotCmd;

        // Erroneous vehicle with FBC: the same errors, commands corrected by feedback.
        case kSlotFbc + kPoseS: {
            const double us = speedCorrection(ctx);
            r.vFA = (1.0 + eF) * r.V - us;
            if (vehicleType == k1FDW1FS) {
                const double phi = state[kSlotFbc + kPosePhi] + drift;
                r.sinPhiA = std::sin(phi);
                r.vA = r.vFA * std::cos(phi);
            } else {
                r.vA = r.vC - us;
            }
            return r.vA;
        }
        case kSlotFbc + kPoseTheta: {
            const double phi = state[kSlotFbc + kPosePhi] + drift;
            if (vehicleType == k2DW1C) {
                r.omegaA = r.omegaC - headingRateCorrection(ctx);
            } else if (vehicleType == k1FDW1FS) {
                r.omegaA = perLength(r.vFA * r.sinPhiA, Tact);
            } else {
                r.omegaA = perLength(r.vA * std::tan(phi), Tact);
            }
            return r.omegaA;
        }
        case kSlotFbc + kPoseX: {
            const double theta = state[kSlotFbc + kPoseTheta];
            r.sinThetaA = std::sin(theta);
            return r.vA * std::cos(theta);
        }
        case kSlotFbc + kPoseY:
            return r.vA * r.sinThetaA;
        case kSlotFbc + kPosePhi:
            if (vehicleType == k2DW1C) {
                state[kSlotFbc + kPosePhi] = casterAngle(Tact, r.omegaA, r.vA);
                return 0.0;
            }
            return clampSteerRate(r.phiDotCmd - steerRateCorrection(ctx, vehicleType));
        default:
            return 0.0;
    }
}

}  // namespace agv
