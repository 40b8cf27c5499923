// The recorded trajectories of all three vehicle types.
#pragma once

#include <array>

namespace agv {

/// Records per vehicle type in the trajectory store.
inline constexpr int kMaxRecords = 3000;

/// Offsets within one recorded pose (s, θ, x, y, φ).
enum PoseField : int { kPoseS = 0, kPoseTheta = 1, kPoseX = 2, kPoseY = 3, kPosePhi = 4 };
/// Values in one vehicle's pose.
inline constexpr int kPoseFields = 5;

/// One recorded pose (s, θ, x, y, φ); slots 5 and 6 stay unused.
using PoseRecord = std::array<double, 7>;
/// One recorded (dd, dth) pair.
using ErrorRecord = std::array<double, 2>;

/// Recorded samples of all three vehicle types; a fixed block allocated once.
struct TrajectoryStore {
    PoseRecord theoryTraj[3][kMaxRecords];
    PoseRecord noFbcTraj[3][kMaxRecords];
    PoseRecord fbcTraj[3][kMaxRecords];
    PoseRecord fbcRefTraj[3][kMaxRecords];
    PoseRecord noFbcDiff[3][kMaxRecords];
    PoseRecord fbcDiff[3][kMaxRecords];
    ErrorRecord noFbcErr[3][kMaxRecords];
    ErrorRecord fbcErr[3][kMaxRecords];
    /// Index of the last valid record per type.
    int recordCount[3];
    /// Time at which the theoretical vehicle reaches the path end, per type; the time of
    /// the last record of a type that diverged [s].
    double endTime[3];
    /// Per type: its FBC vehicle left the path after the last record (the design diverged).
    bool diverged[3];
    /// Per type that diverged: start of the step in which it left the path [s].
    double divergedTime[3];
};

/// True when every recorded value of type index k is a finite number.
bool recordsAreFinite(const TrajectoryStore& store, int k);

}  // namespace agv
