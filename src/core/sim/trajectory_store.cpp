#include "sim/trajectory_store.h"

#include <algorithm>
#include <cmath>

namespace agv {

namespace {

/// Applies f to each record array of type index k.
template <class F>
void forEachArray(TrajectoryStore& store, int k, F&& f) {
    for (auto* poses : {&store.theoryTraj[k], &store.noFbcTraj[k], &store.fbcTraj[k],
                        &store.fbcRefTraj[k], &store.noFbcDiff[k], &store.fbcDiff[k]}) {
        f(*poses);
    }
    f(store.noFbcErr[k]);
    f(store.fbcErr[k]);
}

}  // namespace

TrajectoryStore::TrajectoryStore() {
    for (int k = 0; k < 3; ++k)
        reserveRecords(*this, k, 0);
}

void reserveRecords(TrajectoryStore& store, int k, int n) {
    const size_t needed = static_cast<size_t>(n) + 1;
    if (store.theoryTraj[k].size() >= needed) return;
    // The vectors grow geometrically, so recording one record at a time stays linear.
    forEachArray(store, k, [&](auto& records) { records.resize(needed); });
}

void fitRecords(TrajectoryStore& store, int k) {
    const size_t kept =
        static_cast<size_t>(std::clamp(store.recordCount[k], 0, kMaxRecords - 1)) + 1;
    forEachArray(store, k, [&](auto& records) {
        records.resize(std::min(records.size(), kept));
        records.shrink_to_fit();
    });
}

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
