// Runs the grid points of a sweep on worker threads, one run's data per worker, and hands
// the results back in grid order on the calling thread.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "app/sweep/grid.h"
#include "app/sweep/point_run.h"

namespace agv {

/// Receives the result of points[i], for i = 0, 1, 2, ... in this order.
using SweepDelivery = std::function<void(std::size_t i, const PointResult& result)>;
/// Told now and then how many points are done, on the calling thread.
using SweepTick = std::function<void(std::size_t done)>;

/// Runs the given grid points with one thread per runner (at most one per point).
void runSweepPoints(const std::vector<std::unique_ptr<SweepRunner>>& runners,
                    const Scenario& scenario, const SweepGrid& grid,
                    const std::vector<std::size_t>& points, const SweepDelivery& deliver,
                    const SweepTick& tick);

}  // namespace agv
