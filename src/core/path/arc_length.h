// Arc length along the current curve and the mapping from arc length back to the parameter.
#pragma once

#include <cmath>
#include <limits>

#include "path/curve_kernels.h"

namespace agv {

struct Model;

/// Parameter intervals shorter than this have no arc length.
inline constexpr double kMinArcInterval = 1e-8;
/// Lengths below this are not split at all (parameter units).
inline constexpr double kMinSplitLength = 0.0001;
/// Added to a length before it is divided into steps (parameter units).
inline constexpr double kSplitRoundUp = 0.0001;
/// Shortest Simpson panel (parameter units).
inline constexpr double kSimpsonPanel = 0.002;

/// Splits a signed length into n whole steps of size h, each at least hmax long.
inline void splitInterval(double length, double hmax, double& h, int& n) {
    const double size = std::fabs(length);
    if (size < kMinSplitLength) {
        h = 0.0;
        n = 0;
        return;
    }
    const double steps = std::trunc((size + kSplitRoundUp) / hmax);
    // A count that is not a number or does not fit an int (an infinite or absurdly long
    // interval) is limited, so that the conversion stays defined.
    if (!(steps == steps) || steps < 1.0) {
        n = 0;
    } else if (steps >= static_cast<double>(std::numeric_limits<int>::max())) {
        n = std::numeric_limits<int>::max();
    } else {
        n = static_cast<int>(steps);
    }
    if (n == 0) {
        h = length;
        n = 1;
    } else {
        h = length / n;
    }
}

/// Simpson panels for the signed parameter length of an interval: the half-step and the
/// number of panels; false when the interval has no arc length to sum (shorter than
/// kMinArcInterval, or not finite).
inline bool arcLengthPanels(double length, double& halfStep, int& panels) {
    if (std::fabs(length) < kMinArcInterval) return false;
    // An interval without finite ends has no finite length to sum panel by panel.
    if (!std::isfinite(length)) return false;
    double h = 0.0;
    int n = 0;
    splitInterval(length, kSimpsonPanel, h, n);
    if (n == 0) {
        h = length;
        n = 1;
    }
    halfStep = h / 2.0;
    panels = n;
    return true;
}

/// Arc length of curve I from p0 to p1 (negative when p1 < p0), composite Simpson.
double arcLength(const Model& model, double p0, double p1, int curveNumber);

/// arcLength for a curve number known when compiling, with the formulas inline.
template <int I>
double arcLengthOn(const CurveParams& c, double p0, double p1) {
    const double length = p1 - p0;
    double h = 0.0;
    int n = 0;
    if (!arcLengthPanels(length, h, n)) return std::isfinite(length) ? 0.0 : length;
    return kernels::simpsonAt<I>(c, p0, h, n);
}

/// paramAtArcLength of the circle arc (I = 15), which needs no table: s / R.
inline double circleParamAtArcLength(const CurveParams& c, double s) {
    // A circle of radius zero is a single point: parameter 0 for every s.
    const double R = c.circleR;
    return R != 0.0 ? s / R : 0.0;
}

/// Prepares curve I, then its length sf and the reference point at its end.
void setupPath(Model& model, int curveNumber);
/// Fills the (parameter, arc length) table of curve I.
void buildArcTable(Model& model, int curveNumber);
/// Curve parameter at arc length s, searching forward from pGuess. Adds the Simpson panels
/// it summed to *panels when given (the work of the inversion).
double paramAtArcLength(const Model& model, double pGuess, double s, int curveNumber,
                        long* panels = nullptr);

}  // namespace agv
