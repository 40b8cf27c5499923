// The rules a user's settings must meet before anything is computed: constants that
// make a path, mechanism errors that leave the vehicle its dimensions, a feedback design
// with finite gains. Each check returns what it refused, for the front ends to put in
// words. A Scenario is checked by these (sim/scenario.h).
#pragma once

#include "sim/controller.h"
#include "sim/mechanism_error.h"

namespace agv {

struct Model;
struct CurveParams;

enum class RefusalKind {
    kNone,              ///< accepted
    kNegativeConstant,  ///< a curve constant below zero (name, value)
    kZeroConstant,      ///< a curve constant of zero that makes no path (name, value)
    kNoPath,            ///< constants that pass one by one but make no path together
    kZeroWheelBase,     ///< a WheelBase error of -100 % (value: the error in percent)
    kZeroTread,         ///< a Tread error of -100 % (value: the error in percent)
    kZeroFn,            ///< fn = 0 (value)
    kZeroZeta,          ///< ζ = 0 (value)
    kNoGains,           ///< fn and ζ whose gains are not finite numbers (value, value2)
    kNoSuchError,       ///< an error number that is not 0 to 5
    kErrorNotFinite,    ///< an error value that is no finite number (value: the error's number)
    kNoSuchCurve,       ///< a curve number that names no curve (curveNumber)
    kPathTooLong,       ///< longer than the store holds (value: length, value2: limit [m])
    kNoPathLength,      ///< a path whose length cannot be computed (curveNumber)
    kTooManyRecords,    ///< a path too sharply bent to drive within the store (value2: records)
    kBadLookahead,      ///< a look-ahead distance that is not a positive number (value)
    kBadStanleyGain,    ///< a Stanley gain that is not a positive number (value)
    kBadLqrWeight,      ///< an LQR weight that is negative or no number, or R = 0 (value,
                        ///< constantIndex: 0 Qd, 1 Qθ, 2 Qq, 3 R)
    kNoLqrGains,        ///< LQR weights whose Riccati equation has no stabilising solution
};

/// The part of a scenario a refusal concerns.
enum class ScenarioField {
    kNone,
    kError,           ///< the error number
    kErrorValue1,     ///< the first error value
    kErrorValue2,     ///< the second error value
    kCurve,           ///< the curve number
    kCurveConstant,   ///< one curve constant (constantIndex)
    kCurveConstants,  ///< the curve's constants together
    kFn,
    kZeta,
    kDesign,       ///< fn and ζ together
    kPathLength,   ///< the path as a whole
    kLookahead,    ///< pure pursuit's look-ahead distance
    kStanleyGain,  ///< the Stanley law's gain
    kLqrWeights,   ///< the LQR weights
};

struct Refusal {
    RefusalKind kind = RefusalKind::kNone;
    /// The constant's letter ("A", "L", ...) for the curve constant refusals.
    const char* name = "";
    double value = 0.0, value2 = 0.0;
    int curveNumber = 0;
    /// What the refusal concerns; for one curve constant its index in the dialogue's order.
    ScenarioField field = ScenarioField::kNone;
    int constantIndex = -1;
    /// The mechanism error an error value refusal concerns.
    MechanismError error = MechanismError::kNone;

    bool accepted() const { return kind == RefusalKind::kNone; }
};

/// Error values in the user's units (percent; degrees for the drift).
Refusal checkErrorChoice(const Model& model, MechanismError error, double value1, double value2);
/// The constants of curve I, in the dialogue's order.
Refusal checkCurveConstants(const CurveParams& curve, int curveNumber);
/// fn [Hz] and ζ for the gain design.
Refusal checkFeedbackDesign(const Model& model, double fn, double zeta);
/// The laws' parameters, each whichever law is chosen; the Riccati equation of the weights
/// when the LQR law is.
Refusal checkControllerParams(const Model& model, ControllerKind kind,
                              const ControllerParams& params);

}  // namespace agv
