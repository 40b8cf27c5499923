// How closely a vehicle with feedback followed the path, from its records: the figures that
// compare the feedback laws under one scenario (docs/controllers.md, "Comparing the laws").
#pragma once

#include "sim/trajectory_store.h"

namespace agv {

/// The share of a type's records, at their end, whose mean dd is its steady offset.
inline constexpr double kSteadyShare = 0.2;

struct FollowingFigures {
    /// Largest |dd| of the vehicle with feedback over all records [m].
    double peakDd = 0.0;
    /// Root mean square of dd over all records [m].
    double rmsDd = 0.0;
    /// Mean dd over the last kSteadyShare of the records [m].
    double steadyDd = 0.0;
    /// From then on dd stays within kSettlingBand of peakDd around steadyDd [s]; +inf when
    /// it does not within the records.
    double settlingTime = 0.0;
    /// ∫|lateral correction| dt up to the last record [rad] (TrajectoryStore).
    double correctionIntegral = 0.0;
};

/// The figures of type index k's records 0 to store.recordCount[k], recorded every dt [s]
/// with the last one at store.endTime[k].
FollowingFigures followingFigures(const TrajectoryStore& store, int k, double dt);

/// The time of type index k's record n, recorded every dt [s]: n·dt, the last one at
/// store.endTime[k] [s].
double recordTime(const TrajectoryStore& store, int k, int n, double dt);

/// The root mean square of type index k's dd with feedback over records 0 to last [m].
double rmsFbcDd(const TrajectoryStore& store, int k, int last);

}  // namespace agv
