// The seam between the vehicle rates and a feedback law: a law reads the FBC vehicle's
// errors at an evaluation point and returns the corrections of its commands.
#pragma once

namespace agv {

struct Model;
struct MechanismRun;
struct MotionState;

/// The feedback laws a scenario can choose (docs/controllers.md).
enum class ControllerKind : int {
    kFnZeta = 0,       ///< the law designed from fn and ζ
    kPurePursuit = 1,  ///< the arc to a goal point a look-ahead distance along the path
    kStanley = 2,      ///< heading error plus the front wheel's cross-track term
    kLqr = 3,          ///< state feedback from the continuous algebraic Riccati equation
};

/// Pure pursuit's look-ahead distance along the path by default [m].
inline constexpr double kDefaultLookahead = 1.0;
/// The Stanley law's cross-track gain k by default [1/s].
inline constexpr double kDefaultStanleyGain = 2.0;
/// Bryson's rule, 1/(largest acceptable value)², for the LQR weights by default: an offset
/// of 1 cm [1/m²], a heading error of 0.1 rad [1/rad²], a steering angle error of 0.1 rad
/// (type 1: an offset integral of 0.1 m·s) and a correction of 1 rad/s [s²/rad²].
inline constexpr double kDefaultLqrWeightOffset = 1.0e4;
inline constexpr double kDefaultLqrWeightHeading = 1.0e2;
inline constexpr double kDefaultLqrWeightThird = 1.0e2;
inline constexpr double kDefaultLqrWeightInput = 1.0;

/// The laws that command a steering angle (pure pursuit, Stanley) reach it through a
/// steering servo: the steering turns at kSteerServoGain·(φ* − φ), within the steering-rate
/// limit [1/s].
inline constexpr double kSteerServoGain = 20.0;

/// The parameters of the laws other than fn/ζ (each law reads its own).
struct ControllerParams {
    /// Pure pursuit: distance along the path from the reference point to the goal point [m].
    double lookahead = kDefaultLookahead;
    /// Stanley: cross-track gain k [1/s].
    double stanleyGain = kDefaultStanleyGain;
    /// LQR: weights of the lateral offset [1/m²], the heading error [1/rad²], the third
    /// state (steering angle error [1/rad²]; type 1: ∫d dt [1/(m·s)²]) and the correction
    /// [s²/rad²].
    double lqrOffset = kDefaultLqrWeightOffset;
    double lqrHeading = kDefaultLqrWeightHeading;
    double lqrThird = kDefaultLqrWeightThird;
    double lqrInput = kDefaultLqrWeightInput;
};

/// State-feedback gains of the LQR law on (d, θ̃, third state).
struct LqrGains {
    /// Type 1: u_ω = K1[0]·d + K1[1]·θ̃ + K1[2]·∫d dt [1/(m·s), 1/s, 1/(m·s²)].
    double K1[3] = {0.0, 0.0, 0.0};
    /// Types 2 and 3: u_φ = K23[0]·d + K23[1]·θ̃ + K23[2]·q [1/(m·s), 1/s, 1/s].
    double K23[3] = {0.0, 0.0, 0.0};
};

/// Corrections of the FBC vehicle's commands at one evaluation point.
struct Corrections {
    /// Along-path speed correction u_s [m/s].
    double speed = 0.0;
    /// Heading-rate correction u_ω of the 2DW1C vehicle [rad/s].
    double headingRate = 0.0;
    /// Steering-rate correction u_φ of the 1FDW1FS and 1RDW1FS vehicles [rad/s].
    double steerRate = 0.0;
};

/// A feedback law: the corrections of run.vehicleType's FBC vehicle at the evaluation point
/// y, from the error signals and reference points the integrator keeps up to date.
using ControlLaw = Corrections (*)(const Model& model, const MechanismRun& run,
                                   const MotionState& y);

/// The law designed from fn and ζ: proportional-integral along the path, lateral offset,
/// heading and steering angle (or the heading integral of type 1) across it.
Corrections fnZetaCorrections(const Model& model, const MechanismRun& run, const MotionState& y);

/// The laws that command a curvature or a steering angle instead (docs/controllers.md); all
/// keep the fn/ζ law along the path.
Corrections purePursuitCorrections(const Model& model, const MechanismRun& run,
                                   const MotionState& y);
Corrections stanleyCorrections(const Model& model, const MechanismRun& run, const MotionState& y);
Corrections lqrCorrections(const Model& model, const MechanismRun& run, const MotionState& y);

/// The law of a kind; the fn/ζ law for a kind that names none.
ControlLaw controlLawOf(ControllerKind kind);

/// Short name of a kind for the tools ("fnzeta", "pure-pursuit", "stanley", "lqr"); nullptr
/// for a kind that names none.
const char* controllerName(ControllerKind kind);

/// The kind of a short name; false for a name that names no law.
bool controllerOfName(const char* name, ControllerKind& kind);

}  // namespace agv
