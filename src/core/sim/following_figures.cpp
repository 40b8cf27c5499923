#include "sim/following_figures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/linear_theory.h"

namespace agv {

double rmsFbcDd(const TrajectoryStore& store, int k, int last) {
    double sumSquares = 0.0;
    for (int n = 0; n <= last; ++n) {
        const double dd = store.fbcErr[k][n][0];
        sumSquares = sumSquares + dd * dd;
    }
    return std::sqrt(sumSquares / (last + 1));
}

double recordTime(const TrajectoryStore& store, int k, int n, double dt) {
    return n == store.recordCount[k] ? store.endTime[k] : n * dt;
}

FollowingFigures followingFigures(const TrajectoryStore& store, int k, double dt) {
    FollowingFigures f;
    const int last = store.recordCount[k];
    const int count = last + 1;
    std::vector<double> t(static_cast<size_t>(count));
    std::vector<double> dd(static_cast<size_t>(count));
    for (int n = 0; n <= last; ++n) {
        t[static_cast<size_t>(n)] = recordTime(store, k, n, dt);
        dd[static_cast<size_t>(n)] = store.fbcErr[k][n][0];
        f.peakDd = std::fmax(f.peakDd, std::fabs(dd[static_cast<size_t>(n)]));
    }
    f.rmsDd = rmsFbcDd(store, k, last);
    // At least the last record; the share counts whole records from the end.
    const int first = std::min(last, static_cast<int>(std::floor((1.0 - kSteadyShare) * count)));
    double sum = 0.0;
    for (int n = first; n <= last; ++n)
        sum = sum + dd[static_cast<size_t>(n)];
    f.steadyDd = sum / (last - first + 1);
    f.settlingTime = settlingTime(t.data(), dd.data(), count, f.steadyDd, kSettlingBand * f.peakDd);
    f.correctionIntegral = store.correctionIntegral[k];
    return f;
}

}  // namespace agv
