// The words for a computation's outcome and for a refused setting: the console's own
// Japanese lines, and one-line English reasons for the tools.
#pragma once

#include <ostream>
#include <string>

#include "sim/run_outcome.h"
#include "sim/settings_check.h"

namespace agv {

/// The completion line of every type computed and, for a store overflow, its refusal.
void printComputationMessages(std::ostream& out, const RunOutcome& outcome);

/// What the dialogue says after a computation that ran out of records (before it asks
/// again) or diverged (before it shows the records up to there); "" when done.
std::string dialogueRetryText(const RunOutcome& outcome);

/// One English line saying why a run was not done ("" when done).
std::string outcomeReason(const RunOutcome& outcome);
/// The line of outcomeReason for a type (1-3) that diverged after the given record, in the
/// step that started at time [s].
std::string divergenceReason(int type, int record, double time);

/// The dialogue's refusal of a setting, as the console prints it ("" when accepted); for a
/// path that is too long the length check's refusal and the request for another path.
std::string refusalText(const Refusal& refusal);
/// The same refusal as one English line ("" when accepted).
std::string refusalReason(const Refusal& refusal);

}  // namespace agv
