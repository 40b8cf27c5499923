// Arc length along the current curve and the mapping from arc length back to the parameter.
#pragma once

namespace agv {

struct AgvContext;

/// Splits a signed length into n whole steps of size h, each at least hmax long.
void splitInterval(double length, double hmax, double& h, int& n);
/// Arc length of curve I from p0 to p1 (negative when p1 < p0), composite Simpson.
double arcLength(const AgvContext& ctx, double p0, double p1, int curveNumber);
/// Prepares curve I, then its length sf and the reference point at its end.
void setupPath(AgvContext& ctx, int curveNumber);
/// Fills the (parameter, arc length) table of curve I.
void buildArcTable(AgvContext& ctx, int curveNumber);
/// Curve parameter at arc length s, searching forward from pGuess.
double paramAtArcLength(const AgvContext& ctx, double pGuess, double s, int curveNumber);

}  // namespace agv
