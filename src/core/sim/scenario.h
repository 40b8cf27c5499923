// What a user chooses for one computation, in the units the user types, and the one way
// from that choice into the model: checkScenario says whether it can run (writing nothing),
// applyScenario writes the settings, the derived values, the gains and the path.
#pragma once

#include "path/curve_params.h"
#include "sim/mechanism_error.h"
#include "sim/settings_check.h"

namespace agv {

struct Model;

struct Scenario {
    /// The mechanism error; kUnset only before the first choice (start-up).
    MechanismError error = MechanismError::kNone;
    /// Size of the error: percent, degrees for the steering drift; the second value only
    /// for errors 1 (right wheel) and 4 (Tread).
    double errorValue1 = 0.0, errorValue2 = 0.0;
    /// Curve number I of the path.
    int curveNumber = 1;
    /// The user's constants of all ten curves; their derived values are not read.
    CurveParams curve;
    /// Natural frequency of the feedback system [Hz].
    double fn = 1.0;
    /// Damping ratio of the feedback system.
    double zeta = 1.0;
};

/// The scenario of a fresh start: no error chosen yet (only the random slip holds a value,
/// 5 %), curve 1 with the start-up constants of all curves, fn = 1 Hz, ζ = 1.
Scenario startupScenario();

/// Sets the first `count` constants of curve I, in the dialogue's order; the rest keep
/// their values. Numbers beyond the curve's constants are ignored.
void setCurveConstants(Scenario& scenario, int curveNumber, const double* values, int count);
/// The constants of curve I in the dialogue's order (as many as the curve has).
void curveConstantsOf(const Scenario& scenario, int curveNumber, double* values);

/// The checks of each part of a scenario, in the dialogue's sections; each writes nothing.
Refusal checkScenarioError(const Model& model, const Scenario& scenario);
Refusal checkScenarioCurve(const Scenario& scenario);
Refusal checkScenarioDesign(const Model& model, const Scenario& scenario);
/// The path's length against what the trajectory store holds (after the curve check).
Refusal checkScenarioPath(const Model& model, const Scenario& scenario);

/// The first refusal of the scenario, in the dialogue's order: error values, curve
/// constants, feedback design, path length. Writes nothing.
Refusal checkScenario(const Model& model, const Scenario& scenario);

/// Writes the scenario into the model: the mechanism error as ratios and radians with the
/// erroneous WheelBase and Tread, the curve and its constants with the derived values, the
/// path set-up with its length and arc table, fn, ζ, ωn and the gains. The scenario is to
/// have passed checkScenario.
void applyScenario(Model& model, const Scenario& scenario);

}  // namespace agv
