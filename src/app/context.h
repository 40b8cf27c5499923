// The program-wide data of one run, gathered in one place. Routines receive it by
// reference, so every test can start from a fresh instance.
#pragma once

#include <iostream>
#include <memory>

#include "app/settings.h"
#include "draw/view_state.h"
#include "noise/random_tables.h"
#include "path/path_types.h"
#include "sim/sim_types.h"

namespace agv {

struct AgvContext {
    SimulationSettings settings;
    RunState run;
    PathTables path;
    NoiseState noise;
    FeedbackGains gains;
    /// Error signals of the evaluation point the integrator is at.
    ErrorSignals errors;
    /// Intermediate values of the vehicle rates at the current evaluation point.
    RateScratch rates;
    /// Recorded trajectories (about 3.3 MB, allocated once per context).
    std::unique_ptr<TrajectoryStore> store = std::make_unique<TrajectoryStore>();
    ViewState view;
    /// Where the core's messages go (the console layer points it at its output).
    std::ostream* out = &std::cout;
};

}  // namespace agv
