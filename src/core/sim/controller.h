// The seam between the vehicle rates and a feedback law: a law reads the FBC vehicle's
// errors at an evaluation point and returns the corrections of its commands.
#pragma once

namespace agv {

struct Model;
struct MechanismRun;
struct MotionState;

/// The feedback laws a scenario can choose.
enum class ControllerKind : int {
    kFnZeta = 0,  ///< the law designed from fn and ζ
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

/// The law of a kind; the fn/ζ law for a kind that names none.
ControlLaw controlLawOf(ControllerKind kind);

/// Short name of a kind for the tools ("fnzeta"); nullptr for a kind that names none.
const char* controllerName(ControllerKind kind);

}  // namespace agv
