// The analytic path curves: y = f(x) for I = 1..4, polar r = f(β) for I = 11..16, and the
// square with rounded corners (I = 21) over its arc length.
#pragma once

#include "path/curve_kernels.h"

namespace agv {

struct Model;
struct CurveParams;

/// True for the valid curve numbers (1-4, 11-16, 21).
bool isCurveNumber(int curveNumber);

/// True when the constants of curve I give a usable path (no division by zero,
/// r not identically zero). Negative constants are judged by the dialogue, not here.
bool curveMakesPath(const CurveParams& params, int curveNumber);

/// Fills pt = (x, y); returns y (I = 1..4, 21) or r (I = 11..16).
double curvePoint(const Model& model, double p, int curveNumber, double pt[2]);
/// Fills d = (dx/dp, dy/dp, tangent angle); returns dy/dx, dr/dβ or (I = 21) dy/ds.
double curveTangent(const Model& model, double p, int curveNumber, double d[3]);
/// Fills dd = (d²x/dp², d²y/dp²); returns d²y/dx², d²r/dβ² or (I = 21) d²y/ds².
double curveSecondDerivative(const Model& model, double p, int curveNumber, double dd[2]);
/// Signed curvature [1/m], positive turning left.
double curveCurvature(const Model& model, double p, int curveNumber);
/// ds/dp at p.
double curveSpeed(const Model& model, double p, int curveNumber);
/// dκ/ds [1/m²] at p.
double curvatureRate(const Model& model, double p, int curveNumber);

/// The point of curvePoint (pt, same values) and, from the same evaluation, the tangent
/// vector slope = (dX/dp, dY/dp). Returns what curvePoint returns.
double curvePointSlope(const Model& model, double p, int curveNumber, double pt[2],
                       double slope[2]);
/// The tangent angle of curveTangent and the curvature of curveCurvature at p (same
/// values), from one evaluation of the curve.
void curveHeadingCurvature(const Model& model, double p, int curveNumber, double& theta,
                           double& kappa);

using kernels::CurveBounds;

/// Upper bounds of the curve's derivatives for parameters between p0 and p1 (either order),
/// each generous by a small factor; infinite where none is known.
CurveBounds curveDerivativeBounds(const Model& model, double p0, double p1, int curveNumber);

/// Composite Simpson integral of ds/dp over `panels` panels of two half-steps `halfStep`
/// each, starting at p0: the arc length from p0 to p0 + 2·panels·halfStep.
double speedIntegral(const Model& model, double p0, double halfStep, int panels, int curveNumber);

/// Recomputes curve I's derived constants and fills its start pose, end parameter
/// and end pose (not the length).
void prepareCurve(Model& model, int curveNumber);

}  // namespace agv
