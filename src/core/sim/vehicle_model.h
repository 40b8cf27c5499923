// Kinematics of the three mechanisms with their errors: the feed-forward command and
// the rates of the three vehicles (theoretical, without FBC, with FBC) of each.
#pragma once

#include "sim/model.h"
#include "sim/motion_state.h"
#include "sim/run_data.h"

namespace agv {

/// Steering-rate limit of the FBC vehicle, types 2 and 3 [rad/s].
inline constexpr double kSteerRateMaxFbc = 3.0;

/// Commanded speed V [m/s] and steering rate [rad/s] of the theoretical vehicle.
struct Command {
    double V = 0.0;
    double phiDotCmd = 0.0;
};

/// The feed-forward command of the mechanism at the evaluation point y.
Command feedForwardCommand(const Model& model, int vehicleType, const MotionState& y);

/// Rates of the 2DW1C vehicles (two driven rear wheels and a caster) at y. The caster
/// angles follow the motion: they are written into y, and their rates are 0.
MotionRates rates2DW1C(const Model& model, MechanismRun& run, MotionState& y);
/// Rates of the 1FDW1FS vehicles (one front wheel that drives and steers) at y.
MotionRates rates1FDW1FS(const Model& model, MechanismRun& run, const MotionState& y);
/// Rates of the 1RDW1FS vehicles (rear drive, front steering wheel) at y.
MotionRates rates1RDW1FS(const Model& model, MechanismRun& run, const MotionState& y);

/// The rates of run.vehicleType's vehicles at y.
MotionRates motionRates(const Model& model, MechanismRun& run, MotionState& y);

}  // namespace agv
