// Feedback controller: gain design from fn and ζ, the reference point of a vehicle
// on the path, the error measures and the corrections of the FBC vehicle.
#pragma once

#include "path/path_types.h"
#include "sim/sim_types.h"

namespace agv {

struct AgvContext;

/// Designs omegaN2, twoZetaOmegaN and the nine gains from omegaN, zeta, Vw and tread.
void designGains(AgvContext& ctx);

/// b·X - a·Y + c with (X, Y) the path point at p.
double headingNormalResidual(const AgvContext& ctx, int curveNumber, double a, double b, double c,
                             double p);

/// Finds where the path crosses the line through (x, y) perpendicular to θ, searching
/// from pStart; updates ref in place and returns the signed lateral offset dd [m].
double findReferencePoint(const AgvContext& ctx, int curveNumber, double x, double y,
                          double theta, double pStart, ReferencePoint& ref);

/// Recomputes dsFbc, ddNoFbc, ddFbc, dthNoFbc, dthFbc, dphiFbc from the state and the
/// two reference points (refs[0] without FBC, refs[1] with FBC).
void updateErrorMeasures(AgvContext& ctx, int curveNumber, const MotionState& state,
                         ReferencePoint refs[2]);

/// Along-path correction u_s of the FBC vehicle's speed [m/s].
double speedCorrection(const AgvContext& ctx);
/// Heading-rate correction u_ω of the type 1 FBC vehicle [rad/s].
double headingRateCorrection(const AgvContext& ctx);
/// Steering-rate correction u_φ of the type 2 or 3 FBC vehicle [rad/s].
double steerRateCorrection(const AgvContext& ctx, int vehicleType);

}  // namespace agv
