#include "sim/trajectory_store.h"

#include <algorithm>
#include <cmath>

namespace agv {

bool recordsAreFinite(const TrajectoryStore& store, int k) {
    auto finite = [](const auto& record, int count) {
        for (int i = 0; i < count; ++i) {
            if (!std::isfinite(record[i])) return false;
        }
        return true;
    };
    if (!std::isfinite(store.endTime[k])) return false;
    const int last = std::clamp(store.recordCount[k], 0, kMaxRecords - 1);
    for (int n = 0; n <= last; ++n) {
        if (!finite(store.theoryTraj[k][n], kPoseFields) ||
            !finite(store.noFbcTraj[k][n], kPoseFields) ||
            !finite(store.fbcTraj[k][n], kPoseFields) ||
            !finite(store.fbcRefTraj[k][n], kPoseFields) ||
            !finite(store.noFbcDiff[k][n], kPoseFields) ||
            !finite(store.fbcDiff[k][n], kPoseFields) || !finite(store.noFbcErr[k][n], 2) ||
            !finite(store.fbcErr[k][n], 2)) {
            return false;
        }
    }
    return true;
}

}  // namespace agv
