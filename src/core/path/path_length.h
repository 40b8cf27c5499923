// The path length limit: the trajectory store holds at most 3000 samples.
#pragma once

namespace agv {

struct SimulationSettings;

/// Longest path the trajectory store holds, 3000·stepLength [m].
double longestStoredPath(const SimulationSettings& settings);

/// The length [m] of curve I with the settings' constants, as the length check takes it:
/// a lower bound when the path is certainly too long, no number (NaN) when it cannot be
/// computed. Prepares the curve on a copy: writes nothing.
double checkedPathLength(const SimulationSettings& settings, int curveNumber);

}  // namespace agv
