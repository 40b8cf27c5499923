// Feedback controller: gain design from fn and ζ, the reference point of a vehicle
// on the path, the error measures and the corrections of the FBC vehicle.
#pragma once

#include "path/path_types.h"
#include "sim/feedback_gains.h"
#include "sim/motion_state.h"
#include "sim/run_data.h"

namespace agv {

struct Model;

/// Residual tolerance of the reference point search [m].
inline constexpr double kReferenceTolerance = 1e-8;
/// The search starts this far behind the previous reference parameter.
inline constexpr double kReferenceBackoff = 0.1;
/// The search steps pEnd / kSearchDivisions along the parameter ...
inline constexpr double kSearchDivisions = 100.0;
/// ... unless that exceeds kSearchStepCap, when it steps kSearchStepLong instead.
inline constexpr double kSearchStepCap = 0.05;
inline constexpr double kSearchStepLong = 0.02;
/// Smallest search step, so a path of (almost) zero length cannot stall the search.
inline constexpr double kSearchStepMin = 1e-4;
/// The search gives up beyond pEnd + kSearchOvershoot and takes the path end.
inline constexpr double kSearchOvershoot = 1.0;
/// Bound on the secant iterations of the search.
inline constexpr int kSecantIterations = 100;

/// Largest speed correction of a FBC vehicle that still follows the path [m/s]: far beyond
/// any usable correction, reached only by a design that has diverged.
inline constexpr double kSpeedCorrectionLimit = 1000.0;
/// Largest heading-rate correction of a type 1 FBC vehicle that still follows the path
/// [rad/s], for the same reason.
inline constexpr double kHeadingRateCorrectionLimit = 1000.0;

/// True when a correction is within ±limit; beyond it the FBC vehicle has left the path.
inline bool correctionHolds(double u, double limit) {
    return u >= -limit && u <= limit;
}

/// Designs omegaN2, twoZetaOmegaN and the nine gains from omegaN, zeta, Vw and tread.
void designGains(Model& model);
/// The gains designGains gives the settings.
FeedbackGains designedGains(const SimulationSettings& set);

/// b·X - a·Y + c with (X, Y) the path point at p.
double headingNormalResidual(const Model& model, int curveNumber, double a, double b, double c,
                             double p);

/// Finds where the path crosses the line through (x, y) perpendicular to θ, searching
/// from pStart; updates ref in place and returns the signed lateral offset dd [m].
double findReferencePoint(const Model& model, int curveNumber, double x, double y, double theta,
                          double pStart, ReferencePoint& ref);

/// The search of findReferencePoint as written: every step of the stepping evaluated.
/// findReferencePoint gives the same results to the last bit, skipping the evaluation of
/// steps whose sign is certain.
double findReferencePointByStepping(const Model& model, int curveNumber, double x, double y,
                                    double theta, double pStart, ReferencePoint& ref);

/// Recomputes run.errors' dsFbc, ddNoFbc, ddFbc, dthNoFbc, dthFbc, dphiFbc from the state
/// and the two reference points (refs[0] without FBC, refs[1] with FBC).
void updateErrorMeasures(const Model& model, MechanismRun& run, const MotionState& state);

/// Along-path correction u_s of the FBC vehicle's speed [m/s]; 0 when it is no number.
double speedCorrection(const FeedbackGains& g, const ErrorSignals& e);
/// Heading-rate correction u_ω of the type 1 FBC vehicle [rad/s]; 0 when it is no number.
double headingRateCorrection(const FeedbackGains& g, const ErrorSignals& e);
/// Steering-rate correction u_φ of the type 2 or 3 FBC vehicle [rad/s].
double steerRateCorrection(const FeedbackGains& g, const ErrorSignals& e, int vehicleType);

}  // namespace agv
