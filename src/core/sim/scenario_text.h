// A scenario as one line of text, the form every front end names a scenario by: in links,
// shard tables, file names and on command lines. Fields in a fixed order, separated by one
// space; a field at its default is left out; numbers in the shortest form that reads back
// to the same double:
//
//   rear-wheels=L,R front-wheel=P drift=DEG wheelbase-tread=WB,TR slip=P seed=N
//   curve=I[:C1,C2,C3] fn=F zeta=Z controller=NAME lookahead=M stanley-gain=K
//   lqr-weights=QD,QTH,QPHI,R mirror
//
// An error is written when it is given, even with values of 0 (error 5 with 0 % still draws
// its random sequence). The curve's constants are written, all of them in the dialogue's
// order, when any differs from its start-up value. The scenario with every default is the
// empty text. A law's parameters are written when they differ from their defaults,
// whichever law is chosen.
#pragma once

#include <string>

#include "sim/scenario.h"

namespace agv {

/// The canonical text of a scenario (the errors as given; an unset choice writes none).
std::string scenarioText(const Scenario& scenario);

/// Why a text is no scenario: the field at fault (its name as written, such as "drift")
/// and what is wrong with it.
struct ScenarioTextError {
    std::string field;
    std::string message;
};

/// Reads a scenario text into scenario, starting from the defaults (no error, curve 1 with
/// its start-up constants, fn = ζ = 1). Fields may come in any order, each at most once.
/// On a text that does not parse returns false with the field at fault; scenario is then
/// unspecified. Only the form is checked here: checkScenario judges the values.
bool parseScenarioText(const std::string& text, Scenario& scenario, ScenarioTextError& error);

/// The name a scenario text gives error number 1 to 5 ("rear-wheels"); nullptr for others.
const char* errorFieldName(MechanismError error);

/// The field of a scenario text that holds a law's parameters ("lookahead"); nullptr for
/// the fn/ζ law, which has none.
const char* lawParamsFieldName(ControllerKind kind);

/// Reads a seed: decimal digits only, 0 to 4294967295. False for anything else.
bool readSeed(const std::string& text, std::uint32_t& seed);

/// The shortest decimal form of value that reads back (strtod) to the same double, the
/// same on every platform ("%.{p}g" with the fewest digits p that read back); "inf",
/// "-inf" or "nan" for values that are not finite numbers.
std::string shortestDecimal(double value);

}  // namespace agv
