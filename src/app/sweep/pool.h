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

/// The values of run i.
using SweepValues = std::function<GridValues(std::size_t i)>;

/// Asked on the calling thread after every tick; true ends the sweep early.
using SweepStop = std::function<bool()>;

/// Runs `total` runs, run i with valuesOf(i), with one thread per runner (at most one per
/// run). When stop says so, the workers finish the run they are on and end; every thread
/// has ended when this returns, false then.
bool runSweepPoints(const std::vector<std::unique_ptr<SweepRunner>>& runners,
                    const Scenario& scenario, std::size_t total, const SweepValues& valuesOf,
                    const SweepDelivery& deliver, const SweepTick& tick,
                    const SweepStop& stop = {});

}  // namespace agv
