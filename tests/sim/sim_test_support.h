// A model prepared as the dialogue leaves it before a computation, its run data, and
// vehicles placed on the path.
#pragma once

#include <cmath>

#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/feedback.h"
#include "sim/model.h"
#include "sim/run_data.h"

namespace simtest {

struct SimContext {
    agv::Model model;
    agv::RunData data;

    /// The defaults of a fresh run with the given mechanism error.
    explicit SimContext(agv::MechanismError error = agv::MechanismError::kNone) {
        model.settings.errorNumber = error;
        if (error != agv::MechanismError::kNone) model.settings.errorsGiven = agv::errorBit(error);
    }

    /// Sets up curve I with its current constants, the gains and the arc table.
    void prepare(int curveNumber) {
        model.settings.curveNumber = curveNumber;
        agv::setupPath(model, curveNumber);
        agv::designGains(model);
        agv::buildArcTable(model, curveNumber);
    }

    /// Sets fn and ζ and redesigns the gains.
    void design(double fn, double zeta) {
        model.settings.fn = fn;
        model.settings.zeta = zeta;
        model.settings.omegaN = agv::kTwoPi * fn;
        agv::designGains(model);
    }

    /// The run of the mechanism of the given type, with the settings' wheel errors.
    agv::MechanismRun& run(int vehicleType) {
        agv::MechanismRun& r = data.mechanism[vehicleType - 1];
        r.vehicleType = vehicleType;
        r.wheels = {model.settings.rearWheelErrL, model.settings.rearWheelErrR,
                    model.settings.frontWheelErr};
        return r;
    }
};

/// The reference point of curve I at parameter p, as a search would leave it.
inline agv::ReferencePoint referenceAt(const agv::Model& model, int curve, double p) {
    double pt[2];
    double d[3];
    agv::curvePoint(model, p, curve, pt);
    agv::curveTangent(model, p, curve, d);
    const double kappa = agv::curveCurvature(model, p, curve);
    return {agv::arcLength(model, 0.0, p, curve),    d[2],  pt[0], pt[1],
            std::atan(model.settings.tread * kappa), kappa, p};
}

/// All three vehicles at parameter p of curve I, heading along it and steering with it.
inline agv::MotionState stateOnPath(const agv::Model& model, int curve, double p) {
    const agv::ReferencePoint r = referenceAt(model, curve, p);
    agv::MotionState state;
    state.theory = state.noFbc = state.fbc = agv::Pose{r.s, r.theta, r.x, r.y, r.phi};
    state.kappa = r.kappa;
    state.p = p;
    return state;
}

}  // namespace simtest
