// One Runge-Kutta-Gill sub-step of the three vehicles of one mechanism.
#pragma once

#include "path/path_types.h"
#include "sim/sim_types.h"

namespace agv {

struct AgvContext;

/// Gill constants as the simulator stores them.
inline constexpr double kGill1 = 0.5;
inline constexpr double kGill2 = 0.292893219;
inline constexpr double kGill3 = 1.70710678;
inline constexpr double kGill4 = 0.16666667;
/// Steering angle limit of the FBC vehicle, types 2 and 3 [rad].
inline constexpr double kSteerAngleMax = 1.55;

/// One Gill stage (1-4) of y with rate e; updates y and the accumulator q.
void rkgUpdate(int stage, double h, double c, double& y, double e, double& q);

/// Advances state by h into newState (slots 0-14, 20, 21), updating the two reference
/// points and ctx.errors after every stage.
void rkgStep(AgvContext& ctx, double t, double h, int curveNumber, int vehicleType,
             MotionState& state, MotionState& newState, ReferencePoint refs[2], int slotCount);

}  // namespace agv
