// The program's context: the user's scenario, the model and run data of the core, the
// window's view, the dialogue's run state and where messages go. Routines receive it by reference,
// so every test can start from a fresh instance.
#pragma once

#include <iostream>

#include "draw/view_state.h"
#include "sim/model.h"
#include "sim/run_data.h"
#include "sim/scenario.h"

namespace agv {

/// Run state kept beside the model.
struct RunState {
    /// Computations the console dialogue has completed.
    int computeCount = 0;
    /// Last key pressed in the graphics window.
    char lastKey = '0';
};

struct AgvContext {
    /// What the user chose last; the model holds it applied.
    Scenario scenario;
    Model model;
    RunData data;
    ViewState view;
    RunState run;
    /// Where the program's messages go (the console layer points it at its output).
    std::ostream* out = &std::cout;
};

}  // namespace agv
