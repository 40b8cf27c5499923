#include "sim/controller.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/feedback.h"
#include "sim/model.h"
#include "sim/rkg_step.h"
#include "sim/run_data.h"
#include "sim/vehicle_model.h"

namespace agv {

namespace {

/// A commanded steering angle within the steering's reach.
double steerable(double phi) {
    return std::clamp(phi, -kSteerAngleMax, kSteerAngleMax);
}

/// The steering-rate correction that turns the steering of a type 2 or 3 FBC vehicle towards
/// phiTarget through the servo: rate = kSteerServoGain·(φ* − φ) in place of the feed-forward
/// rate (docs/controllers.md §2).
double servoSteerRate(const Model& model, int vehicleType, const MotionState& y, double phiTarget) {
    const double feedForward = feedForwardCommand(model, vehicleType, y).phiDotCmd;
    return feedForward - kSteerServoGain * (phiTarget - y.fbc.phi);
}

/// The heading-rate correction that makes a type 1 FBC vehicle turn at omega in place of the
/// feed-forward V·κ (docs/controllers.md §2).
double turnRateCorrection(const Model& model, const MotionState& y, double omega) {
    return model.settings.Vw * y.kappa - omega;
}

/// The goal point of pure pursuit: on the path `lookahead` beyond the FBC vehicle's reference
/// point, on the end tangent past the path end.
void goalPoint(const Model& model, const ReferencePoint& ref, double goal[2]) {
    const int I = model.settings.curveNumber;
    const PathEnd& end = model.path.pathEnd[I];
    const double sGoal = ref.s + model.settings.controllerParams.lookahead;
    if (sGoal < end.sf) {
        curvePoint(model, paramAtArcLength(model, ref.p, sGoal, I), I, goal);
        return;
    }
    const double beyond = sGoal - end.sf;
    goal[0] = end.x + beyond * std::cos(end.theta);
    goal[1] = end.y + beyond * std::sin(end.theta);
}

/// Curvature 2·sin α / ℓ of the arc from the vehicle, tangent to its heading, through the
/// goal point at distance ℓ (docs/controllers.md §2).
double purePursuitCurvature(const Model& model, const MechanismRun& run, const Pose& v) {
    double goal[2];
    goalPoint(model, run.refs[1], goal);
    const double dx = goal[0] - v.x;
    const double dy = goal[1] - v.y;
    const double distance2 = dx * dx + dy * dy;
    if (distance2 == 0.0) return 0.0;
    // ℓ·sin α: the goal's coordinate across the vehicle.
    const double lateral = -dx * std::sin(v.theta) + dy * std::cos(v.theta);
    return 2.0 * lateral / distance2;
}

/// Stanley's steering angle: heading error plus atan(k·e_f / V), e_f the front wheel's offset
/// from the tangent at the reference point (docs/controllers.md §3).
double stanleyAngle(const Model& model, const MechanismRun& run, const Pose& v) {
    const SimulationSettings& set = model.settings;
    const ReferencePoint& ref = run.refs[1];
    const double xFront = v.x + set.tread * std::cos(v.theta);
    const double yFront = v.y + set.tread * std::sin(v.theta);
    const double eFront =
        -(xFront - ref.x) * std::sin(ref.theta) + (yFront - ref.y) * std::cos(ref.theta);
    const double crossTrack = std::atan(set.controllerParams.stanleyGain * eFront / set.Vw);
    return steerable(-run.errors.dthFbc - crossTrack);
}

}  // namespace

Corrections fnZetaCorrections(const Model& model, const MechanismRun& run, const MotionState&) {
    Corrections u;
    u.speed = speedCorrection(model.gains, run.errors);
    if (run.vehicleType == k2DW1C) {
        u.headingRate = headingRateCorrection(model.gains, run.errors);
    } else {
        u.steerRate = steerRateCorrection(model.gains, run.errors, run.vehicleType);
    }
    return u;
}

Corrections purePursuitCorrections(const Model& model, const MechanismRun& run,
                                   const MotionState& y) {
    Corrections u;
    u.speed = speedCorrection(model.gains, run.errors);
    const double kappa = purePursuitCurvature(model, run, y.fbc);
    if (run.vehicleType == k2DW1C) {
        u.headingRate = turnRateCorrection(model, y, model.settings.Vw * kappa);
    } else {
        const double phiTarget = steerable(std::atan(model.settings.tread * kappa));
        u.steerRate = servoSteerRate(model, run.vehicleType, y, phiTarget);
    }
    return u;
}

Corrections stanleyCorrections(const Model& model, const MechanismRun& run, const MotionState& y) {
    Corrections u;
    u.speed = speedCorrection(model.gains, run.errors);
    const double delta = stanleyAngle(model, run, y.fbc);
    if (run.vehicleType == k2DW1C) {
        // The turn of a vehicle of length T whose front wheel steers at once to Stanley's
        // angle.
        const SimulationSettings& set = model.settings;
        u.headingRate = turnRateCorrection(model, y, set.Vw * std::tan(delta) / set.tread);
    } else {
        u.steerRate = servoSteerRate(model, run.vehicleType, y, delta);
    }
    return u;
}

Corrections lqrCorrections(const Model& model, const MechanismRun& run, const MotionState&) {
    Corrections u;
    const ErrorSignals& e = run.errors;
    u.speed = speedCorrection(model.gains, e);
    if (run.vehicleType == k2DW1C) {
        const double* K = model.lqr.K1;
        u.headingRate = K[0] * e.ddFbc + K[1] * e.dthFbc + K[2] * e.intDdFbc;
    } else {
        const double* K = model.lqr.K23;
        u.steerRate = K[0] * e.ddFbc + K[1] * e.dthFbc + K[2] * e.dphiFbc;
    }
    return u;
}

ControlLaw controlLawOf(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::kPurePursuit:
            return purePursuitCorrections;
        case ControllerKind::kStanley:
            return stanleyCorrections;
        case ControllerKind::kLqr:
            return lqrCorrections;
        case ControllerKind::kFnZeta:
        default:
            return fnZetaCorrections;
    }
}

const char* controllerName(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::kFnZeta:
            return "fnzeta";
        case ControllerKind::kPurePursuit:
            return "pure-pursuit";
        case ControllerKind::kStanley:
            return "stanley";
        case ControllerKind::kLqr:
            return "lqr";
        default:
            return nullptr;
    }
}

bool controllerOfName(const char* name, ControllerKind& kind) {
    for (int k = 0;; ++k) {
        const char* law = controllerName(static_cast<ControllerKind>(k));
        if (law == nullptr) return false;
        if (std::strcmp(name, law) == 0) {
            kind = static_cast<ControllerKind>(k);
            return true;
        }
    }
}

}  // namespace agv
