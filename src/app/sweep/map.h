// The heat map of a sweep as SVG: one panel per vehicle type over the two axes of the
// grid, a shared colour scale, refused or failed cells crossed out, the best cell of each
// panel outlined.
#pragma once

#include <string>
#include <vector>

#include "app/sweep/grid.h"
#include "app/sweep/point_run.h"

namespace agv {

/// What the map needs of one grid point: per type the outcome and the metric.
struct MapPoint {
    CellOutcome outcome[3] = {CellOutcome::kRefused, CellOutcome::kRefused, CellOutcome::kRefused};
    /// Whether value holds the metric (a done run with a finite figure).
    bool hasValue[3] = {false, false, false};
    double value[3] = {0.0, 0.0, 0.0};
};

/// The metric of one point's result for the map.
MapPoint mapPoint(const PointResult& result, int metricColumn);

/// The SVG document. points holds every grid point in grid order; the horizontal axis is
/// the first swept quantity, the vertical one the second (or a single row).
std::string sweepMapSvg(const SweepGrid& grid, const Scenario& scenario,
                        const std::vector<MapPoint>& points, const std::string& metric);

}  // namespace agv
