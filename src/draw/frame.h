// One complete picture of the window: captions, grid, trajectories, vehicle figures,
// path marks, the plot panel background and the plots, painted in this order.
#pragma once

#include <array>
#include <vector>

#include "draw/shapes.h"

namespace agv {

class DrawBackend;
struct Scene;
struct TrajectoryStore;

/// Width of the blue and green trajectories, as a multiple of the initial view scale.
inline constexpr double kErrorTrajectoryWidthFactor = 0.08;
/// Width of the red trajectory and radius of the path marks, likewise.
inline constexpr double kTheoryTrajectoryWidthFactor = 0.04;
/// Grid lines on each side of the world origin.
inline constexpr int kGridHalfCount = 40;

/// Window images of the positions of records 0..last (consecutive ones are joined).
std::vector<Vec2> trajectoryPoints(const Scene& scene, const std::array<double, 7>* records,
                                   int last);

/// The record the animation stands at for type index t, held to 0..recordCount.
int shownRecord(const Scene& scene, int t);

/// Draws the whole picture of the scene through the backend, starting with a clear; a
/// pinned run, when given, is drawn over it (see pinned_overlay.h).
void drawFrame(const Scene& scene, DrawBackend& b, const TrajectoryStore* pinned = nullptr);

}  // namespace agv
