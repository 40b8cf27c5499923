// The linear theory of a run (docs/theory.md) beside what its records show: the table of
// agvsim-batch --theory.
#pragma once

#include <ostream>

#include "sim/linear_theory.h"
#include "sim/trajectory_store.h"

namespace agv {

/// One line of poles after a title, as the report writes them.
void printPoles(std::ostream& out, const char* title, const Pole* poles, int n);

/// One row of the steady table: predicted, on the last record, and their ratio.
void printSteadyRow(std::ostream& out, const char* name, double predicted, double simulated);

/// Per type: the poles, the figures of the predicted response, and the predicted steady
/// dd and dth beside the values on the last record and their ratio (simulated over
/// predicted).
void writeTheoryReport(std::ostream& out, const RunTheory& theory,
                       const SimulationSettings& settings, const TrajectoryStore& store);

}  // namespace agv
