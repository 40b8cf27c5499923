// A model prepared as the dialogue leaves it before a computation, its run data, and
// vehicles placed on the path.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/feedback.h"
#include "sim/model.h"
#include "sim/run_data.h"
#include "sim/scenario.h"

namespace simtest {

/// A model made through the front door: the test chooses a scenario, applyScenario writes
/// the model. Writing the model's settings directly is a fault of the test (the next apply
/// would undo it): it fails.
struct SimContext {
    agv::Scenario scenario;
    agv::Model model;
    agv::RunData data;

    /// The defaults of a fresh run with the given mechanism error (values in percent,
    /// degrees for the drift).
    explicit SimContext(agv::MechanismError error = agv::MechanismError::kNone, double value1 = 0.0,
                        double value2 = 0.0) {
        scenario.errors = agv::onlyError(error, value1, value2);
        apply();
    }

    /// Sets up curve I with the scenario's constants, the gains and the arc table.
    void prepare(int curveNumber) {
        scenario.curveNumber = curveNumber;
        apply();
    }

    /// Sets fn and ζ and redesigns the gains.
    void design(double fn, double zeta) {
        scenario.fn = fn;
        scenario.zeta = zeta;
        apply();
    }

    /// Writes the scenario into the model.
    void apply() {
        if (applied_ && std::memcmp(&settings_, &model.settings, sizeof settings_) != 0) {
            ADD_FAILURE() << "a test wrote the model's settings: choose them in the scenario";
        }
        agv::applyScenario(model, scenario);
        std::memcpy(&settings_, &model.settings, sizeof settings_);
        applied_ = true;
    }

    /// The run of the mechanism of the given type, with the settings' wheel errors.
    agv::MechanismRun& run(int vehicleType) {
        agv::MechanismRun& r = data.mechanism[vehicleType - 1];
        r.vehicleType = vehicleType;
        r.wheels = {model.settings.rearWheelErrL, model.settings.rearWheelErrR,
                    model.settings.frontWheelErr};
        return r;
    }

  private:
    agv::SimulationSettings settings_;
    bool applied_ = false;
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
