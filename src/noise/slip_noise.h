// Random slip of the drive wheel: a 15-bit uniform generator, its normal
// conversion, and time-correlated, normalised noise sequences.
#pragma once

namespace agv {

struct AgvContext;

/// Integration sub-steps per recorded sample.
inline constexpr int kSubSteps = 5;
/// Time constant of the slip filter [s].
inline constexpr double kSlipTau = 1.0;

/// Advances the generator and returns a 15-bit integer 0..32767.
int drawUniform15(AgvContext& ctx);
/// One normally distributed value (table conversion of a centred uniform number).
double randomNormal(AgvContext& ctx);
/// One Runge-Kutta-Gill step of length h [s] of the slip filter dy/dt = w - y / kSlipTau,
/// with the input w held during the step.
double slipFilterStep(double y, double w, double h);
/// Fills out[0..n-1] with filtered noise normalised to mean 0 and population sd 1.
void makeSlipNoise(AgvContext& ctx, int n, double* out);

}  // namespace agv
