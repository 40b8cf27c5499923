// What the drawing reads: the conditions of the run, its recorded trajectories and the
// view state.
#pragma once

#include "draw/view_state.h"
#include "path/path_types.h"
#include "sim/feedback_gains.h"
#include "sim/model.h"
#include "sim/trajectory_store.h"

namespace agv {

struct Scene {
    const SimulationSettings& settings;
    const FeedbackGains& gains;
    const PathTables& path;
    const TrajectoryStore* store;
    const ViewState& view;
};

}  // namespace agv
