#include "sim/scenario.h"

#include <cmath>

#include "path/arc_length.h"
#include "path/curve_catalog.h"
#include "path/path_length.h"
#include "sim/feedback.h"
#include "sim/lqr_design.h"
#include "sim/model.h"
#include "sim/records_needed.h"
#include "sim/trajectory_store.h"

namespace agv {

namespace {

/// User percentages to stored ratios.
constexpr double kPercentToRatio = 0.01;
/// The curve constants as the model keeps them: the user's constants of every curve over
/// the start-up record, whose derived values the path set-up recomputes for the chosen one,
/// and the side the path turns to.
CurveParams curveOf(const Scenario& scenario) {
    CurveParams curve;
    for (const CurveInfo& info : kCurveCatalog) {
        for (int i = 0; i < info.constantCount; ++i) {
            const auto field = info.constants[i].field;
            curve.*field = scenario.curve.*field;
        }
    }
    curve.ySign = scenario.mirror ? -1.0 : 1.0;
    return curve;
}

void applyError(SimulationSettings& s, const ScenarioErrors& errors) {
    clearMechanismErrors(s);
    if (errors.unset) {
        // Nothing acts before the first choice; the slip shows its start-up value.
        s.errorNumber = MechanismError::kUnset;
        s.errorsGiven = 0;
        s.SLIP = SimulationSettings{}.SLIP;
        return;
    }
    s.errorNumber = namedError(errors);
    s.errorsGiven = errors.given;
    if (hasError(errors.given, MechanismError::kRearWheels)) {
        s.rearWheelErrL = errors.rearLeft * kPercentToRatio;
        s.rearWheelErrR = errors.rearRight * kPercentToRatio;
    }
    if (hasError(errors.given, MechanismError::kFrontWheel)) {
        s.frontWheelErr = errors.front * kPercentToRatio;
    }
    if (hasError(errors.given, MechanismError::kSteerDrift)) {
        s.steerDrift = errors.drift * kRadPerDeg;
    }
    if (hasError(errors.given, MechanismError::kWheelBaseTread)) {
        s.WBerr = errors.wheelBase * kPercentToRatio;
        s.TRerr = errors.tread * kPercentToRatio;
        s.treadActual = (1.0 + s.TRerr) * s.tread;
        s.wheelBaseActual = (1.0 + s.WBerr) * s.wheelBase;
    }
    if (hasError(errors.given, MechanismError::kSlip)) {
        s.SLIP = errors.slip * kPercentToRatio;
    }
}

/// Well-mixed start of the uniform generator for a seed, so that neighbouring seeds start
/// far apart in its sequence (a 32-bit finaliser of the MurmurHash3 family).
std::uint32_t generatorStateOf(std::uint32_t seed) {
    std::uint32_t h = seed;
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    h ^= h >> 16;
    return h;
}

}  // namespace

void giveError(ScenarioErrors& errors, MechanismError error, double value1, double value2) {
    switch (error) {
        case MechanismError::kRearWheels:
            errors.rearLeft = value1;
            errors.rearRight = value2;
            break;
        case MechanismError::kFrontWheel:
            errors.front = value1;
            break;
        case MechanismError::kSteerDrift:
            errors.drift = value1;
            break;
        case MechanismError::kWheelBaseTread:
            errors.wheelBase = value1;
            errors.tread = value2;
            break;
        case MechanismError::kSlip:
            errors.slip = value1;
            break;
        case MechanismError::kNone:
            return;
        default:
            errors.unset = true;
            return;
    }
    errors.given |= errorBit(error);
}

void errorValuesOf(const ScenarioErrors& errors, MechanismError error, double values[2]) {
    values[0] = values[1] = 0.0;
    switch (error) {
        case MechanismError::kRearWheels:
            values[0] = errors.rearLeft;
            values[1] = errors.rearRight;
            break;
        case MechanismError::kFrontWheel:
            values[0] = errors.front;
            break;
        case MechanismError::kSteerDrift:
            values[0] = errors.drift;
            break;
        case MechanismError::kWheelBaseTread:
            values[0] = errors.wheelBase;
            values[1] = errors.tread;
            break;
        case MechanismError::kSlip:
            values[0] = errors.slip;
            break;
        default:
            break;
    }
}

ScenarioErrors onlyError(MechanismError error, double value1, double value2) {
    ScenarioErrors errors;
    giveError(errors, error, value1, value2);
    return errors;
}

MechanismError namedError(const ScenarioErrors& errors) {
    return errors.unset ? MechanismError::kUnset : errorOfSet(errors.given);
}

Scenario startupScenario() {
    Scenario scenario;
    scenario.errors.unset = true;
    return scenario;
}

void setCurveConstants(Scenario& scenario, int curveNumber, const double* values, int count) {
    const CurveInfo* info = findCurveInfo(curveNumber);
    if (!info) return;
    for (int i = 0; i < info->constantCount && i < count; ++i)
        scenario.curve.*(info->constants[i].field) = values[i];
}

void curveConstantsOf(const Scenario& scenario, int curveNumber, double* values) {
    const CurveInfo* info = findCurveInfo(curveNumber);
    if (!info) return;
    for (int i = 0; i < info->constantCount; ++i)
        values[i] = scenario.curve.*(info->constants[i].field);
}

Refusal checkScenarioError(const Model& model, const Scenario& scenario) {
    if (scenario.errors.unset) return checkErrorChoice(model, MechanismError::kUnset, 0.0, 0.0);
    for (int n = 1; n <= kMaxErrorNumber; ++n) {
        const MechanismError error = mechanismErrorOf(n);
        if (!hasError(scenario.errors.given, error)) continue;
        double values[2];
        errorValuesOf(scenario.errors, error, values);
        const Refusal r = checkErrorChoice(model, error, values[0], values[1]);
        if (!r.accepted()) return r;
    }
    return Refusal{};
}

Refusal checkScenarioCurve(const Scenario& scenario) {
    return checkCurveConstants(scenario.curve, scenario.curveNumber);
}

Refusal checkScenarioDesign(const Model& model, const Scenario& scenario) {
    return checkFeedbackDesign(model, scenario.fn, scenario.zeta);
}

Refusal checkScenarioController(const Model& model, const Scenario& scenario) {
    return checkControllerParams(model, scenario.controller, scenario.controllerParams);
}

double scenarioPathLength(const Model& model, const Scenario& scenario) {
    SimulationSettings settings = model.settings;
    settings.curve = curveOf(scenario);
    return checkedPathLength(settings, scenario.curveNumber);
}

Refusal checkScenarioPath(const Model& model, const Scenario& scenario) {
    SimulationSettings settings = model.settings;
    settings.curve = curveOf(scenario);
    const int I = scenario.curveNumber;
    const double length = checkedPathLength(settings, I);
    const double limit = longestStoredPath(settings);
    Refusal r;
    r.curveNumber = I;
    r.field = ScenarioField::kPathLength;
    r.value = length;
    r.value2 = limit;
    // A length that is not a number cannot be run either.
    if (!std::isfinite(length)) {
        r.kind = RefusalKind::kNoPathLength;
        return r;
    }
    if (!(length <= limit)) {
        r.kind = RefusalKind::kPathTooLong;
        return r;
    }
    // A short path can still bend too often for the vehicles to drive it in the records of
    // the store: refused when even a lower bound of its records does not fit.
    const double atLeast = recordsAtLeast(settings, I, kMaxRecords);
    if (!(atLeast < kMaxRecords)) {
        r.kind = RefusalKind::kTooManyRecords;
        r.value = atLeast;
        r.value2 = kMaxRecords;
        return r;
    }
    return Refusal{};
}

Refusal checkScenario(const Model& model, const Scenario& scenario) {
    Refusal r = checkScenarioError(model, scenario);
    if (r.accepted()) r = checkScenarioCurve(scenario);
    if (r.accepted()) r = checkScenarioDesign(model, scenario);
    if (r.accepted()) r = checkScenarioController(model, scenario);
    if (r.accepted()) r = checkScenarioPath(model, scenario);
    return r;
}

void applySeed(Model& model, std::optional<std::uint32_t> seed) {
    model.settings.slipSeeded = seed.has_value();
    model.settings.slipGeneratorStart = seed ? generatorStateOf(*seed) : 0;
}

void applyScenario(Model& model, const Scenario& scenario) {
    SimulationSettings& s = model.settings;
    s.stepLength = s.Vw * s.dt;
    applyError(s, scenario.errors);
    applySeed(model, scenario.seed);
    s.controller = scenario.controller;
    s.correction = scenario.correction;
    s.controllerParams = scenario.controllerParams;
    model.controlLaw = controlLawOf(scenario.controller);

    s.curveNumber = scenario.curveNumber;
    s.curve = curveOf(scenario);
    // The tables of other curves would keep values of earlier choices: start from clean ones.
    PathTables& t = model.path;
    t.pathStartPose.fill({});
    t.pathEndParam.fill(0.0);
    t.pathEnd.fill({});
    t.pathEndReference.fill({});
    t.arcTable.entry.fill({});
    setupPath(model, s.curveNumber);
    buildArcTable(model, s.curveNumber);

    s.fn = scenario.fn;
    s.zeta = scenario.zeta;
    s.omegaN = kTwoPi * s.fn;
    designGains(model);
    // Designed on the nominal vehicle at Vw: after the settings above.
    model.lqr = LqrGains{};
    if (s.controller == ControllerKind::kLqr) designLqrGains(s, model.lqr);
}

}  // namespace agv
