#include "sim/vehicle_model.h"

#include <array>
#include <cmath>
#include <utility>

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

}  // namespace

namespace {

/// Feed-forward command from the curvature rate and the cosine c of the theoretical
/// steering angle.
Command commandFor(const SimulationSettings& set, int vehicleType, double kappaRate, double c) {
    if (vehicleType == k2DW1C) return limitSteerRate(set, 0.0);
    const double a =
        vehicleType == k1FDW1FS ? c * c * c * set.tread * kappaRate : c * c * set.tread * kappaRate;
    return limitSteerRate(set, a);
}

/// dκ/ds at p; on the circle arc, where it is the same everywhere, kept by the radius.
double pathCurvatureRate(AgvContext& ctx, int curveNumber, double p) {
    if (curveNumber != kernels::kUniformCurve) return curvatureRate(ctx, p, curveNumber);
    const CurveParams& curve = ctx.settings.curve;
    return ctx.rates.circleCurvatureRate.get(
        curve.circleR, [&](double) { return kernels::uniformCurvatureRate(curve); });
}

}  // namespace

Command feedForwardCommand(const AgvContext& ctx, int curveNumber, int vehicleType,
                           const MotionState& state) {
    if (vehicleType == k2DW1C) return limitSteerRate(ctx.settings, 0.0);
    return commandFor(ctx.settings, vehicleType, curvatureRate(ctx, state[kSlotParam], curveNumber),
                      std::cos(state[kSlotTheory + kPosePhi]));
}

namespace {

/// Rate of slot Slot for vehicle type Type. Each slot exists once, as a template, so that
/// the rates of a whole evaluation point run as straight-line code.
template <int Type, int Slot>
double rateOf(AgvContext& ctx, int curveNumber, MotionState& state) {
    const SimulationSettings& set = ctx.settings;
    RateScratch& r = ctx.rates;
    const double T = set.tread;
    const double Tact = set.treadActual;
    const double eL = set.rearWheelErrL;
    const double eR = set.rearWheelErrR;
    const double eF = set.frontWheelErr;
    const double drift = set.steerDrift;

    if constexpr (Slot == kSlotTheory + kPoseS) {
        // Theoretical vehicle.
        Command cmd;
        double cosPhi = 1.0;
        if constexpr (Type == k2DW1C) {
            cmd = limitSteerRate(set, 0.0);
        } else {
            const double phi = state[kSlotTheory + kPosePhi];
            r.phiD.get(phi, r.sinPhiD, cosPhi);
            cmd = commandFor(set, Type, pathCurvatureRate(ctx, curveNumber, state[kSlotParam]),
                             cosPhi);
        }
        r.V = cmd.V;
        r.phiDotCmd = cmd.phiDotCmd;
        r.vD = Type == k1FDW1FS ? r.V * cosPhi : r.V;
        return r.vD;
    } else if constexpr (Slot == kSlotTheory + kPoseTheta) {
        const double phi = state[kSlotTheory + kPosePhi];
        if constexpr (Type == k2DW1C) {
            r.omegaD = r.V * state[kSlotKappa];
        } else if constexpr (Type == k1FDW1FS) {
            r.omegaD = r.V * r.sinPhiD / T;
        } else {
            r.omegaD = r.V * r.tanPhiD.tan(phi) / T;
        }
        return r.omegaD;
    } else if constexpr (Slot == kSlotTheory + kPoseX) {
        double cosTheta = 0.0;
        r.headings.get(state[kSlotTheory + kPoseTheta], r.sinThetaD, cosTheta);
        return r.vD * cosTheta;
    } else if constexpr (Slot == kSlotTheory + kPoseY) {
        return r.vD * r.sinThetaD;
    } else if constexpr (Slot == kSlotTheory + kPosePhi) {
        if constexpr (Type == k2DW1C) {
            state[kSlotTheory + kPosePhi] = r.atanKappaD.atan(T * state[kSlotKappa]);
            return 0.0;
        }
        return r.phiDotCmd;
    } else if constexpr (Slot == kSlotNoFbc + kPoseS) {
        // Erroneous vehicle without FBC: the theoretical commands through the errors.
        const double W = set.wheelBase;
        const double vL = r.V - W * r.omegaD / 2.0;
        const double vR = r.V + W * r.omegaD / 2.0;
        r.vLeft = (1.0 + eL) * vL;
        r.vRight = (1.0 + eR) * vR;
        r.vFront = (1.0 + eF) * r.V;
        if constexpr (Type == k2DW1C) {
            r.vC = (r.vLeft + r.vRight) / 2.0;
        } else if constexpr (Type == k1FDW1FS) {
            const double phi = state[kSlotNoFbc + kPosePhi] + drift;
            double cosPhi = 0.0;
            r.phiC.get(phi, r.sinPhiC, cosPhi);
            r.vC = r.vFront * cosPhi;
        } else {
            r.vC = r.V * (1.0 + (eL + eR) / 2.0);
        }
        return r.vC;
    } else if constexpr (Slot == kSlotNoFbc + kPoseTheta) {
        const double phi = state[kSlotNoFbc + kPosePhi] + drift;
        if constexpr (Type == k2DW1C) {
            r.omegaC = perLength(r.vRight - r.vLeft, set.wheelBaseActual);
        } else if constexpr (Type == k1FDW1FS) {
            r.omegaC = perLength(r.vFront * r.sinPhiC, Tact);
        } else {
            r.omegaC = perLength(r.vC * r.tanPhiC.tan(phi), Tact);
        }
        return r.omegaC;
    } else if constexpr (Slot == kSlotNoFbc + kPoseX) {
        double cosTheta = 0.0;
        r.headings.get(state[kSlotNoFbc + kPoseTheta], r.sinThetaC, cosTheta);
        return r.vC * cosTheta;
    } else if constexpr (Slot == kSlotNoFbc + kPoseY) {
        return r.vC * r.sinThetaC;
    } else if constexpr (Slot == kSlotNoFbc + kPosePhi) {
        if constexpr (Type == k2DW1C) {
            state[kSlotNoFbc + kPosePhi] = casterAngle(Tact, r.omegaC, r.vC, r.casterC);
            return 0.0;
        }
        return r.phiDotCmd;
    } else if constexpr (Slot == kSlotFbc + kPoseS) {
        // Erroneous vehicle with FBC: the same errors, commands corrected by feedback.
        const double us = speedCorrection(ctx);
        r.vFA = (1.0 + eF) * r.V - us;
        if constexpr (Type == k1FDW1FS) {
            const double phi = state[kSlotFbc + kPosePhi] + drift;
            double cosPhi = 0.0;
            r.phiA.get(phi, r.sinPhiA, cosPhi);
            r.vA = r.vFA * cosPhi;
        } else {
            r.vA = r.vC - us;
        }
        return r.vA;
    } else if constexpr (Slot == kSlotFbc + kPoseTheta) {
        const double phi = state[kSlotFbc + kPosePhi] + drift;
        if constexpr (Type == k2DW1C) {
            r.omegaA = r.omegaC - headingRateCorrection(ctx);
        } else if constexpr (Type == k1FDW1FS) {
            r.omegaA = perLength(r.vFA * r.sinPhiA, Tact);
        } else {
            r.omegaA = perLength(r.vA * r.tanPhiA.tan(phi), Tact);
        }
        return r.omegaA;
    } else if constexpr (Slot == kSlotFbc + kPoseX) {
        double cosTheta = 0.0;
        r.headings.get(state[kSlotFbc + kPoseTheta], r.sinThetaA, cosTheta);
        return r.vA * cosTheta;
    } else if constexpr (Slot == kSlotFbc + kPoseY) {
        return r.vA * r.sinThetaA;
    } else {
        static_assert(Slot == kSlotFbc + kPosePhi, "slots 0-14 only");
        if constexpr (Type == k2DW1C) {
            state[kSlotFbc + kPosePhi] = casterAngle(Tact, r.omegaA, r.vA, r.casterA);
            return 0.0;
        }
        return clampSteerRate(r.phiDotCmd - steerRateCorrection(ctx, Type));
    }
}

using RateFunction = double (*)(AgvContext&, int, MotionState&);

template <int Type, int... Slots>
constexpr std::array<RateFunction, kIntegratedSlots> rateTable(
    std::integer_sequence<int, Slots...>) {
    return {&rateOf<Type, Slots>...};
}

constexpr std::array<RateFunction, kIntegratedSlots> kRateTable[kVehicleTypeCount] = {
    rateTable<k2DW1C>(std::make_integer_sequence<int, kIntegratedSlots>{}),
    rateTable<k1FDW1FS>(std::make_integer_sequence<int, kIntegratedSlots>{}),
    rateTable<k1RDW1FS>(std::make_integer_sequence<int, kIntegratedSlots>{}),
};

template <int Type, int First, int... Slots>
void allRates(AgvContext& ctx, int curveNumber, MotionState& state, double* rates,
              std::integer_sequence<int, Slots...>) {
    // A fold over the comma operator runs the slots in increasing order.
    ((rates[First + Slots] = rateOf<Type, First + Slots>(ctx, curveNumber, state)), ...);
}

/// Rates of slots First to First + Count - 1 for the vehicle type.
template <int First, int Count>
void slotRates(AgvContext& ctx, int curveNumber, int vehicleType, MotionState& state,
               double* rates) {
    constexpr auto slots = std::make_integer_sequence<int, Count>{};
    if (vehicleType == k2DW1C) {
        allRates<k2DW1C, First>(ctx, curveNumber, state, rates, slots);
    } else if (vehicleType == k1FDW1FS) {
        allRates<k1FDW1FS, First>(ctx, curveNumber, state, rates, slots);
    } else {
        allRates<k1RDW1FS, First>(ctx, curveNumber, state, rates, slots);
    }
}

}  // namespace

double motionRates(AgvContext& ctx, int i, int curveNumber, int vehicleType, MotionState& state) {
    if (i < 0 || i >= kIntegratedSlots) return 0.0;
    const int type = vehicleType == k2DW1C || vehicleType == k1FDW1FS ? vehicleType : k1RDW1FS;
    return kRateTable[type - 1][i](ctx, curveNumber, state);
}

void motionRatesAll(AgvContext& ctx, int curveNumber, int vehicleType, MotionState& state,
                    double rates[kIntegratedSlots]) {
    slotRates<0, kIntegratedSlots>(ctx, curveNumber, vehicleType, state, rates);
}

}  // namespace agv
