// Computes and records the trajectories of all three vehicle types.
#pragma once

#include "sim/model.h"
#include "sim/motion_state.h"
#include "sim/run_data.h"
#include "sim/run_outcome.h"

namespace agv {

/// Computes the mechanism of type index k (0-2) on the prepared path and records it in
/// data.store; done, or a store overflow with the type and the record that did not fit.
RunOutcome computeMechanism(const Model& model, RunData& data, int k);

/// Computes all three types for the model's path and mechanism error: draws the slip
/// noise (error 5), then types 1, 2 and 3 in turn. Stops at the first type that overflows
/// the store; a run whose records are not all finite numbers has diverged. The path set-up
/// and arc table of the current curve must be made before.
RunOutcome caltraj(const Model& model, RunData& data);

/// Writes record n of type index k from the state, the FBC reference point and the errors.
void recordSample(TrajectoryStore& store, int k, int n, const MotionState& state,
                  const MechanismRun& run);

}  // namespace agv
