// Console selection of the path curve and its constants.
#pragma once

namespace agv {

struct AgvContext;
class Console;

/// Number of constants the dialogue asks for curve I (0 for an unknown curve number).
int curveConstantCount(int curveNumber);

/// Most constants the dialogue asks for one curve.
inline constexpr int kMaxCurveConstants = 3;

/// Stores the constants of curve I in the order the dialogue reads them.
void storeCurveConstants(AgvContext& ctx, int curveNumber, const double* values);

/// Copies the current constants of curve I, in the dialogue's order, into values.
void loadCurveConstants(const AgvContext& ctx, int curveNumber, double* values);

/// Tests the stored constants of curve I in the dialogue's order; at the first one that
/// is refused (negative, or making no path) prints its message to ctx.out and returns
/// false. When they pass, the cycloid's 2π/L is derived at once.
bool checkCurveConstants(AgvContext& ctx, int curveNumber);

/// Runs the menu and the constant prompts until a valid curve is read, then sets it up.
void selectPath(AgvContext& ctx, Console& console);

}  // namespace agv
