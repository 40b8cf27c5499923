// A program's way into the core: the start-up, a user's scenario checked and applied, and
// the computation with what the window needs of it.
#pragma once

#include <atomic>
#include <functional>

#include "sim/caltraj.h"
#include "sim/run_outcome.h"
#include "sim/scenario.h"

namespace agv {

struct AgvContext;

/// Start-up after the random tables are loaded: the start-up scenario applied (curve 1 and
/// its path, fn = 1, ζ = 1 and the gains), vehicle type 2, the view defaults, lastKey '0'
/// and computeCount 0.
void initialiseRun(AgvContext& ctx);

/// Checks the scenario and, when it is accepted, makes it the context's and applies it to
/// the model. Returns the refusal; a refused scenario leaves the context as it was.
Refusal useScenario(AgvContext& ctx, const Scenario& scenario);

/// Runs caltraj on the applied scenario and, unless the store overflowed or the run was
/// stopped, finds the plot ranges, resets the view (scale 0.2, motion index 0, type 1) and
/// adds 1 to computeCount. Returns caltraj's outcome; prints nothing. typeDone and stop: as
/// for caltraj.
RunOutcome computeTrajectories(AgvContext& ctx,
                               TypeScheduling scheduling = TypeScheduling::kConcurrent,
                               const std::function<void(int)>& typeDone = {},
                               const std::atomic<bool>* stop = nullptr);

/// The wheel errors the dialogue lists as the old values: with the random slip the last
/// slip the computation drew, otherwise the settings' own.
WheelErrors listedWheelErrors(const AgvContext& ctx);

}  // namespace agv
