// The recorded trajectories of all three vehicle types.
#pragma once

#include <array>
#include <vector>

namespace agv {

/// Most records per vehicle type in the trajectory store.
inline constexpr int kMaxRecords = 3000;

/// Offsets within one recorded pose (s, θ, x, y, φ).
enum PoseField : int { kPoseS = 0, kPoseTheta = 1, kPoseX = 2, kPoseY = 3, kPosePhi = 4 };
/// Values in one vehicle's pose.
inline constexpr int kPoseFields = 5;

/// One recorded pose (s, θ, x, y, φ); slots 5 and 6 stay unused.
using PoseRecord = std::array<double, 7>;
/// One recorded (dd, dth) pair.
using ErrorRecord = std::array<double, 2>;

/// Recorded samples of all three vehicle types. Each type's records take the memory they
/// need: they grow as a computation records them, up to kMaxRecords, and a finished type
/// keeps exactly its records 0 to recordCount.
struct TrajectoryStore {
    std::vector<PoseRecord> theoryTraj[3];
    std::vector<PoseRecord> noFbcTraj[3];
    std::vector<PoseRecord> fbcTraj[3];
    std::vector<PoseRecord> fbcRefTraj[3];
    std::vector<PoseRecord> noFbcDiff[3];
    std::vector<PoseRecord> fbcDiff[3];
    std::vector<ErrorRecord> noFbcErr[3];
    std::vector<ErrorRecord> fbcErr[3];
    /// Index of the last valid record per type.
    int recordCount[3] = {0, 0, 0};
    /// Time at which the theoretical vehicle reaches the path end, per type; the time of
    /// the last record of a type that diverged [s].
    double endTime[3] = {0.0, 0.0, 0.0};
    /// Per type: its FBC vehicle left the path after the last record (the design diverged).
    bool diverged[3] = {false, false, false};
    /// Per type that diverged: start of the step in which it left the path [s].
    double divergedTime[3] = {0.0, 0.0, 0.0};
    /// Per type: ∫|lateral correction| dt of the FBC vehicle up to the last record, u_ω of
    /// type 1 and u_φ of types 2 and 3 taken at the start of each sub-step [rad].
    double correctionIntegral[3] = {0.0, 0.0, 0.0};

    /// Every type with one record of zeros, record 0.
    TrajectoryStore();
};

/// Makes room for records 0 to n of type index k (new records are zeros); the records
/// already there keep their values.
void reserveRecords(TrajectoryStore& store, int k, int n);

/// Keeps records 0 to recordCount[k] of type index k and releases the memory of the rest.
void fitRecords(TrajectoryStore& store, int k);

/// True when every recorded value of type index k is a finite number.
bool recordsAreFinite(const TrajectoryStore& store, int k);

}  // namespace agv
