// The start-up of a run: defaults, the default path and its check, the gains, the view.
#pragma once

namespace agv {

struct AgvContext;

/// Start-up after the random tables are loaded: stepLength, the curve constants, the
/// mechanism errors, the default path (curve 1) and its length check, fn, zeta and the
/// gains, vehicle type 2 and the view defaults, lastKey '0' and computeCount 0.
void initialiseRun(AgvContext& ctx);

}  // namespace agv
