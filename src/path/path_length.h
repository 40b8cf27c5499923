// The path length limit: the trajectory store holds at most 3000 samples.
#pragma once

namespace agv {

struct AgvContext;

/// Recomputes and stores the length of curve I; 1 when it fits the store, 0 (after
/// printing the refusal) when it is longer than 3000·stepLength.
int checkPathLength(AgvContext& ctx, int curveNumber);

}  // namespace agv
