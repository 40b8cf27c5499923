// Computes and records the trajectories of all three vehicle types.
#pragma once

#include "path/path_types.h"
#include "sim/sim_types.h"

namespace agv {

struct AgvContext;

/// Result of caltraj when a type needed more records than the store holds.
inline constexpr int kStoreOverflow = kMaxRecords;

/// Computes all three types for the current settings; returns recordCount of type 3,
/// or 3000 when the store would overflow.
int caltraj(AgvContext& ctx, int curveNumber);

/// Writes record n of type index k from the state, the FBC reference point and the errors.
void recordSample(AgvContext& ctx, int k, int n, const MotionState& state,
                  const ReferencePoint refs[2]);

}  // namespace agv
