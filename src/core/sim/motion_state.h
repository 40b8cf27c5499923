// The motion state of one mechanism: the poses of its three vehicles and the
// theoretical vehicle's place on the path.
#pragma once

namespace agv {

/// Where a vehicle is: distance travelled, heading, position and steering angle. A plain
/// aggregate: `Pose{}` is all zeros, a `Pose` declared without braces is filled later.
struct Pose {
    /// Distance travelled from the path start [m].
    double s;
    /// Heading [rad, from +x, counter-clockwise], not reduced to one turn.
    double theta;
    /// Position of the vehicle's reference point [m].
    double x, y;
    /// Steering angle (types 2, 3) or caster angle (type 1) [rad].
    double phi;
};

/// The three vehicles of one mechanism at one instant.
struct MotionState {
    /// Theoretical vehicle (red), following the path exactly.
    Pose theory{};
    /// Erroneous vehicle without feedback (blue).
    Pose noFbc{};
    /// Erroneous vehicle with feedback (green).
    Pose fbc{};
    /// Path curvature at the theoretical vehicle [1/m].
    double kappa = 0.0;
    /// Curve parameter of the theoretical vehicle (x [m] or β [rad]).
    double p = 0.0;
    /// Slip noise samples ν1, ν2 of the current sub-step.
    double nu1 = 0.0, nu2 = 0.0;
};

/// Time derivatives of the three poses (for type 1 the caster angles are set, not
/// integrated: their rates are 0).
struct MotionRates {
    Pose theory, noFbc, fbc;
};

}  // namespace agv
