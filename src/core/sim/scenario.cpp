#include "sim/scenario.h"

#include <cmath>

#include "path/arc_length.h"
#include "path/curve_catalog.h"
#include "path/path_length.h"
#include "sim/feedback.h"
#include "sim/model.h"
#include "sim/records_needed.h"
#include "sim/trajectory_store.h"

namespace agv {

namespace {

/// User percentages to stored ratios.
constexpr double kPercentToRatio = 0.01;
/// A path is refused when its estimated records exceed the store's by this factor: the
/// estimate comes within a few records of the computed ones on whole paths.
constexpr double kRecordsMargin = 1.01;

/// The curve constants as the model keeps them: the user's constants of every curve over
/// the start-up record, whose derived values the path set-up recomputes for the chosen one.
CurveParams curveOf(const Scenario& scenario) {
    CurveParams curve;
    for (const CurveInfo& info : kCurveCatalog) {
        for (int i = 0; i < info.constantCount; ++i) {
            const auto field = info.constants[i].field;
            curve.*field = scenario.curve.*field;
        }
    }
    return curve;
}

void applyError(SimulationSettings& s, const Scenario& scenario) {
    s.errorNumber = scenario.error;
    clearMechanismErrors(s);
    const double value1 = scenario.errorValue1;
    const double value2 = scenario.errorValue2;
    switch (scenario.error) {
        case MechanismError::kUnset:
            // Only the random slip holds a value before the first choice.
            s.SLIP = SimulationSettings{}.SLIP;
            break;
        case MechanismError::kRearWheels:
            s.rearWheelErrL = value1 * kPercentToRatio;
            s.rearWheelErrR = value2 * kPercentToRatio;
            break;
        case MechanismError::kFrontWheel:
            s.frontWheelErr = value1 * kPercentToRatio;
            break;
        case MechanismError::kSteerDrift:
            s.steerDrift = value1 * kRadPerDeg;
            break;
        case MechanismError::kWheelBaseTread:
            s.WBerr = value1 * kPercentToRatio;
            s.TRerr = value2 * kPercentToRatio;
            s.treadActual = (1.0 + s.TRerr) * s.tread;
            s.wheelBaseActual = (1.0 + s.WBerr) * s.wheelBase;
            break;
        case MechanismError::kSlip:
            s.SLIP = value1 * kPercentToRatio;
            break;
        case MechanismError::kNone:
            break;
    }
}

}  // namespace

Scenario startupScenario() {
    Scenario scenario;
    scenario.error = MechanismError::kUnset;
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
    return checkErrorChoice(model, scenario.error, scenario.errorValue1, scenario.errorValue2);
}

Refusal checkScenarioCurve(const Scenario& scenario) {
    return checkCurveConstants(scenario.curve, scenario.curveNumber);
}

Refusal checkScenarioDesign(const Model& model, const Scenario& scenario) {
    return checkFeedbackDesign(model, scenario.fn, scenario.zeta);
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
    // the store: its computation would run for seconds and then run out of records.
    const double enough = kMaxRecords * kRecordsMargin;
    if (!(recordsNeeded(settings, I, enough) < enough)) {
        r.kind = RefusalKind::kTooManyRecords;
        r.value = enough;
        r.value2 = kMaxRecords;
        return r;
    }
    return Refusal{};
}

Refusal checkScenario(const Model& model, const Scenario& scenario) {
    Refusal r = checkScenarioError(model, scenario);
    if (r.accepted()) r = checkScenarioCurve(scenario);
    if (r.accepted()) r = checkScenarioDesign(model, scenario);
    if (r.accepted()) r = checkScenarioPath(model, scenario);
    return r;
}

void applyScenario(Model& model, const Scenario& scenario) {
    SimulationSettings& s = model.settings;
    s.stepLength = s.Vw * s.dt;
    applyError(s, scenario);

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
}

}  // namespace agv
