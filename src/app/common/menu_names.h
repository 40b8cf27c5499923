// What the programs' menus call the curves and the errors' values, beside the core's
// catalogues (which name them in short English only).
#pragma once

#include "sim/mechanism_error.h"

namespace agv {

/// The Japanese name of curve I in a menu of curves ("余弦関数 y=A*(1-cos(2πx/L))");
/// nullptr for a number that names no curve.
const char* curveMenuName(int curveNumber);

/// The symbol of an error's value k as the dialogue and the report write it ("WBerr");
/// nullptr beyond the error's values.
const char* errorValueSymbol(MechanismError error, int k);

}  // namespace agv
