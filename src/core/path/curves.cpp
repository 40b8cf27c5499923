#include "path/curves.h"

#include <cmath>
#include <limits>

#include "path/curve_catalog.h"
#include "path/curve_kernels.h"
#include "sim/model.h"

namespace agv {

namespace {

using namespace kernels;

/// Added before truncating a whole rose n.
constexpr double kRoseRoundUp = 0.01;
/// Numerator of 1/n for a fractional rose n (1/n rounded up by 1 %).
constexpr double kRoseInverseNumerator = 1.01;
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
        case kSquareCurve:
            return F<kSquareCurve>::run(args...);
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
struct CurvatureRateOp {
    static double run(const CurveParams& c, double p) { return curvatureRateAt<I>(c, p); }
    static double none() { return 0.0; }
};

template <int I>
struct SimpsonOp {
    static double run(const CurveParams& c, double p0, double h, int panels) {
        return simpsonAt<I>(c, p0, h, panels);
    }
    static double none() { return 0.0; }
};

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
struct HeadingCurvatureOp {
    static bool run(const CurveParams& c, double p, double& theta, double& kappa) {
        headingCurvatureAt<I>(c, p, theta, kappa);
        return true;
    }
    static bool none() { return false; }
};

template <int I>
struct BoundsOp {
    static CurveBounds run(const CurveParams& c, double p0, double p1) {
        return derivativeBoundsAt<I>(c, p0, p1);
    }
    static CurveBounds none() {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return CurveBounds{inf, inf, inf};
    }
};

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
    return findCurveInfo(curveNumber) != nullptr;
}

bool curveMakesPath(const CurveParams& params, int curveNumber) {
    // A constant that is not a finite number makes no path either, nor one whose derived
    // constants (2π/L, A², A·B, ...) are not.
    auto usable = [](double v) { return std::isfinite(v) && v != 0.0; };
    auto finite = [](double v) { return std::isfinite(v); };
    const CurveParams& c = params;
    switch (curveNumber) {
        case 1:
            return finite(c.cosineA) && usable(c.cosineL) && finite(c.cosineN) &&
                   finite(kTwoPi / c.cosineL);
        case 2:
            return finite(c.cycloidA) && usable(c.cycloidL) && finite(kTwoPi / c.cycloidL);
        case 3:
            return finite(c.quadraticA) && usable(c.quadraticL);
        case 4:
            return finite(c.cubicA) && usable(c.cubicL);
        case 11:
            return usable(c.ellipseA) && usable(c.ellipseB) && usable(c.ellipseA * c.ellipseA) &&
                   usable(c.ellipseB * c.ellipseB) && finite(c.ellipseA * c.ellipseB);
        case 12:
            return usable(c.spiralA) && finite(c.spiralN) && usable(c.spiralA / kTwoPi);
        case 13:
            return usable(c.cardioidA) && finite(c.cardioidB);
        case 14:
            return usable(c.roseA) && usable(c.roseN);
        case 15:
            return usable(c.circleR) && finite(c.circleN);
        case 16:
            return finite(c.wavyA) && finite(c.wavyN) && finite(c.wavyR);
        case kSquareCurve:
            // The corners fit on the side (2r = L leaves a circle), and the curvature 1/r
            // and the quarter's length are numbers.
            return usable(c.squareL) && usable(c.squareR) && finite(1.0 / c.squareR) &&
                   2.0 * c.squareR <= c.squareL && finite(c.squareL + kHalfPi * c.squareR);
        default:
            return false;
    }
}

double curvePoint(const Model& model, double p, int curveNumber, double pt[2]) {
    const CurveParams& c = model.settings.curve;
    if (curveNumber == kSquareCurve) {
        pointAt<kSquareCurve>(c, p, pt[0], pt[1]);
        return pt[1];
    }
    if (isGraphCurve(curveNumber)) {
        const double y = c.ySign * graph(c, p, curveNumber, false).y;
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
    pt[1] = c.ySign * (r * std::sin(p));
    return r;
}

double curveTangent(const Model& model, double p, int curveNumber, double d[3]) {
    const CurveParams& c = model.settings.curve;
    if (curveNumber == kSquareCurve) {
        const SquarePoint q = squareAt(c, p);
        d[0] = q.tx;
        d[1] = c.ySign * q.ty;
        d[2] = c.ySign * q.theta;
        return d[1];
    }
    if (isGraphCurve(curveNumber)) {
        const double y1 = c.ySign * graph(c, p, curveNumber, false).y1;
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
    d[1] = c.ySign * (q.r1 * sb + q.r * cb);
    d[2] = c.ySign * (p + radiusToTangent(c, p, curveNumber, q));
    return q.r1;
}

double curveSecondDerivative(const Model& model, double p, int curveNumber, double dd[2]) {
    const CurveParams& c = model.settings.curve;
    if (curveNumber == kSquareCurve) {
        // The unit tangent turns at κ: its derivative is κ times the left normal.
        const SquarePoint q = squareAt(c, p);
        dd[0] = -q.kappa * q.ty;
        dd[1] = c.ySign * (q.kappa * q.tx);
        return dd[1];
    }
    if (isGraphCurve(curveNumber)) {
        const double y2 = c.ySign * graph(c, p, curveNumber, true).y2;
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
    dd[1] = c.ySign * ((q.r2 - q.r) * sb + 2.0 * q.r1 * cb);
    return q.r2;
}

double curveCurvature(const Model& model, double p, int curveNumber) {
    return dispatch<CurvatureOp>(curveNumber, model.settings.curve, p);
}

double curveSpeed(const Model& model, double p, int curveNumber) {
    return dispatch<SpeedOp>(curveNumber, model.settings.curve, p);
}

double curvatureRate(const Model& model, double p, int curveNumber) {
    return dispatch<CurvatureRateOp>(curveNumber, model.settings.curve, p);
}

double speedIntegral(const Model& model, double p0, double halfStep, int panels, int curveNumber) {
    return dispatch<SimpsonOp>(curveNumber, model.settings.curve, p0, halfStep, panels);
}

double curvePointSlope(const Model& model, double p, int curveNumber, double pt[2],
                       double slope[2]) {
    const CurveParams& c = model.settings.curve;
    if (curveNumber == kSquareCurve) {
        pointSlopeAt<kSquareCurve>(c, p, pt, slope);
        return pt[1];
    }
    if (isGraphCurve(curveNumber)) {
        const Graph g = graph(c, p, curveNumber, false);
        pt[0] = p;
        pt[1] = c.ySign * g.y;
        slope[0] = 1.0;
        slope[1] = c.ySign * g.y1;
        return pt[1];
    }
    if (!isCurveNumber(curveNumber)) {
        pt[0] = pt[1] = slope[0] = slope[1] = 0.0;
        return 0.0;
    }
    // One cos/sin pair outside the switch over the curves, so that they share one call.
    const Radial q = radial(c, p, curveNumber, false);
    const double cb = std::cos(p);
    const double sb = std::sin(p);
    pt[0] = q.r * cb;
    pt[1] = c.ySign * (q.r * sb);
    slope[0] = q.r1 * cb - q.r * sb;
    slope[1] = c.ySign * (q.r1 * sb + q.r * cb);
    return q.r;
}

void curveHeadingCurvature(const Model& model, double p, int curveNumber, double& theta,
                           double& kappa) {
    if (!dispatch<HeadingCurvatureOp>(curveNumber, model.settings.curve, p, theta, kappa)) {
        theta = 0.0;
        kappa = 0.0;
    }
}

CurveBounds curveDerivativeBounds(const Model& model, double p0, double p1, int curveNumber) {
    return dispatch<BoundsOp>(curveNumber, model.settings.curve, p0, p1);
}

void prepareCurve(Model& model, int curveNumber) {
    CurveParams& c = model.settings.curve;
    PathTables& t = model.path;
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
        case kSquareCurve: {
            c.squareHalfStraight = c.squareL / 2.0 - c.squareR;
            c.squareQuarter = 2.0 * c.squareHalfStraight + kHalfPi * c.squareR;
            start = PathPose{c.squareL / 2.0, 0.0, kHalfPi};
            pEnd = 4.0 * c.squareQuarter;
            end.x = start.x;
            end.y = 0.0;
            end.theta = kHalfPi + 4.0 * kHalfPi;
            break;
        }
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
    // The reflected path: the same parameters, y and headings negated.
    start.y = c.ySign * start.y;
    start.theta = c.ySign * start.theta;
    end.y = c.ySign * end.y;
    end.theta = c.ySign * end.theta;
    t.pathStartPose[I] = start;
    t.pathEndParam[I] = pEnd;
}

}  // namespace agv
