#include "path/path_length.h"

#include <limits>
#include <memory>

#include "path/curves.h"
#include "path/length_bound.h"
#include "sim/model.h"
#include "sim/trajectory_store.h"

namespace agv {

double longestStoredPath(const SimulationSettings& settings) {
    // The trajectory store records one sample per stepLength of travel.
    return kMaxRecords * settings.stepLength;
}

double checkedPathLength(const SimulationSettings& settings, int curveNumber) {
    if (!isCurveNumber(curveNumber)) return std::numeric_limits<double>::quiet_NaN();
    // The curve's derived values and end are prepared on a model of its own.
    auto trial = std::make_unique<Model>();
    trial->settings = settings;
    prepareCurve(*trial, curveNumber);
    // A path far longer than the store gets a lower bound, not a sum that could run long.
    return pathLengthForCheck(*trial, curveNumber, trial->path.pathEndParam[curveNumber],
                              longestStoredPath(settings));
}

}  // namespace agv
