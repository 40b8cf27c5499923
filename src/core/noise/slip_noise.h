// Random slip of the drive wheel: a 15-bit uniform generator, its normal
// conversion, and time-correlated, normalised noise sequences.
#pragma once

#include <cstdint>
#include <vector>

#include "noise/random_tables.h"

namespace agv {

/// Integration sub-steps per recorded sample.
inline constexpr int kSubSteps = 5;
/// Time constant of the slip filter [s].
inline constexpr double kSlipTau = 1.0;
/// Length of each slip noise sequence.
inline constexpr int kSlipNoiseLength = 30000;

/// The uniform generator and the two slip noise sequences it last filled.
struct SlipNoise {
    /// State of the 32-bit uniform generator; 1 at program start.
    std::uint32_t rngState = 1;
    /// Empty until the slip is first drawn (no sample then is 0), kSlipNoiseLength after.
    std::vector<double> slipNoise1;
    std::vector<double> slipNoise2;
};

/// Advances the generator and returns a 15-bit integer 0..32767.
int drawUniform15(std::uint32_t& rngState);
/// One normally distributed value (table conversion of a centred uniform number).
double randomNormal(const RandomTables& tables, std::uint32_t& rngState);
/// One Runge-Kutta-Gill step of length h [s] of the slip filter dy/dt = w - y / kSlipTau,
/// with the input w held during the step.
double slipFilterStep(double y, double w, double h);
/// Fills out[0..n-1] with filtered noise normalised to mean 0 and population sd 1; the
/// filter steps by one integration sub-step of the record interval dt [s].
void makeSlipNoise(const RandomTables& tables, double dt, std::uint32_t& rngState, int n,
                   double* out);

}  // namespace agv
