// The linear theory of a law other than fn/ζ (docs/controllers.md) beside what its records
// show: the table of agvsim-batch --theory for pure pursuit, Stanley and LQR.
#pragma once

#include <ostream>

#include "sim/model.h"
#include "sim/trajectory_store.h"

namespace agv {

/// Per type: the lateral poles of the law, the along-path poles of the fn/ζ speed law, and
/// the predicted steady dd and dth beside the last record's and their ratio.
void writeLawTheoryReport(std::ostream& out, const Model& model, const TrajectoryStore& store);

}  // namespace agv
