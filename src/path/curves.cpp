#include "path/curves.h"

#include <cmath>
#include <limits>

#include "app/context.h"

namespace agv {

namespace {

/// Below this |r² + r'²| [m²] the curve passes the origin with r' = 0 as well.
constexpr double kOriginQ = 1e-8;
/// Parameter offset [rad] at which the curvature is taken instead at such a point.
constexpr double kOriginOffset = 0.001;
/// Limit [1/m] of a large positive curvature found at such a point.
constexpr double kCurvatureLimit = 50.0;
/// Half-step of the central difference of the curvature rate (parameter units).
constexpr double kRateHalfStep = 0.00005;
/// Full step of that difference.
constexpr double kRateStep = 0.0001;

/// Rose n at and above which n is taken as a whole number of petals.
constexpr double kRoseWholeLimit = 0.99;
/// Added before truncating a whole rose n.
constexpr double kRoseRoundUp = 0.01;
/// Numerator of 1/n for a fractional rose n (1/n rounded up by 1 %).
constexpr double kRoseInverseNumerator = 1.01;
/// Margin [rad] of the pass counting along the rose.
constexpr double kRosePassMargin = 1e-5;
/// Margin [rad] of the pass counting at the rose's end.
constexpr double kRoseEndMargin = 0.01;

bool isGraphCurve(int I) {
    return I >= 1 && I <= 4;
}

/// trunc(v) as an int, clamped to the int range (0 for NaN), so that absurd rose
/// constants cannot overflow the conversion.
int truncToInt(double v) {
    const double t = std::trunc(v);
    if (!(t == t)) return 0;
    if (t >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (t <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(t);
}

/// Passes of the rose through the origin behind a point: the largest i in 1..wholeN
/// with lead >= (2i - 1)·π (lead > (2i - 1)·π when strict), 0 when there is none.
/// The condition holds for a leading run of i only, so the count is estimated and
/// then settled by the exact comparisons, instead of testing every petal.
int rosePasses(double lead, int wholeN, bool strict) {
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
    if constexpr (I <= 4) {
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
double polarCurvature(const CurveParams& c, double b, const Radial& q) {
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
double curvatureAt(const CurveParams& c, double p) {
    if constexpr (I <= 4) {
        return graphCurvature(graphAt<I, true>(c, p));
    } else {
        return polarCurvature<I>(c, p, radialAt<I, true>(c, p));
    }
}

template <int I>
double simpsonAt(const CurveParams& c, double p0, double h, int panels) {
    // The end of one panel is the start of the next: evaluated once, same argument.
    double sum = 0.0;
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

/// Runs F<I>::run(args...) for the curve number I; F::none() for any other number.
template <template <int> class F, typename... Args>
inline auto dispatch(int I, Args&&... args) {
    switch (I) {
        case 1:
            return F<1>::run(args...);
        case 2:
            return F<2>::run(args...);
        case 3:
            return F<3>::run(args...);
        case 4:
            return F<4>::run(args...);
        case 11:
            return F<11>::run(args...);
        case 12:
            return F<12>::run(args...);
        case 13:
            return F<13>::run(args...);
        case 14:
            return F<14>::run(args...);
        case 15:
            return F<15>::run(args...);
        case 16:
            return F<16>::run(args...);
        default:
            return F<0>::none();
    }
}

template <int I>
struct SpeedOp {
    static double run(const CurveParams& c, double p) { return speedAt<I>(c, p); }
    static double none() { return 0.0; }
};

template <int I>
struct CurvatureOp {
    static double run(const CurveParams& c, double p) { return curvatureAt<I>(c, p); }
    static double none() { return 0.0; }
};

template <int I>
struct SimpsonOp {
    static double run(const CurveParams& c, double p0, double h, int panels) {
        return simpsonAt<I>(c, p0, h, panels);
    }
    static double none() { return 0.0; }
};

/// Angle ψ from the radius to the tangent of polar curve I at β.
double radiusToTangent(const CurveParams& c, double b, int I, const Radial& q) {
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

/// r, r' (and r'') of polar curve I; zeros for any other number.
Radial radial(const CurveParams& c, double b, int I, bool second) {
    switch (I) {
        case 11:
            return second ? radialAt<11, true>(c, b) : radialAt<11, false>(c, b);
        case 12:
            return radialAt<12, true>(c, b);
        case 13:
            return second ? radialAt<13, true>(c, b) : radialAt<13, false>(c, b);
        case 14:
            return radialAt<14, true>(c, b);
        case 15:
            return radialAt<15, true>(c, b);
        case 16:
            return second ? radialAt<16, true>(c, b) : radialAt<16, false>(c, b);
        default:
            return Radial{0.0, 0.0, 0.0};
    }
}

/// y, y' (and y'') of graph curve I; zeros for any other number.
Graph graph(const CurveParams& c, double x, int I, bool second) {
    switch (I) {
        case 1:
            return second ? graphAt<1, true>(c, x) : graphAt<1, false>(c, x);
        case 2:
            return second ? graphAt<2, true>(c, x) : graphAt<2, false>(c, x);
        case 3:
            return graphAt<3, true>(c, x);
        case 4:
            return graphAt<4, true>(c, x);
        default:
            return Graph{0.0, 0.0, 0.0};
    }
}

template <int I>
struct PointSlopeOp {
    static double run(const CurveParams& c, double p, double pt[2], double slope[2]) {
        if constexpr (I <= 4) {
            const Graph g = graphAt<I, false>(c, p);
            pt[0] = p;
            pt[1] = g.y;
            slope[0] = 1.0;
            slope[1] = g.y1;
            return g.y;
        } else {
            const Radial q = radialAt<I, false>(c, p);
            const double cb = std::cos(p);
            const double sb = std::sin(p);
            pt[0] = q.r * cb;
            pt[1] = q.r * sb;
            slope[0] = q.r1 * cb - q.r * sb;
            slope[1] = q.r1 * sb + q.r * cb;
            return q.r;
        }
    }
    static double none() { return 0.0; }
};

template <int I>
struct HeadingCurvatureOp {
    static bool run(const CurveParams& c, double p, double& theta, double& kappa) {
        if constexpr (I <= 4) {
            const Graph g = graphAt<I, true>(c, p);
            theta = std::atan2(g.y1, 1.0);
            kappa = graphCurvature(g);
        } else {
            const Radial q = radialAt<I, true>(c, p);
            theta = p + radiusToTangent(c, p, I, q);
            kappa = polarCurvature<I>(c, p, q);
        }
        return true;
    }
    static bool none() { return false; }
};

/// Makes a bound generous: the bounds are computed in floating point themselves.
constexpr double kBoundMargin = 1.001;

/// Derivative bounds of a graph curve from bounds of |y|, |y'|, |y''|.
CurveBounds graphBounds(double pAbs, double yMax, double y1Max, double y2Max, double terms) {
    return CurveBounds{kBoundMargin * (1.0 + y1Max), kBoundMargin * y2Max,
                       kBoundMargin * (pAbs + yMax + terms)};
}

/// Derivative bounds of a polar curve from bounds of |r|, |r'|, |r''|: the point is
/// r·(cos β, sin β), its tangent r'·(cos, sin) + r·(-sin, cos) and its second derivative
/// (r'' - r)·(cos, sin) + 2r'·(-sin, cos).
CurveBounds polarBounds(double rMax, double r1Max, double r2Max, double terms) {
    return CurveBounds{kBoundMargin * (rMax + r1Max), kBoundMargin * (r2Max + rMax + 2.0 * r1Max),
                       kBoundMargin * (2.0 * rMax + terms)};
}
/// Rose preparation: whole n, end angle βf and end heading θf.
void prepareRose(CurveParams& c, double& betaEnd, double& thetaEnd) {
    const double n = c.roseN;
    // A rose n of exactly 0.99 falls between the two rules; it is treated as a whole n
    // (trunc(0.99 + 0.01) = 1, one petal), like the pass counting does.
    if (n >= kRoseWholeLimit) {
        c.roseWholeN = truncToInt(n + kRoseRoundUp);
        betaEnd = (c.roseWholeN % 2 != 0) ? kPi : kTwoPi;
    } else {
        c.roseWholeN = truncToInt(kRoseInverseNumerator / n);
        betaEnd = (c.roseWholeN % 2 != 0) ? kPi / n : kTwoPi / n;
    }
    const double psiEnd =
        std::atan2(c.roseA * std::sin(n * betaEnd), c.roseA * n * std::cos(n * betaEnd));
    int m = 0;
    if (n >= kRoseWholeLimit) {
        const double lead = static_cast<double>(c.roseWholeN) * betaEnd - kRoseEndMargin;
        m = rosePasses(lead, c.roseWholeN, true);
    }
    if (n < 1.0 && betaEnd - kRoseEndMargin > kPi / n) m = 1;
    thetaEnd = betaEnd + psiEnd + kTwoPi * m;
}

}  // namespace

bool isCurveNumber(int curveNumber) {
    return (curveNumber >= 1 && curveNumber <= 4) || (curveNumber >= 11 && curveNumber <= 16);
}

bool curveMakesPath(const CurveParams& params, int curveNumber) {
    // A constant that is not a finite number makes no path either.
    auto usable = [](double v) { return std::isfinite(v) && v != 0.0; };
    auto finite = [](double v) { return std::isfinite(v); };
    const CurveParams& c = params;
    switch (curveNumber) {
        case 1:
            return finite(c.cosineA) && usable(c.cosineL) && finite(c.cosineN);
        case 2:
            return finite(c.cycloidA) && usable(c.cycloidL);
        case 3:
            return finite(c.quadraticA) && usable(c.quadraticL);
        case 4:
            return finite(c.cubicA) && usable(c.cubicL);
        case 11:
            return usable(c.ellipseA) && usable(c.ellipseB);
        case 12:
            return usable(c.spiralA) && finite(c.spiralN);
        case 13:
            return usable(c.cardioidA) && finite(c.cardioidB);
        case 14:
            return usable(c.roseA) && usable(c.roseN);
        case 15:
            return usable(c.circleR) && finite(c.circleN);
        case 16:
            return finite(c.wavyA) && finite(c.wavyN) && finite(c.wavyR);
        default:
            return false;
    }
}

double curvePoint(const AgvContext& ctx, double p, int curveNumber, double pt[2]) {
    const CurveParams& c = ctx.settings.curve;
    if (isGraphCurve(curveNumber)) {
        const double y = graph(c, p, curveNumber, false).y;
        pt[0] = p;
        pt[1] = y;
        return y;
    }
    if (!isCurveNumber(curveNumber)) {
        pt[0] = 0.0;
        pt[1] = 0.0;
        return 0.0;
    }
    const double r = radial(c, p, curveNumber, false).r;
    pt[0] = r * std::cos(p);
    pt[1] = r * std::sin(p);
    return r;
}

double curveTangent(const AgvContext& ctx, double p, int curveNumber, double d[3]) {
    const CurveParams& c = ctx.settings.curve;
    if (isGraphCurve(curveNumber)) {
        const double y1 = graph(c, p, curveNumber, false).y1;
        d[0] = 1.0;
        d[1] = y1;
        d[2] = std::atan2(y1, 1.0);
        return y1;
    }
    if (!isCurveNumber(curveNumber)) {
        d[0] = d[1] = d[2] = 0.0;
        return 0.0;
    }
    const Radial q = radial(c, p, curveNumber, false);
    const double cb = std::cos(p);
    const double sb = std::sin(p);
    d[0] = q.r1 * cb - q.r * sb;
    d[1] = q.r1 * sb + q.r * cb;
    d[2] = p + radiusToTangent(c, p, curveNumber, q);
    return q.r1;
}

double curveSecondDerivative(const AgvContext& ctx, double p, int curveNumber, double dd[2]) {
    const CurveParams& c = ctx.settings.curve;
    if (isGraphCurve(curveNumber)) {
        const double y2 = graph(c, p, curveNumber, true).y2;
        dd[0] = 0.0;
        dd[1] = y2;
        return y2;
    }
    if (!isCurveNumber(curveNumber)) {
        dd[0] = dd[1] = 0.0;
        return 0.0;
    }
    const Radial q = radial(c, p, curveNumber, true);
    const double cb = std::cos(p);
    const double sb = std::sin(p);
    dd[0] = (q.r2 - q.r) * cb - 2.0 * q.r1 * sb;
    dd[1] = (q.r2 - q.r) * sb + 2.0 * q.r1 * cb;
    return q.r2;
}

double curveCurvature(const AgvContext& ctx, double p, int curveNumber) {
    return dispatch<CurvatureOp>(curveNumber, ctx.settings.curve, p);
}

double curveSpeed(const AgvContext& ctx, double p, int curveNumber) {
    return dispatch<SpeedOp>(curveNumber, ctx.settings.curve, p);
}

double curvatureRate(const AgvContext& ctx, double p, int curveNumber) {
    const CurveParams& c = ctx.settings.curve;
    const double ahead = dispatch<CurvatureOp>(curveNumber, c, p + kRateHalfStep);
    const double behind = dispatch<CurvatureOp>(curveNumber, c, p - kRateHalfStep);
    const double speed = dispatch<SpeedOp>(curveNumber, c, p);
    // Where the parameter does not move the point there is no rate per metre.
    if (speed == 0.0) return 0.0;
    return (ahead - behind) / kRateStep / speed;
}

double speedIntegral(const AgvContext& ctx, double p0, double halfStep, int panels,
                     int curveNumber) {
    return dispatch<SimpsonOp>(curveNumber, ctx.settings.curve, p0, halfStep, panels);
}

double curvePointSlope(const AgvContext& ctx, double p, int curveNumber, double pt[2],
                       double slope[2]) {
    if (!isCurveNumber(curveNumber)) {
        pt[0] = pt[1] = slope[0] = slope[1] = 0.0;
        return 0.0;
    }
    return dispatch<PointSlopeOp>(curveNumber, ctx.settings.curve, p, pt, slope);
}

void curveHeadingCurvature(const AgvContext& ctx, double p, int curveNumber, double& theta,
                           double& kappa) {
    if (!dispatch<HeadingCurvatureOp>(curveNumber, ctx.settings.curve, p, theta, kappa)) {
        theta = 0.0;
        kappa = 0.0;
    }
}

CurveBounds curveDerivativeBounds(const AgvContext& ctx, double p0, double p1, int curveNumber) {
    const CurveParams& c = ctx.settings.curve;
    const double pAbs = std::fmax(std::fabs(p0), std::fabs(p1));
    constexpr double inf = std::numeric_limits<double>::infinity();
    if (!std::isfinite(pAbs)) return CurveBounds{inf, inf, inf};
    switch (curveNumber) {
        case 1: {
            const double A = std::fabs(c.cosineA);
            const double k = std::fabs(c.cosineK);
            return graphBounds(pAbs, 2.0 * A, A * k, A * (k * k), A);
        }
        case 2: {
            const double A = std::fabs(c.cycloidA);
            const double L = std::fabs(c.cycloidL);
            const double k = std::fabs(c.cycloidK);
            const double yMax = A * (pAbs / L + 1.0);
            return graphBounds(pAbs, yMax, 2.0 * A / L, A * k / L, yMax);
        }
        case 3: {
            const double A = std::fabs(c.quadraticA);
            const double L = std::fabs(c.quadraticL);
            const double q = pAbs / L;
            return graphBounds(pAbs, A * (q * q), 2.0 * A / L * q, 2.0 * A / (L * L), 0.0);
        }
        case 4: {
            const double A = std::fabs(c.cubicA);
            const double L = std::fabs(c.cubicL);
            const double q = pAbs / L;
            return graphBounds(pAbs, A * (q * q * q), 3.0 * A / L * (q * q),
                               6.0 * A / (L * L) * q, 0.0);
        }
        case 11: {
            // D = A²·sin²β + B²·cos²β never falls below the smaller of A², B².
            const double AB = std::fabs(c.ellipseAB);
            const double diff = std::fmax(std::fabs(c.ellipseSqDiff),
                                          std::fabs(c.ellipseASquared - c.ellipseBSquared));
            const double dMin = std::fmin(std::fabs(c.ellipseASquared), std::fabs(c.ellipseBSquared));
            const double dPow = dMin * std::sqrt(dMin);
            const double rMax = AB / std::sqrt(dMin);
            const double r1Max = 0.5 * AB * diff / dPow;
            const double r2Max = AB * diff / dPow * (1.0 + 0.75 * diff / dMin);
            return polarBounds(rMax, r1Max, r2Max, 0.0);
        }
        case 12: {
            const double k = std::fabs(c.spiralRate);
            return polarBounds(k * pAbs, k, 0.0, 0.0);
        }
        case 13: {
            const double A = std::fabs(c.cardioidA);
            return polarBounds(A * (std::fabs(c.cardioidB) + 1.0), A, A, 0.0);
        }
        case 14: {
            const double A = std::fabs(c.roseA);
            const double n = std::fabs(c.roseN);
            return polarBounds(A, A * n, A * (n * n), 0.0);
        }
        case 15:
            return polarBounds(std::fabs(c.circleR), 0.0, 0.0, 0.0);
        case 16: {
            const double A = std::fabs(c.wavyA);
            const double n = std::fabs(c.wavyN);
            return polarBounds(std::fabs(c.wavyR) + A, A * n, A * (n * n), 0.0);
        }
        default:
            return CurveBounds{inf, inf, inf};
    }
}

void prepareCurve(AgvContext& ctx, int curveNumber) {
    CurveParams& c = ctx.settings.curve;
    PathTables& t = ctx.path;
    if (!isCurveNumber(curveNumber)) return;
    const int I = curveNumber;
    PathPose start{0.0, 0.0, 0.0};
    PathEnd& end = t.pathEnd[I];
    double pEnd = 0.0;
    switch (I) {
        case 1:
            c.cosineK = kTwoPi / c.cosineL;
            pEnd = c.cosineN * c.cosineL;
            end.x = pEnd;
            end.y = 0.0;
            end.theta = 0.0;
            break;
        case 2:
            c.cycloidK = kTwoPi / c.cycloidL;
            pEnd = c.cycloidL;
            end.x = c.cycloidL;
            end.y = c.cycloidA;
            end.theta = 0.0;
            break;
        case 3:
            pEnd = c.quadraticL;
            end.x = c.quadraticL;
            end.y = c.quadraticA;
            end.theta = std::atan(2.0 * c.quadraticA / c.quadraticL);
            break;
        case 4:
            pEnd = c.cubicL;
            end.x = c.cubicL;
            end.y = c.cubicA;
            end.theta = std::atan(3.0 * c.cubicA / c.cubicL);
            break;
        case 11:
            c.ellipseASquared = c.ellipseA * c.ellipseA;
            c.ellipseBSquared = c.ellipseB * c.ellipseB;
            c.ellipseAB = c.ellipseA * c.ellipseB;
            c.ellipseSqDiff = c.ellipseA * c.ellipseA - c.ellipseB * c.ellipseB;
            start = PathPose{c.ellipseA, 0.0, kHalfPi};
            pEnd = kTwoPi;
            end.x = c.ellipseA;
            end.y = 0.0;
            end.theta = kHalfPi;
            break;
        case 12: {
            c.spiralRate = c.spiralA / kTwoPi;
            pEnd = kTwoPi * c.spiralN;
            const double rf = c.spiralRate * pEnd;
            end.x = rf * std::cos(pEnd);
            end.y = rf * std::sin(pEnd);
            end.theta = pEnd + std::atan2(rf, c.spiralRate);
            break;
        }
        case 13:
            start = PathPose{(c.cardioidB - 1.0) * c.cardioidA, 0.0, kHalfPi};
            pEnd = kTwoPi;
            end.x = start.x;
            end.y = 0.0;
            end.theta = kHalfPi;
            break;
        case 14:
            prepareRose(c, pEnd, end.theta);
            end.x = 0.0;
            end.y = 0.0;
            break;
        case 15:
            start = PathPose{c.circleR, 0.0, kHalfPi};
            pEnd = kTwoPi * c.circleN;
            end.x = c.circleR * std::cos(pEnd);
            end.y = c.circleR * std::sin(pEnd);
            end.theta = pEnd + kHalfPi;
            break;
        case 16: {
            start = PathPose{c.wavyR + c.wavyA, 0.0, kHalfPi};
            pEnd = kTwoPi;
            const double rf = c.wavyR + c.wavyA * std::cos(kTwoPi * c.wavyN);
            const double r1f = -c.wavyA * c.wavyN * std::sin(kTwoPi * c.wavyN);
            end.x = rf;
            end.y = 0.0;
            end.theta = kTwoPi + std::atan2(rf, r1f);
            break;
        }
        default:
            break;
    }
    t.pathStartPose[I] = start;
    t.pathEndParam[I] = pEnd;
}

}  // namespace agv
