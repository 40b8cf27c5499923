// The path length limit: the trajectory store holds at most 3000 samples.
#pragma once

#include "sim/run_outcome.h"

namespace agv {

struct Model;

/// Recomputes and stores the length of curve I. Done when it fits the store; path too
/// long (with the length and the limit 3000·stepLength) otherwise.
RunOutcome checkPathLength(Model& model, int curveNumber);

}  // namespace agv
