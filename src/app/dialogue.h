// The console dialogue that changes the conditions and starts each computation, and
// the steps of it that scripted runs share.
#pragma once

namespace agv {

struct AgvContext;
class Console;

/// Clears every mechanism error, stores errorNumber and the value(s) of that error in
/// console units (percent; degrees for '3'), and derives wheelBaseActual/treadActual.
void applyErrorChoice(AgvContext& ctx, char errorNumber, double value1, double value2);

/// False (after printing the refusal to ctx.out) when the error values, in console units,
/// would give the erroneous vehicle a WheelBase or Tread of zero. Changes nothing.
bool checkErrorChoice(AgvContext& ctx, char errorNumber, double value1, double value2);

/// Sets fn and zeta, omegaN = 2π·fn, and designs the gains.
void applyFeedbackDesign(AgvContext& ctx, double fn, double zeta);

/// False (after printing the refusal to ctx.out) when fn and zeta give no usable gains:
/// fn or zeta zero, or a gain that is not a finite number. Leaves the design unchanged.
bool checkFeedbackDesign(AgvContext& ctx, double fn, double zeta);

/// Builds the arc table, runs caltraj and, when it succeeds, finds the plot ranges and
/// resets the view (scale 0.2, motion index 0, type 1) and adds 1 to computeCount.
/// Returns caltraj's result; 3000 or more means the path ran out of records.
int computeTrajectories(AgvContext& ctx);

/// True when every recorded value of the last computation is a finite number. An unstable
/// feedback design or an extreme error can make the integration diverge.
bool trajectoriesAreFinite(const AgvContext& ctx);

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
