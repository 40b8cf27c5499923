// An exercise: fixed conditions, the fields a student may change, and targets on the
// figures of the run. As one line of text, the scenario text of the fixed conditions
// followed by the exercise's own fields, each at most once except target:
//
//   <scenario text> free=NAME,NAME,... target=FIGURE:TYPE<=LIMIT target=stable:TYPE ...
//
// free names scenario text fields (rear-wheels, front-wheel, drift, wheelbase-tread, slip,
// seed, curve, fn, zeta, controller, lookahead, stanley-gain, lqr-weights, mirror), written
// in that order; without it nothing may change. FIGURE is one of peak-dd [m], rms-dd [m],
// steady-dd (|steady offset|) [m], settling [s], correction (∫|correction| dt) [rad] of the
// vehicle with feedback of TYPE 1-3, compared with <= or >= against LIMIT in that unit;
// stable:TYPE asks that the type's run ends without leaving the path. Targets are written
// in the order given, their limits in the shortest form that reads back.
//
// The text carries no answer: the fixed conditions are the student's start values.
#pragma once

#include <string>

#include "sim/exercise.h"

namespace agv {

/// The canonical text of an exercise.
std::string exerciseText(const Exercise& exercise);
/// One target as written after "target=" ("peak-dd:2<=0.01").
std::string targetText(const ExerciseTarget& target);

/// Reads an exercise text; only the form is checked (checkExercise judges the values).
bool parseExerciseText(const std::string& text, Exercise& exercise, ExerciseError& error);

}  // namespace agv
