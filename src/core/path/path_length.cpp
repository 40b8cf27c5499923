#include "path/path_length.h"

#include "path/arc_length.h"
#include "path/curves.h"
#include "path/length_bound.h"
#include "sim/model.h"
#include "sim/trajectory_store.h"

namespace agv {

RunOutcome checkPathLength(Model& model, int curveNumber) {
    RunOutcome outcome;
    outcome.curveNumber = curveNumber;
    outcome.status = RunStatus::kPathTooLong;
    if (!isCurveNumber(curveNumber)) return outcome;
    const int I = curveNumber;
    // The trajectory store records one sample per stepLength of travel.
    const double smax = kMaxRecords * model.settings.stepLength;
    // A path far longer than the store gets a lower bound, not a sum that could run long.
    const double pEnd = model.path.pathEndParam[I];
    const double sf = pathLengthForCheck(model, I, pEnd, smax);
    model.path.pathEnd[I].sf = sf;
    outcome.length = sf;
    outcome.limit = smax;
    // A length that is not a number cannot be run either: refused like a long one.
    if (sf <= smax) outcome.status = RunStatus::kDone;
    return outcome;
}

}  // namespace agv
