// What a Monte Carlo sweep (--seeds) reports per grid point besides each seed's run: the
// mean, standard deviation and worst value of every figure over the seeds.
#pragma once

#include <vector>

#include "app/sweep/point_run.h"

namespace agv {

/// The statistic of the three types over the runs of one grid point, each taken over the
/// runs of that type that are done (diverged and other runs left out): `records` is the
/// number of those runs; every figure is their mean, their sample standard deviation
/// (n - 1; NaN with fewer than two runs) or their worst value (largest, for the figures of
/// signed values the one of largest magnitude). The outcome is done when every run is,
/// partial when some are; with none the statistic has no figures.
PointResult seedStatistic(const std::vector<PointResult>& runs, SeedStatistic statistic);

}  // namespace agv
