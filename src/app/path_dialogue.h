// Console selection of the path curve and its constants.
#pragma once

#include "path/curve_catalog.h"

namespace agv {

struct AgvContext;
class Console;

/// Number of constants the dialogue asks for curve I (0 for an unknown curve number).
int curveConstantCount(int curveNumber);

/// Stores the constants of curve I in the order the dialogue reads them.
void storeCurveConstants(AgvContext& ctx, int curveNumber, const double* values);

/// Copies the current constants of curve I, in the dialogue's order, into values.
void loadCurveConstants(const AgvContext& ctx, int curveNumber, double* values);

/// Runs the menu and the constant prompts until a valid curve is read, then sets it up.
void selectPath(AgvContext& ctx, Console& console);

}  // namespace agv
