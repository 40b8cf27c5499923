// One Runge-Kutta-Gill sub-step of the three vehicles of one mechanism.
#pragma once

#include "sim/model.h"
#include "sim/motion_state.h"
#include "sim/run_data.h"

namespace agv {

/// Gill constants as the simulator stores them.
inline constexpr double kGill1 = 0.5;
inline constexpr double kGill2 = 0.292893219;
inline constexpr double kGill3 = 1.70710678;
inline constexpr double kGill4 = 0.16666667;
/// Steering angle limit of the FBC vehicle, types 2 and 3 [rad].
inline constexpr double kSteerAngleMax = 1.55;

/// Stages of one step; the last one weighs the accumulator twice.
inline constexpr int kGillStages = 4;

/// One Gill stage (1-4) of y with rate e and the stage's constant c; updates y and the
/// accumulator q.
inline void rkgUpdate(int stage, double h, double c, double& y, double e, double& q) {
    const double k = h * e;
    const double r = stage == kGillStages ? c * (k - 2.0 * q) : c * (k - q);
    y = y + r;
    q = q + 3.0 * r - c * k;
}

/// The wheel speed errors of a sub-step that starts at state: the settings' radius errors,
/// with the random slip those drawn from the state's noise samples, and with both the two
/// combined on each wheel.
WheelErrors wheelErrorsAt(const SimulationSettings& settings, const MotionState& state);

/// Advances the mechanism run.vehicleType from state by h [s] into newState: the three
/// poses, and the theoretical vehicle's curve parameter and curvature. Updates the two
/// reference points, the error signals and their integrals after every stage, and sets
/// run.wheels for the step. For type 1 the rates write the caster angles into state.
void rkgStep(const Model& model, MechanismRun& run, double h, MotionState& state,
             MotionState& newState);

}  // namespace agv
