// What the draw layer reads to paint a picture, and what the window keys change. The
// program fills these from its own run data; drawing sees nothing else.
#pragma once

#include "draw/caption_format.h"
#include "draw/view_state.h"
#include "path/path_types.h"
#include "sim/model.h"
#include "sim/trajectory_store.h"

namespace agv {

/// The data one picture is drawn from.
struct Scene {
    /// Mechanism errors and curve number for the captions.
    const SimulationSettings& settings;
    /// The gains designed for the settings, for the theory overlay.
    const FeedbackGains& gains;
    /// Start and end poses of the paths, for the path marks.
    const PathTables& path;
    /// The recorded trajectories.
    const TrajectoryStore& store;
    const ViewState& view;
    /// How the captions write the error sizes: the window's templates, or in full.
    CaptionFormat captions = CaptionFormat::kWindow;
};

/// What the window keys act on.
struct ViewControl {
    /// The view, whose vehicleType the keys '1' '2' '3' choose.
    ViewState& view;
    /// Record counts that bound the animation.
    const TrajectoryStore& store;
};

}  // namespace agv
