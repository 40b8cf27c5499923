#include "sim/controller.h"

#include "sim/feedback.h"
#include "sim/model.h"
#include "sim/run_data.h"

namespace agv {

Corrections fnZetaCorrections(const Model& model, const MechanismRun& run, const MotionState&) {
    Corrections u;
    u.speed = speedCorrection(model.gains, run.errors);
    if (run.vehicleType == k2DW1C) {
        u.headingRate = headingRateCorrection(model.gains, run.errors);
    } else {
        u.steerRate = steerRateCorrection(model.gains, run.errors, run.vehicleType);
    }
    return u;
}

ControlLaw controlLawOf(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::kFnZeta:
        default:
            return fnZetaCorrections;
    }
}

const char* controllerName(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::kFnZeta:
            return "fnzeta";
        default:
            return nullptr;
    }
}

}  // namespace agv
