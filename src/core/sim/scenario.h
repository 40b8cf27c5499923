// What a user chooses for one computation, in the units the user types, and the one way
// from that choice into the model: checkScenario says whether it can run (writing nothing),
// applyScenario writes the settings, the derived values, the gains and the path.
#pragma once

#include <cstdint>
#include <optional>

#include "path/curve_params.h"
#include "sim/controller.h"
#include "sim/mechanism_error.h"
#include "sim/odometry_correction.h"
#include "sim/settings_check.h"

namespace agv {

struct Model;

/// The mechanism errors of a scenario in the units the user types. Any combination may be
/// given; each acts on the motion on its own, the slip (a random sequence) only when given.
struct ScenarioErrors {
    /// The errors given (bit n: error number n); none given: no error.
    ErrorMask given = 0;
    /// True before the first choice (start-up) and after an error number that names no
    /// error: nothing is chosen, and checkScenario refuses the scenario.
    bool unset = false;
    /// Radius errors of the left and right rear wheels [%].
    double rearLeft = 0.0, rearRight = 0.0;
    /// Radius error of the front wheel [%].
    double front = 0.0;
    /// Steering angle drift [°].
    double drift = 0.0;
    /// WheelBase and Tread errors [%].
    double wheelBase = 0.0, tread = 0.0;
    /// Random slip of the drive wheel [%].
    double slip = 0.0;
};

/// Gives the error of number 1 to 5 its values (the second only for errors 1 and 4: the
/// right wheel, the Tread); error 0 adds none, and a number that names no error leaves the
/// errors unset.
void giveError(ScenarioErrors& errors, MechanismError error, double value1, double value2 = 0.0);
/// The values of an error in the order giveError takes them (0 where it has none).
void errorValuesOf(const ScenarioErrors& errors, MechanismError error, double values[2]);
/// The errors of the dialogue's choice: the one error with its values, every other cleared.
ScenarioErrors onlyError(MechanismError error, double value1, double value2 = 0.0);
/// The error the scenario's report names: none, the one given, several combined, or unset.
MechanismError namedError(const ScenarioErrors& errors);

struct Scenario {
    /// The mechanism errors.
    ScenarioErrors errors;
    /// Curve number I of the path.
    int curveNumber = 1;
    /// The user's constants of all ten curves; their derived values are not read.
    CurveParams curve;
    /// Natural frequency of the feedback system [Hz].
    double fn = 1.0;
    /// Damping ratio of the feedback system.
    double zeta = 1.0;
    /// Where the slip's random sequence starts; none: where the generator stands (a fresh
    /// program's own sequence).
    std::optional<std::uint32_t> seed;
    /// The path reflected about the x axis: closed curves are driven clockwise.
    bool mirror = false;
    /// The feedback law of the FBC vehicles.
    ControllerKind controller = ControllerKind::kFnZeta;
    /// Calibration of the 2DW1C's rear wheel commands; set by the square-path benchmark,
    /// not part of the scenario text.
    OdometryCorrection correction;
    /// The parameters of the laws other than fn/ζ.
    ControllerParams controllerParams;
};

/// The scenario of a fresh start: no error chosen yet (the model's random slip keeps its
/// start-up 5 %), curve 1 with the start-up constants of all curves, fn = 1 Hz, ζ = 1.
Scenario startupScenario();

/// Sets the first `count` constants of curve I, in the dialogue's order; the rest keep
/// their values. Numbers beyond the curve's constants are ignored.
void setCurveConstants(Scenario& scenario, int curveNumber, const double* values, int count);
/// The constants of curve I in the dialogue's order (as many as the curve has).
void curveConstantsOf(const Scenario& scenario, int curveNumber, double* values);

/// The checks of each part of a scenario, in the dialogue's sections; each writes nothing.
/// The errors are checked in the order of their numbers.
Refusal checkScenarioError(const Model& model, const Scenario& scenario);
Refusal checkScenarioCurve(const Scenario& scenario);
Refusal checkScenarioDesign(const Model& model, const Scenario& scenario);
/// The laws' parameters (each refused when it makes no sense, whichever law is chosen) and,
/// for the LQR law, that its Riccati equation has a stabilising solution.
Refusal checkScenarioController(const Model& model, const Scenario& scenario);
/// The length of the scenario's path [m] as the path check finds it (after the curve check):
/// NaN for no curve, at most a lower bound beyond what the store holds.
double scenarioPathLength(const Model& model, const Scenario& scenario);
/// The path's length against what the trajectory store holds (after the curve check).
Refusal checkScenarioPath(const Model& model, const Scenario& scenario);

/// The first refusal of the scenario, in the dialogue's order: error values, curve
/// constants, feedback design, the laws' parameters, path length. Writes nothing.
Refusal checkScenario(const Model& model, const Scenario& scenario);

/// Writes the scenario into the model: the mechanism errors as ratios and radians with the
/// erroneous WheelBase and Tread, the slip's seed, the feedback law, the curve and its constants
/// with the derived values, the path set-up with its length and arc table, fn, ζ, ωn and the gains.
/// The scenario is to have passed checkScenario.
void applyScenario(Model& model, const Scenario& scenario);
/// Writes only the slip's seed of a scenario, as applyScenario does: runs that differ in
/// nothing else keep the path set-up, arc table and gains.
void applySeed(Model& model, std::optional<std::uint32_t> seed);

}  // namespace agv
