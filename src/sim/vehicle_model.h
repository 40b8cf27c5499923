// Kinematics of the three mechanisms with their errors: the feed-forward command
// and the time derivative of each slot of the motion state.
#pragma once

#include "sim/sim_types.h"

namespace agv {

struct AgvContext;

/// Steering-rate limit of the FBC vehicle, types 2 and 3 [rad/s].
inline constexpr double kSteerRateMaxFbc = 3.0;

/// Commanded speed V [m/s] and steering rate [rad/s] of the theoretical vehicle.
struct Command {
    double V = 0.0;
    double phiDotCmd = 0.0;
};

Command feedForwardCommand(const AgvContext& ctx, int curveNumber, int vehicleType,
                           const MotionState& state);

/// Time derivative of slot i (0-14) at the evaluation point state. Slots are evaluated
/// in increasing order; later slots use the intermediates of earlier ones (ctx.rates).
/// For type 1, slots 4, 9 and 14 receive the caster angle and the rate is 0.
double motionRates(AgvContext& ctx, int i, int curveNumber, int vehicleType, MotionState& state);

/// The rates of slots 0-14 at one evaluation point, as motionRates gives them called for
/// i = 0, 1, ..., 14 in turn (with the same intermediates and caster angles left behind).
void motionRatesAll(AgvContext& ctx, int curveNumber, int vehicleType, MotionState& state,
                    double rates[kIntegratedSlots]);

}  // namespace agv
