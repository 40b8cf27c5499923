// An exercise's verdict on a run as agvsim-batch --exercise prints it, and its refusal of an
// answer that changes a fixed field.
#pragma once

#include <ostream>
#include <string>

#include "sim/exercise.h"

namespace agv {

/// One line per target (figure, type, limit, measured value, PASS or FAIL), then the overall
/// verdict.
void writeExerciseVerdict(std::ostream& out, const ExerciseVerdict& verdict);

/// Why an answer is refused: the field it changes and the value the exercise fixes.
std::string answerRefusalText(const AnswerRefusal& refusal);

/// An exercise refused as text or by its checks, naming the field (and target) at fault.
std::string exerciseErrorText(const ExerciseError& error);

}  // namespace agv
