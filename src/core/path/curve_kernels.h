// Formulas of the path curves as templates over the curve number, so that a caller
// that knows the curve can run them inline. Every formula exists here once; the routines
// of path/curves.h dispatch to these.
#pragma once

#include <cmath>
#include <limits>
#include <type_traits>

#include "path/curve_params.h"

namespace agv {
namespace kernels {

/// The circle arc (I = 15) has the same speed ds/dβ, curvature and curvature rate at every
/// β: they are functions of its radius alone.
constexpr int kUniformCurve = 15;

/// The square with rounded corners (I = 21) is parametrised by its arc length.
constexpr int kSquareCurve = 21;

/// Below this |r² + r'²| [m²] the curve passes the origin with r' = 0 as well.
constexpr double kOriginQ = 1e-8;
/// Parameter offset [rad] at which the curvature is taken instead at such a point.
constexpr double kOriginOffset = 0.001;
/// Limit [1/m] of a large positive curvature found at such a point.
constexpr double kCurvatureLimit = 50.0;
/// Rose n at and above which n is taken as a whole number of petals.
constexpr double kRoseWholeLimit = 0.99;
/// Margin [rad] of the pass counting along the rose.
constexpr double kRosePassMargin = 1e-5;

/// Passes of the rose through the origin behind a point: the largest i in 1..wholeN
/// with lead >= (2i - 1)·π (lead > (2i - 1)·π when strict), 0 when there is none.
/// The condition holds for a leading run of i only, so the count is estimated and
/// then settled by the exact comparisons, instead of testing every petal.
inline int rosePasses(double lead, int wholeN, bool strict) {
    auto holds = [&](long long i) {
        const double bound = (2.0 * static_cast<double>(i) - 1.0) * kPi;
        return strict ? lead > bound : lead >= bound;
    };
    if (wholeN < 1 || !holds(1)) return 0;
    const double estimate = std::floor((lead / kPi + 1.0) / 2.0);
    long long m = 1;
    if (estimate >= static_cast<double>(wholeN)) {
        m = wholeN;
    } else if (estimate > 1.0) {
        m = static_cast<long long>(estimate);
    }
    while (m < wholeN && holds(m + 1))
        ++m;
    while (m > 1 && !holds(m))
        --m;
    return static_cast<int>(m);
}

/// y, y' and y'' of a graph curve (I = 1..4) at x.
struct Graph {
    double y, y1, y2;
};

/// r, r' and r'' of a polar curve (I = 11..16) at β.
struct Radial {
    double r, r1, r2;
};

// Each formula exists once, as a template over the curve number, so that the
// integrator can run a loop with the speed of one curve inlined. Only the
// derivatives asked for are computed.

/// Point, unit tangent, tangent angle and curvature of the square with rounded corners.
struct SquarePoint {
    double x, y, tx, ty, theta, kappa;
};

/// The square of side L with corners of radius r at arc length p, driven counter-clockwise
/// from the middle of its right side (docs/calibration.md, "The square path"). Each quarter
/// is a straight piece of 2h (h = L/2 - r) and a quarter circle; the quarters are the
/// first one turned by whole quarter turns, which are exact in floating point. Beyond the
/// path's ends the square repeats, its heading going on turning.
inline SquarePoint squareAt(const CurveParams& c, double p) {
    const double h = c.squareHalfStraight;
    const double r = c.squareR;
    const double Q = c.squareQuarter;
    // Arc length from the start of the first straight piece, h below the start point.
    const double u = p + h;
    const double quarters = std::floor(u / Q);
    double v = u - quarters * Q;
    if (v < 0.0) v = 0.0;
    if (v > Q) v = Q;
    SquarePoint q{};
    const double straight = 2.0 * h;
    if (v <= straight) {
        q.x = h + r;
        q.y = -h + v;
        q.tx = 0.0;
        q.ty = 1.0;
        q.theta = kHalfPi;
        q.kappa = 0.0;
    } else {
        const double phi = (v - straight) / r;
        const double cp = std::cos(phi);
        const double sp = std::sin(phi);
        q.x = h + r * cp;
        q.y = h + r * sp;
        q.tx = -sp;
        q.ty = cp;
        q.theta = kHalfPi + phi;
        q.kappa = 1.0 / r;
    }
    // Turn by the whole quarters: (x, y) -> (-y, x) once per quarter.
    double turns = std::fmod(quarters, 4.0);
    if (turns < 0.0) turns += 4.0;
    const int n = std::isfinite(turns) ? static_cast<int>(turns) : 0;
    for (int i = 0; i < n; ++i) {
        const double x = q.x;
        const double tx = q.tx;
        q.x = -q.y;
        q.y = x;
        q.tx = -q.ty;
        q.ty = tx;
    }
    q.theta = q.theta + quarters * kHalfPi;
    return q;
}

template <int I, bool kWantSecond>
inline Graph graphAt(const CurveParams& c, double x) {
    Graph g{0.0, 0.0, 0.0};
    if constexpr (I == 1) {
        const double k = c.cosineK;
        const double A = c.cosineA;
        g.y = A * (1.0 - std::cos(k * x));
        g.y1 = A * k * std::sin(k * x);
        if constexpr (kWantSecond) g.y2 = A * (k * k) * std::cos(k * x);
    } else if constexpr (I == 2) {
        const double k = c.cycloidK;
        const double A = c.cycloidA;
        const double L = c.cycloidL;
        g.y = A * (x / L - std::sin(k * x) / kTwoPi);
        g.y1 = (A / L) * (1.0 - std::cos(k * x));
        if constexpr (kWantSecond) g.y2 = (A * k / L) * std::sin(k * x);
    } else if constexpr (I == 3) {
        const double A = c.quadraticA;
        const double L = c.quadraticL;
        const double q = x / L;
        g.y = A * (q * q);
        g.y1 = (2.0 * A / L) * q;
        if constexpr (kWantSecond) g.y2 = 2.0 * A / (L * L);
    } else if constexpr (I == 4) {
        const double A = c.cubicA;
        const double L = c.cubicL;
        const double q = x / L;
        g.y = A * (q * q * q);
        g.y1 = (3.0 * A / L) * (q * q);
        if constexpr (kWantSecond) g.y2 = (6.0 * A / (L * L)) * q;
    }
    return g;
}

template <int I, bool kWantSecond>
inline Radial radialAt(const CurveParams& c, double b) {
    Radial q{0.0, 0.0, 0.0};
    if constexpr (I == 11) {
        const double sb = std::sin(b);
        const double cb = std::cos(b);
        const double D = c.ellipseASquared * (sb * sb) + c.ellipseBSquared * (cb * cb);
        const double rootD = std::sqrt(D);
        q.r = c.ellipseAB / rootD;
        q.r1 = -c.ellipseAB * c.ellipseSqDiff * cb * sb / (D * rootD);
        if constexpr (kWantSecond) {
            q.r2 = (c.ellipseAB * c.ellipseSqDiff / (D * rootD)) *
                   ((sb * sb - cb * cb) + 3.0 * c.ellipseSqDiff * (cb * cb) * (sb * sb) / D);
        }
    } else if constexpr (I == 12) {
        q.r = c.spiralRate * b;
        q.r1 = c.spiralRate;
    } else if constexpr (I == 13) {
        q.r = c.cardioidA * (c.cardioidB - std::cos(b));
        q.r1 = c.cardioidA * std::sin(b);
        if constexpr (kWantSecond) q.r2 = c.cardioidA * std::cos(b);
    } else if constexpr (I == 14) {
        const double n = c.roseN;
        q.r = c.roseA * std::sin(n * b);
        q.r1 = c.roseA * n * std::cos(n * b);
        if constexpr (kWantSecond) q.r2 = -(n * n) * q.r;
    } else if constexpr (I == 15) {
        q.r = c.circleR;
    } else if constexpr (I == 16) {
        const double n = c.wavyN;
        q.r = c.wavyR + c.wavyA * std::cos(n * b);
        q.r1 = -c.wavyA * n * std::sin(n * b);
        if constexpr (kWantSecond) q.r2 = -c.wavyA * (n * n) * std::cos(n * b);
    }
    return q;
}

template <int I>
inline double speedAt(const CurveParams& c, double p) {
    if constexpr (I == 1) {
        // A flat cosine (A = 0) has y' = (A·k)·sin(k·x) = ±0 wherever k·x is finite (k is
        // then finite too): the speed is exactly 1 without the sine.
        if (c.cosineA == 0.0 && std::isfinite(c.cosineK * p)) return 1.0;
    }
    if constexpr (I == kSquareCurve) {
        return 1.0;
    } else if constexpr (I <= 4) {
        const double y1 = graphAt<I, false>(c, p).y1;
        return std::sqrt(1.0 + y1 * y1);
    } else {
        const Radial q = radialAt<I, false>(c, p);
        return std::sqrt(q.r * q.r + q.r1 * q.r1);
    }
}

/// κ of a polar curve from r, r', r''; the caller handles the point at the origin.
inline void polarCurvatureTerms(const Radial& q, double& Q, double& N) {
    Q = q.r * q.r + q.r1 * q.r1;
    N = q.r * q.r + 2.0 * (q.r1 * q.r1) - q.r * q.r2;
}

/// κ of a graph curve from y', y''.
inline double graphCurvature(const Graph& g) {
    const double w = 1.0 + g.y1 * g.y1;
    return g.y2 / (w * std::sqrt(w));
}

/// κ of polar curve I at β from r, r', r'' at β.
template <int I>
inline double polarCurvature(const CurveParams& c, double b, const Radial& q) {
    double Q = 0.0;
    double N = 0.0;
    polarCurvatureTerms(q, Q, N);
    if (std::fabs(Q) > kOriginQ) return N / (Q * std::sqrt(Q));
    // r and r' both vanish (a cusp at the origin): take the curvature just after it.
    polarCurvatureTerms(radialAt<I, true>(c, b + kOriginOffset), Q, N);
    double kappa = N / (Q * std::sqrt(Q));
    if (kappa > kCurvatureLimit) kappa = kCurvatureLimit * N / std::fabs(N);
    return kappa;
}

template <int I>
inline double curvatureAt(const CurveParams& c, double p) {
    if constexpr (I == kSquareCurve) {
        return c.ySign * squareAt(c, p).kappa;
    } else if constexpr (I <= 4) {
        return c.ySign * graphCurvature(graphAt<I, true>(c, p));
    } else {
        return c.ySign * polarCurvature<I>(c, p, radialAt<I, true>(c, p));
    }
}

/// r + step + step + ... (count additions, one after another), to the same bits as the
/// loop: within one binade of r (unit u) each addition adds round_u(step), so runs that keep
/// r in its binade are added at once as a whole number of units (the argument of
/// path/blocked_sum.h); a step halfway between two units, an r that is zero, not a normal
/// number or not finite, and the addition that leaves the binade are made one by one.
inline double addRepeatedly(double r, double step, long count) {
    // A short run is quicker added one by one.
    constexpr long kShortRun = 32;
    if (count <= kShortRun) {
        for (long k = 0; k < count; ++k)
            r = r + step;
        return r;
    }
    while (count > 0) {
        const double size = std::fabs(r);
        if (size >= std::numeric_limits<double>::min() &&
            size <= std::numeric_limits<double>::max() && std::isfinite(step)) {
            // Rounding to nearest is symmetric: work on r > 0.
            const double sign = r < 0.0 ? -1.0 : 1.0;
            int exponent = 0;
            std::frexp(size, &exponent);
            const double unit = std::ldexp(1.0, exponent - std::numeric_limits<double>::digits);
            const double units = sign * step / unit;
            if (!(units - std::floor(units) == 0.5)) {
                const double each = std::nearbyint(units);
                // Room within the binade, a unit clear of either end, in units.
                const double room = each > 0.0
                                        ? (std::ldexp(1.0, exponent) - size) / unit - 1.0
                                        : (size - std::ldexp(1.0, exponent - 1)) / unit - 1.0;
                const double whole =
                    each != 0.0 ? std::floor(room / std::fabs(each)) : static_cast<double>(count);
                const long run =
                    whole < static_cast<double>(count) ? static_cast<long>(whole) : count;
                if (run > 0) {
                    r = sign * (size + static_cast<double>(run) * each * unit);
                    count -= run;
                    if (count == 0) break;
                }
            }
        }
        r = r + step;
        --count;
    }
    return r;
}

/// The sum of `panels` panels sum = sum + f + 4f + f of one value f ≥ 0, to the same bits
/// as the loop. Within one binade of the sum (unit u) each addition of x adds round_u(x),
/// the same for every panel, so whole runs of panels that keep the sum in its binade are
/// added at once as a whole number of units (the argument of path/blocked_sum.h); a value
/// halfway between two units, a sum that is not yet a normal number and the panel that
/// crosses into the next binade are added as the loop adds them.
inline double uniformPanelSum(double f, int panels) {
    double sum = 0.0;
    const double f4 = 4.0 * f;
    int i = 0;
    while (i < panels) {
        if (sum >= std::numeric_limits<double>::min() && f >= 0.0 &&
            sum < std::numeric_limits<double>::max()) {
            int exponent = 0;
            std::frexp(sum, &exponent);
            const double unit = std::ldexp(1.0, exponent - std::numeric_limits<double>::digits);
            const double top = std::ldexp(1.0, exponent);
            const double a = f / unit;
            const double b = f4 / unit;
            const bool tie = a - std::floor(a) == 0.5 || b - std::floor(b) == 0.5;
            const double perPanel = 2.0 * std::nearbyint(a) + std::nearbyint(b);
            // Room to the last unit below the next binade, in units.
            const double room = (top - sum) / unit - 1.0;
            if (!tie && perPanel <= room) {
                const double whole =
                    perPanel > 0.0 ? std::floor(room / perPanel) : static_cast<double>(panels);
                const int run =
                    whole < static_cast<double>(panels - i) ? static_cast<int>(whole) : panels - i;
                sum = sum + run * perPanel * unit;
                i += run;
                if (i >= panels) break;
            }
        }
        sum = sum + f + f4 + f;
        ++i;
    }
    return sum;
}

template <int I>
inline double simpsonAt(const CurveParams& c, double p0, double h, int panels) {
    double sum = 0.0;
    if constexpr (I == kUniformCurve) {
        // The same speed everywhere, summed with the same weights in the same order.
        const double f = speedAt<I>(c, p0);
        return uniformPanelSum(f, panels) * h / 3.0;
    }
    // The end of one panel is the start of the next: evaluated once, same argument.
    double q = p0;
    double fa = speedAt<I>(c, q);
    for (int i = 0; i < panels; ++i) {
        const double fm = speedAt<I>(c, q + h);
        const double fb = speedAt<I>(c, q + 2.0 * h);
        sum = sum + fa + 4.0 * fm + fb;
        q = q + 2.0 * h;
        fa = fb;
    }
    return sum * h / 3.0;
}

/// Angle ψ from the radius to the tangent of polar curve I at β.
inline double radiusToTangent(const CurveParams& c, double b, int I, const Radial& q) {
    if (I == 15) return kHalfPi;
    double psi = std::atan2(q.r, q.r1);
    if (I == 14) {
        // Each pass through the origin behind β adds a turn, so the angle stays
        // continuous. A rose n of exactly 0.99 counts as a whole n here, as in the
        // preparation.
        int m = 0;
        if (c.roseN >= kRoseWholeLimit) {
            const double lead = static_cast<double>(c.roseWholeN) * b - kRosePassMargin;
            m = rosePasses(lead, c.roseWholeN, false);
        }
        if (c.roseN < 1.0 && b - kRosePassMargin > kPi / c.roseN) m = 1;
        return psi + kTwoPi * m;
    }
    if (psi < 0.0) psi += kTwoPi;
    return psi;
}

/// Half-step of the central difference of the curvature rate (parameter units).
constexpr double kRateHalfStep = 0.00005;
/// Full step of that difference.
constexpr double kRateStep = 0.0001;

/// dκ/ds of curve I at p: the central difference of κ in the parameter, per metre.
template <int I>
inline double curvatureRateAt(const CurveParams& c, double p) {
    const double ahead = curvatureAt<I>(c, p + kRateHalfStep);
    const double behind = curvatureAt<I>(c, p - kRateHalfStep);
    const double speed = speedAt<I>(c, p);
    // Where the parameter does not move the point there is no rate per metre.
    if (speed == 0.0) return 0.0;
    return (ahead - behind) / kRateStep / speed;
}

/// Curvature and curvature rate of the circle arc, from its radius.
inline double uniformCurvature(const CurveParams& c) {
    return curvatureAt<kUniformCurve>(c, 0.0);
}
inline double uniformCurvatureRate(const CurveParams& c) {
    return curvatureRateAt<kUniformCurve>(c, 0.0);
}

/// The point of curve I at p: (p, y) or r·(cos β, sin β).
template <int I>
inline void pointAt(const CurveParams& c, double p, double& X, double& Y) {
    if constexpr (I == kSquareCurve) {
        const SquarePoint q = squareAt(c, p);
        X = q.x;
        Y = c.ySign * q.y;
    } else if constexpr (I <= 4) {
        X = p;
        Y = c.ySign * graphAt<I, false>(c, p).y;
    } else {
        const double r = radialAt<I, false>(c, p).r;
        const double cb = std::cos(p);
        const double sb = std::sin(p);
        X = r * cb;
        Y = c.ySign * (r * sb);
    }
}

/// The point of curve I at p and its tangent vector (dX/dp, dY/dp).
template <int I>
inline void pointSlopeAt(const CurveParams& c, double p, double pt[2], double slope[2]) {
    if constexpr (I == kSquareCurve) {
        const SquarePoint q = squareAt(c, p);
        pt[0] = q.x;
        pt[1] = c.ySign * q.y;
        slope[0] = q.tx;
        slope[1] = c.ySign * q.ty;
    } else if constexpr (I <= 4) {
        const Graph g = graphAt<I, false>(c, p);
        pt[0] = p;
        pt[1] = c.ySign * g.y;
        slope[0] = 1.0;
        slope[1] = c.ySign * g.y1;
    } else {
        const Radial q = radialAt<I, false>(c, p);
        const double cb = std::cos(p);
        const double sb = std::sin(p);
        pt[0] = q.r * cb;
        pt[1] = c.ySign * (q.r * sb);
        slope[0] = q.r1 * cb - q.r * sb;
        slope[1] = c.ySign * (q.r1 * sb + q.r * cb);
    }
}

/// Tangent angle and curvature of curve I at p.
template <int I>
inline void headingCurvatureAt(const CurveParams& c, double p, double& theta, double& kappa) {
    if constexpr (I == kSquareCurve) {
        const SquarePoint q = squareAt(c, p);
        theta = c.ySign * q.theta;
        kappa = c.ySign * q.kappa;
    } else if constexpr (I <= 4) {
        const Graph g = graphAt<I, true>(c, p);
        theta = c.ySign * std::atan2(g.y1, 1.0);
        kappa = c.ySign * graphCurvature(g);
    } else {
        const Radial q = radialAt<I, true>(c, p);
        theta = c.ySign * (p + radiusToTangent(c, p, I, q));
        kappa = c.ySign * polarCurvature<I>(c, p, q);
    }
}

/// Upper bounds of a curve's derivatives over an interval of its parameter.
struct CurveBounds {
    /// |(dX/dp, dY/dp)|, the speed ds/dp [m per parameter unit].
    double speed;
    /// |(d²X/dp², d²Y/dp²)| [m per parameter unit²].
    double bend;
    /// Magnitude of the coordinates and of the constant terms they are computed from [m].
    double size;
};

/// Makes a bound generous: the bounds are computed in floating point themselves.
constexpr double kBoundMargin = 1.001;

/// Derivative bounds of a graph curve from bounds of |y|, |y'|, |y''|.
inline CurveBounds graphBounds(double pAbs, double yMax, double y1Max, double y2Max, double terms) {
    return CurveBounds{kBoundMargin * (1.0 + y1Max), kBoundMargin * y2Max,
                       kBoundMargin * (pAbs + yMax + terms)};
}

/// Derivative bounds of a polar curve from bounds of |r|, |r'|, |r''|: the point is
/// r·(cos β, sin β), its tangent r'·(cos, sin) + r·(-sin, cos) and its second derivative
/// (r'' - r)·(cos, sin) + 2r'·(-sin, cos).
inline CurveBounds polarBounds(double rMax, double r1Max, double r2Max, double terms) {
    return CurveBounds{kBoundMargin * (rMax + r1Max), kBoundMargin * (r2Max + rMax + 2.0 * r1Max),
                       kBoundMargin * (2.0 * rMax + terms)};
}

/// Bounds of the derivatives of curve I for parameters between p0 and p1 (either order);
/// infinite or not a number when the constants give none.
template <int I>
inline CurveBounds derivativeBoundsAt(const CurveParams& c, double p0, double p1) {
    const double a0 = std::fabs(p0);
    const double a1 = std::fabs(p1);
    const double pAbs = a0 > a1 ? a0 : a1;
    if (!(pAbs <= std::numeric_limits<double>::max())) {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return CurveBounds{inf, inf, inf};
    }
    if constexpr (I == 1) {
        const double A = std::fabs(c.cosineA);
        const double k = std::fabs(c.cosineK);
        return graphBounds(pAbs, 2.0 * A, A * k, A * (k * k), A);
    } else if constexpr (I == 2) {
        const double A = std::fabs(c.cycloidA);
        const double L = std::fabs(c.cycloidL);
        const double k = std::fabs(c.cycloidK);
        const double yMax = A * (pAbs / L + 1.0);
        return graphBounds(pAbs, yMax, 2.0 * A / L, A * k / L, yMax);
    } else if constexpr (I == 3) {
        const double A = std::fabs(c.quadraticA);
        const double L = std::fabs(c.quadraticL);
        const double q = pAbs / L;
        return graphBounds(pAbs, A * (q * q), 2.0 * A / L * q, 2.0 * A / (L * L), 0.0);
    } else if constexpr (I == 4) {
        const double A = std::fabs(c.cubicA);
        const double L = std::fabs(c.cubicL);
        const double q = pAbs / L;
        return graphBounds(pAbs, A * (q * q * q), 3.0 * A / L * (q * q), 6.0 * A / (L * L) * q,
                           0.0);
    } else if constexpr (I == 11) {
        // D = A²·sin²β + B²·cos²β never falls below the smaller of A², B².
        const double AB = std::fabs(c.ellipseAB);
        const double d1 = std::fabs(c.ellipseSqDiff);
        const double d2 = std::fabs(c.ellipseASquared - c.ellipseBSquared);
        const double diff = d1 > d2 ? d1 : d2;
        const double a2 = std::fabs(c.ellipseASquared);
        const double b2 = std::fabs(c.ellipseBSquared);
        const double dMin = a2 < b2 ? a2 : b2;
        const double dPow = dMin * std::sqrt(dMin);
        const double rMax = AB / std::sqrt(dMin);
        const double r1Max = 0.5 * AB * diff / dPow;
        const double r2Max = AB * diff / dPow * (1.0 + 0.75 * diff / dMin);
        return polarBounds(rMax, r1Max, r2Max, 0.0);
    } else if constexpr (I == 12) {
        const double k = std::fabs(c.spiralRate);
        return polarBounds(k * pAbs, k, 0.0, 0.0);
    } else if constexpr (I == 13) {
        const double A = std::fabs(c.cardioidA);
        return polarBounds(A * (std::fabs(c.cardioidB) + 1.0), A, A, 0.0);
    } else if constexpr (I == 14) {
        const double A = std::fabs(c.roseA);
        const double n = std::fabs(c.roseN);
        return polarBounds(A, A * n, A * (n * n), 0.0);
    } else if constexpr (I == 15) {
        return polarBounds(std::fabs(c.circleR), 0.0, 0.0, 0.0);
    } else if constexpr (I == kSquareCurve) {
        // Unit speed; the second derivative is the curvature, at most 1/r; the coordinates
        // stay within L/2·√2, the arc length within |p|.
        const double size = std::fabs(c.squareHalfStraight) + std::fabs(c.squareR);
        return CurveBounds{kBoundMargin * 1.0, kBoundMargin / std::fabs(c.squareR),
                           kBoundMargin * (2.0 * size + pAbs)};
    } else {
        static_assert(I == 16, "curve numbers 1-4 and 11-16 only");
        const double A = std::fabs(c.wavyA);
        const double n = std::fabs(c.wavyN);
        return polarBounds(std::fabs(c.wavyR) + A, A * n, A * (n * n), 0.0);
    }
}

/// Calls f with the curve number as a compile-time constant (a std::integral_constant), so
/// that one generic caller runs the inline formulas of that curve. Returns false, without
/// calling f, for a number that names no curve.
template <class F>
bool withCurve(int I, F&& f) {
    switch (I) {
        case 1:
            f(std::integral_constant<int, 1>{});
            return true;
        case 2:
            f(std::integral_constant<int, 2>{});
            return true;
        case 3:
            f(std::integral_constant<int, 3>{});
            return true;
        case 4:
            f(std::integral_constant<int, 4>{});
            return true;
        case 11:
            f(std::integral_constant<int, 11>{});
            return true;
        case 12:
            f(std::integral_constant<int, 12>{});
            return true;
        case 13:
            f(std::integral_constant<int, 13>{});
            return true;
        case 14:
            f(std::integral_constant<int, 14>{});
            return true;
        case 15:
            f(std::integral_constant<int, 15>{});
            return true;
        case 16:
            f(std::integral_constant<int, 16>{});
            return true;
        case kSquareCurve:
            f(std::integral_constant<int, kSquareCurve>{});
            return true;
        default:
            return false;
    }
}

}  // namespace kernels
}  // namespace agv
