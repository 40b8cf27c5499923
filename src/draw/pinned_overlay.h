// A pinned run drawn over the picture of the current one, so that two runs compare in one
// picture: its trajectories of the type on show and its dd and dth series, dashed and in
// lighter colours, in the current view and on the current plot scales.
#pragma once

#include <vector>

#include "draw/colors.h"
#include "draw/shapes.h"

namespace agv {

class DrawBackend;
struct Scene;
struct TrajectoryStore;

/// Pinned vehicle without feedback control.
inline constexpr Rgba colorPinnedBlue{0.3f, 0.5f, 1.0f, 0.0f};
/// Pinned vehicle with feedback control.
inline constexpr Rgba colorPinnedGreen{0.2f, 0.65f, 0.2f, 0.0f};
/// Pinned theoretical trajectory (drawn where its path differs from the current one).
inline constexpr Rgba colorPinnedRed{1.0f, 0.5f, 0.5f, 0.0f};

/// Length of a dash of the pinned run's lines [window units].
inline constexpr double kPinnedDash = 0.024;
/// Gap between two dashes [window units].
inline constexpr double kPinnedGap = 0.014;

/// The parts of segments (ends[0], ends[1]), (ends[2], ends[3]), ... that fall on dashes
/// of the given length, gap apart, measured along the line; the pattern runs on across
/// segments that continue one another and starts afresh where the line breaks.
std::vector<Vec2> dashedEnds(const std::vector<Vec2>& ends, double dash, double gap);

/// The pinned run's trajectories of the type on show, up to the record the animation stands
/// at (both runs record every dt, so record n is the same time in either).
void drawPinnedTrajectories(DrawBackend& b, const Scene& scene, const TrajectoryStore& pinned);

/// The pinned run's dd and dth in the error panel, on the current run's scales, and the
/// caption that names the dashed lines.
void drawPinnedPlots(DrawBackend& b, const Scene& scene, const TrajectoryStore& pinned);

}  // namespace agv
