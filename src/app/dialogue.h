// The console dialogue that changes the conditions and starts each computation, and
// the steps of it that scripted runs share.
#pragma once

namespace agv {

struct AgvContext;
class Console;

/// Clears every mechanism error, stores errorNumber and the value(s) of that error in
/// console units (percent; degrees for '3'), and derives wheelBaseActual/treadActual.
void applyErrorChoice(AgvContext& ctx, char errorNumber, double value1, double value2);

/// Sets fn and zeta, omegaN = 2π·fn, and designs the gains.
void applyFeedbackDesign(AgvContext& ctx, double fn, double zeta);

/// Builds the arc table, runs caltraj and, when it succeeds, finds the plot ranges and
/// resets the view (scale 0.2, motion index 0, type 1) and adds 1 to computeCount.
/// Returns caltraj's result; 3000 or more means the path ran out of records.
int computeTrajectories(AgvContext& ctx);

/// The whole console dialogue, entered by start-up or by the window keys.
void dialogue(AgvContext& ctx, Console& console);

}  // namespace agv
