// The console dialogue that changes the conditions and starts each computation, and
// the steps of it that scripted runs share.
#pragma once

#include "sim/caltraj.h"
#include "sim/mechanism_error.h"
#include "sim/run_outcome.h"
#include "sim/settings_check.h"

namespace agv {

struct AgvContext;
class Console;

/// Clears every mechanism error, stores errorNumber and the value(s) of that error in
/// console units (percent; degrees for the steering drift), and derives
/// wheelBaseActual/treadActual.
void applyErrorChoice(AgvContext& ctx, MechanismError errorNumber, double value1, double value2);

/// Sets fn and zeta, omegaN = 2π·fn, and designs the gains.
void applyFeedbackDesign(AgvContext& ctx, double fn, double zeta);

/// Prints the refusal's text to ctx.out; true when the setting was accepted.
bool acceptSetting(AgvContext& ctx, const Refusal& refusal);

/// Builds the arc table, runs caltraj and, unless the store overflowed, finds the plot
/// ranges, resets the view (scale 0.2, motion index 0, type 1) and adds 1 to computeCount.
/// With the random slip the settings' wheel errors then show the last slip computed.
/// Returns caltraj's outcome; prints nothing.
RunOutcome computeTrajectories(AgvContext& ctx,
                               TypeScheduling scheduling = TypeScheduling::kConcurrent);

/// The dialogue's opening lines and its questions, from the section the run state selects
/// up to the computation, which is left to the caller: the conditions of the next run are
/// then set and checked. Throws InputEnded when the console's input ends.
void askConditions(AgvContext& ctx, Console& console);

/// The whole console dialogue, entered by start-up or by the window keys. Throws
/// InputEnded when the console's input ends.
void dialogue(AgvContext& ctx, Console& console);

/// The dialogue for the program: at the end of input it prints the end line, restores the
/// terminal and ends the program with status 1.
void runDialogue(AgvContext& ctx, Console& console);

}  // namespace agv
