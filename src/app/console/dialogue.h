// The console dialogue that changes the conditions and starts each computation, and
// the steps of it that scripted runs share.
#pragma once

#include "sim/settings_check.h"

namespace agv {

struct AgvContext;
class Console;

/// Prints the refusal's text to ctx.out; true when the setting was accepted.
bool acceptSetting(AgvContext& ctx, const Refusal& refusal);

/// The dialogue's opening lines and its questions, from the section the run state selects
/// up to the computation, which is left to the caller: the scenario of the next run is then
/// checked and applied to the model. Throws InputEnded when the console's input ends.
void askConditions(AgvContext& ctx, Console& console);

/// The whole console dialogue, entered by start-up or by the window keys. Throws
/// InputEnded when the console's input ends.
void dialogue(AgvContext& ctx, Console& console);

/// The dialogue for the program: at the end of input it prints the end line, restores the
/// terminal and ends the program with status 1.
void runDialogue(AgvContext& ctx, Console& console);

}  // namespace agv
