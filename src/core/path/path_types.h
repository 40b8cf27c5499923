// Poses and tables that describe the current path.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "path/blocked_sum.h"

namespace agv {

/// Curve-number-indexed tables have this many entries (indexed by I directly).
inline constexpr int kCurveTableSize = 22;
/// Capacity of the arc-length table.
inline constexpr int kArcTableCapacity = 3000;
/// Parameter spacing of the arc-length table.
inline constexpr double kArcTableStep = 0.01;

/// A pose on the path: position [m] and heading [rad, from +x, counter-clockwise].
struct PathPose {
    double x = 0.0, y = 0.0, theta = 0.0;
};

/// The path end: its pose and the path length sf [m].
struct PathEnd {
    double x = 0.0, y = 0.0, theta = 0.0;
    /// Path length from parameter 0 to the end parameter [m].
    double sf = 0.0;
};

/// A point on the path as the simulation tracks it.
struct ReferencePoint {
    /// Arc length from the path start [m].
    double s = 0.0;
    /// Path heading [rad].
    double theta = 0.0;
    /// Position [m].
    double x = 0.0, y = 0.0;
    /// Steering angle that follows the curvature, atan(tread·κ) [rad].
    double phi = 0.0;
    /// Curvature [1/m].
    double kappa = 0.0;
    /// Curve parameter (x [m] or β [rad]).
    double p = 0.0;
};

/// (parameter, arc length) pairs of the current curve, 0.01 apart in the parameter.
struct ArcTable {
    /// Curve number the table was built for (0 when never built).
    int curveNumber = 0;
    /// Number of filled entries.
    int count = 0;
    /// Entry j = (p, s).
    std::array<std::array<double, 2>, kArcTableCapacity> entry{};
    /// The steps of kArcTableStep the inverse mapping takes, as the table computed them:
    /// step c ends at entry c + 1 (at stepParam[c], after adding stepLength[c]). A table cut
    /// short goes on with the steps beyond its last entry.
    std::vector<double> stepParam, stepLength;
    /// The step that ends at the path end, which is not a whole step (none: SIZE_MAX).
    std::size_t pathEndStep = static_cast<std::size_t>(-1);
    /// Block sums of the step lengths of a table cut short, to add them a block at a time.
    BlockedSum stepBlocks;
};

/// Per-curve start and end data filled by the curve preparation and path set-up.
struct PathTables {
    std::array<PathPose, kCurveTableSize> pathStartPose{};
    std::array<double, kCurveTableSize> pathEndParam{};
    std::array<PathEnd, kCurveTableSize> pathEnd{};
    std::array<ReferencePoint, kCurveTableSize> pathEndReference{};
    ArcTable arcTable;
};

}  // namespace agv
