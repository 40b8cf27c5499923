// What a computation writes: per mechanism the motion state, the reference points, the
// error signals, the wheel errors of the current sub-step and memos of repeated
// functions; for the whole run the slip noise and the trajectory store.
#pragma once

#include <array>
#include <memory>

#include "noise/slip_noise.h"
#include "path/path_types.h"
#include "sim/model.h"
#include "sim/motion_state.h"
#include "sim/trajectory_store.h"
#include "sim/trig_memo.h"

namespace agv {

/// Work the searches of one vehicle type may spend, in steps of the reference point search
/// (about a nanosecond each; an evaluated residual counts kEvaluationWork, a panel of an
/// arc length kPanelWork): about a sixth of a second, so that all three types end within
/// the second the tools promise. Whole paths of sharp bends take a tenth of it; vehicles
/// lost far from the path (a flat ellipse's tips, huge mechanism errors), whose reference
/// points are searched over the whole path again and again, or a path so steep that each
/// step's arc-length inversion iterates at length, would compute for minutes.
inline constexpr long kWorkPerType = 240000000;
/// Work of one evaluated residual and of one panel of an arc length.
inline constexpr long kEvaluationWork = 40;
inline constexpr double kPanelWork = 25.0;
/// Work of a panel of the arc-length inversion (three speeds, one of them shared in the
/// reference search's sums).
inline constexpr long kInversionPanelWork = 100;
/// Work of the arc length of the circle arc, whatever its panels (kernels::uniformPanelSum).
inline constexpr double kUniformSumWork = 200.0;

/// Path-following errors of the two erroneous vehicles at the current evaluation point.
struct ErrorSignals {
    /// s_A - s_D [m].
    double dsFbc = 0.0;
    /// Lateral offsets [m].
    double ddNoFbc = 0.0, ddFbc = 0.0;
    /// Heading errors [rad], not reduced to one turn.
    double dthNoFbc = 0.0, dthFbc = 0.0;
    /// Steering angle error of the FBC vehicle [rad].
    double dphiFbc = 0.0;
    /// Time integrals of dsFbc [m·s], ddFbc [m·s], dthFbc [rad·s].
    double intDsFbc = 0.0, intDdFbc = 0.0, intDthFbc = 0.0;
};

/// Wheel radius errors acting during the current sub-step: the settings' own values, or
/// with the random slip the values drawn for this sub-step.
struct WheelErrors {
    /// Left and right rear wheels, front wheel [ratio].
    double rearL = 0.0, rearR = 0.0, front = 0.0;
};

/// Last arguments and values of functions that recur from one evaluation to the next:
/// the vehicles' headings are needed by the error measures of a stage and by the rates
/// of the next, a steering angle that does not change keeps its sine and cosine.
struct TrigMemos {
    /// sin and cos of the recent vehicle headings.
    SinCosCache headings;
    /// sin and cos of the steering angles (D: theoretical, C: without FBC, A: with FBC,
    /// the last two with the drift).
    SinCosMemo phiD, phiC, phiA;
    ScalarMemo tanPhiD, tanPhiC, tanPhiA;
    /// atan(T·κ_D) and the caster angles of type 1.
    ScalarMemo atanKappaD, casterC, casterA;
    /// atan(tread·κ) of the reference points.
    ScalarMemo atanReference;
    /// Curvature and curvature rate of the circle arc, by its radius.
    ScalarMemo circleCurvature, circleCurvatureRate;
};

/// What the computation of one mechanism writes while it runs.
struct MechanismRun {
    /// Vehicle type (1-3) this run computes.
    int vehicleType = 1;
    /// Reference points on the path: [0] of the vehicle without FBC (its arc length s is not
    /// followed and stays that of the start), [1] of the FBC vehicle.
    ReferencePoint refs[2];
    ErrorSignals errors;
    WheelErrors wheels;
    TrigMemos memo;
    /// Set when a correction of the FBC vehicle passed its limit or was no number during the
    /// last step, which then ended at once: the vehicle has left the path and the
    /// computation of this type stops.
    bool leftPath = false;
    /// Work the searches of this type may still spend (see kWorkPerType); negative once spent.
    long workLeft = kWorkPerType;
    /// The FBC vehicle's lateral correction at the last evaluation: u_ω of type 1, u_φ of
    /// types 2 and 3 [rad/s].
    double lateralCorrection = 0.0;
    /// The lateral correction at the start of the last sub-step [rad/s].
    double stepStartCorrection = 0.0;
    /// ∫|lateral correction| dt over the sub-steps kept so far, each taken at its start [rad].
    double correctionIntegral = 0.0;
};

/// Everything a computation writes.
struct RunData {
    std::array<MechanismRun, 3> mechanism;
    /// The uniform generator and the slip noise sequences drawn from it.
    SlipNoise noise;
    /// Wheel errors of the last sub-step computed (of the type that ran out of records, else
    /// of type 3): with the random slip, the last slip drawn.
    WheelErrors lastWheels;
    /// Recorded trajectories (about 3.3 MB, allocated once).
    std::unique_ptr<TrajectoryStore> store = std::make_unique<TrajectoryStore>();
};

}  // namespace agv
