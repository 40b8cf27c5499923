#include "sim/settings_check.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "path/curve_catalog.h"
#include "path/curves.h"
#include "sim/feedback.h"
#include "sim/lqr_design.h"
#include "sim/model.h"

namespace agv {

namespace {

/// User percentages to stored ratios.
constexpr double kPercentToRatio = 0.01;

Refusal refusal(RefusalKind kind, ScenarioField field, double value, double value2 = 0.0) {
    Refusal r;
    r.kind = kind;
    r.field = field;
    r.value = value;
    r.value2 = value2;
    return r;
}

bool gainsAreFinite(const FeedbackGains& g) {
    const double values[] = {g.omegaN2, g.twoZetaOmegaN, g.Kd1, g.Kth1, g.KI1, g.Kd2,
                             g.Kth2,    g.Kfi2,          g.Kd3, g.Kth3, g.Kfi3};
    return std::all_of(std::begin(values), std::end(values),
                       [](double v) { return std::isfinite(v); });
}

}  // namespace

Refusal checkErrorChoice(const Model& model, MechanismError error, double value1, double value2) {
    if (!mechanismErrorInfo(error)) {
        return refusal(RefusalKind::kNoSuchError, ScenarioField::kError, errorNumberOf(error));
    }
    const int valueCount = mechanismErrorInfo(error)->valueCount;
    const double values[2] = {value1, value2};
    for (int i = 0; i < valueCount; ++i) {
        if (!std::isfinite(values[i])) {
            Refusal r = refusal(RefusalKind::kErrorNotFinite,
                                i == 0 ? ScenarioField::kErrorValue1 : ScenarioField::kErrorValue2,
                                errorNumberOf(error), values[i]);
            r.error = error;
            return r;
        }
    }
    if (error != MechanismError::kWheelBaseTread) return Refusal{};
    const SimulationSettings& s = model.settings;
    // Both dimensions divide the heading rates of the erroneous vehicles.
    if ((1.0 + value1 * kPercentToRatio) * s.wheelBase == 0.0) {
        Refusal r = refusal(RefusalKind::kZeroWheelBase, ScenarioField::kErrorValue1, value1);
        r.error = error;
        return r;
    }
    if ((1.0 + value2 * kPercentToRatio) * s.tread == 0.0) {
        Refusal r = refusal(RefusalKind::kZeroTread, ScenarioField::kErrorValue2, value2);
        r.error = error;
        return r;
    }
    return Refusal{};
}

Refusal checkCurveConstants(const CurveParams& curve, int curveNumber) {
    Refusal r;
    r.curveNumber = curveNumber;
    const CurveInfo* info = findCurveInfo(curveNumber);
    if (!info) {
        r.kind = RefusalKind::kNoSuchCurve;
        r.field = ScenarioField::kCurve;
        return r;
    }
    for (int i = 0; i < info->constantCount; ++i) {
        const CurveConstant& constant = info->constants[i];
        const double value = curve.*(constant.field);
        r.name = constant.name;
        r.value = value;
        r.field = ScenarioField::kCurveConstant;
        r.constantIndex = i;
        if (value < 0.0) {
            r.kind = RefusalKind::kNegativeConstant;
            return r;
        }
        if (value == 0.0 && constant.zeroMakesNoPath) {
            r.kind = RefusalKind::kZeroConstant;
            return r;
        }
    }
    r.name = "";
    r.value = 0.0;
    r.field = ScenarioField::kNone;
    r.constantIndex = -1;
    if (!curveMakesPath(curve, curveNumber)) {
        r.kind = RefusalKind::kNoPath;
        r.field = ScenarioField::kCurveConstants;
    }
    return r;
}

Refusal checkFeedbackDesign(const Model& model, double fn, double zeta) {
    // Both divide in the gain design.
    if (fn == 0.0) return refusal(RefusalKind::kZeroFn, ScenarioField::kFn, fn);
    if (zeta == 0.0) return refusal(RefusalKind::kZeroZeta, ScenarioField::kZeta, zeta);
    // Extreme values overflow or underflow into gains that are no numbers: try the design.
    Model trial;
    trial.settings = model.settings;
    trial.settings.fn = fn;
    trial.settings.zeta = zeta;
    trial.settings.omegaN = kTwoPi * fn;
    designGains(trial);
    if (!gainsAreFinite(trial.gains)) {
        return refusal(RefusalKind::kNoGains, ScenarioField::kDesign, fn, zeta);
    }
    return Refusal{};
}

Refusal checkControllerParams(const Model& model, ControllerKind kind,
                              const ControllerParams& params) {
    if (!(params.lookahead > 0.0) || !std::isfinite(params.lookahead)) {
        return refusal(RefusalKind::kBadLookahead, ScenarioField::kLookahead, params.lookahead);
    }
    if (!(params.stanleyGain > 0.0) || !std::isfinite(params.stanleyGain)) {
        return refusal(RefusalKind::kBadStanleyGain, ScenarioField::kStanleyGain,
                       params.stanleyGain);
    }
    const double weights[] = {params.lqrOffset, params.lqrHeading, params.lqrThird,
                              params.lqrInput};
    constexpr int kWeightCount = 4;
    constexpr int kInputWeight = 3;
    for (int i = 0; i < kWeightCount; ++i) {
        // R divides the gains; a negative weight rewards an error.
        if (!(weights[i] >= 0.0) || !std::isfinite(weights[i]) ||
            (i == kInputWeight && weights[i] == 0.0)) {
            Refusal r = refusal(RefusalKind::kBadLqrWeight, ScenarioField::kLqrWeights, weights[i]);
            r.constantIndex = i;
            return r;
        }
    }
    if (kind == ControllerKind::kLqr) {
        SimulationSettings trial = model.settings;
        trial.controllerParams = params;
        LqrGains gains;
        if (!designLqrGains(trial, gains)) {
            return refusal(RefusalKind::kNoLqrGains, ScenarioField::kLqrWeights, params.lqrOffset,
                           params.lqrThird);
        }
    }
    return Refusal{};
}

}  // namespace agv
