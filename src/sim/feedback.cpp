#include "sim/feedback.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "app/context.h"
#include "path/arc_length.h"
#include "path/curves.h"

namespace agv {

namespace {

/// The real pole of the type 1 design lies at ωn / (4ζ).
constexpr double kType1PoleDivisor = 4.0;
/// Most search steps when the span of the search cannot be bounded otherwise.
constexpr double kMaxSearchSteps = 1e7;
/// Below this |cos θ| the lateral offset is measured along x instead of y.
constexpr double kSteepHeadingCosine = 0.1;

/// The line through the vehicle perpendicular to its heading, as b·X - a·Y + c = 0.
struct NormalLine {
    double a = 0.0, b = 0.0, c = 0.0;
};

/// One evaluation of the residual: the parameter, the residual and the path point.
struct Probe {
    double p = 0.0;
    double g = 0.0;
    double X = 0.0, Y = 0.0;
};

double residual(const NormalLine& line, double X, double Y) {
    return line.b * X - line.a * Y + line.c;
}

Probe probe(const AgvContext& ctx, int curveNumber, const NormalLine& line, double p) {
    double pt[2];
    curvePoint(ctx, p, curveNumber, pt);
    return Probe{p, residual(line, pt[0], pt[1]), pt[0], pt[1]};
}

/// Secant iteration on a pair whose residuals differ in sign; returns the last estimate.
Probe secant(const AgvContext& ctx, int curveNumber, const NormalLine& line, Probe a, Probe b) {
    Probe last = std::fabs(b.g) < std::fabs(a.g) ? b : a;
    for (int iteration = 0; iteration < kSecantIterations; ++iteration) {
        if (b.g == a.g) break;  // the secant would be flat: keep the last estimate
        const double p = a.p - a.g * (b.p - a.p) / (b.g - a.g);
        last = probe(ctx, curveNumber, line, p);
        if (std::fabs(last.g) < kReferenceTolerance) break;
        if (std::fabs(b.g) > std::fabs(a.g)) {
            b = last;
        } else {
            a = last;
        }
    }
    return last;
}

// The stepping only looks at the signs of the residuals on its way and at the exact values
// of the last pair, so a step whose sign is certain need not be evaluated. The residual
// between two points is bounded by Taylor's theorem: its slope at an evaluated point is known
// from the tangent of the curve, its second derivative is at most the curve's bend. A bounded
// residual counts only when it clears the tolerance with a wide margin for rounding.

/// Absolute part of the allowance for the rounding of one residual [m].
constexpr double kRoundingAbsolute = 1e-10;
/// Relative part of that allowance, about a thousand units in the last place.
constexpr double kRoundingRelative = 1e-13;
/// Widens the second-order term for the rounding of the bound itself.
constexpr double kBendMargin = 1.000001;
/// A bounded residual must clear the tolerance by this factor.
constexpr double kCertainFactor = 2.0;
/// Evaluated points kept to bound others.
constexpr int kMaxAnchors = 4;
/// The first evaluation, at the previous reference point, lies at most this many steps
/// beyond the start of the search.
constexpr int kMaxLeadSteps = 64;

/// A point of the stepping, numbered from the start of the search: either evaluated, or
/// with its residual only bounded.
struct GridPoint {
    Probe probe;
    long j = 0;
    bool exact = false;
    /// Bounds of the residual when it is not evaluated; both of one sign.
    double lo = 0.0, hi = 0.0;
};

/// Residuals along the stepping: evaluated on demand, bounded where possible.
class ResidualGrid {
  public:
    ResidualGrid(const AgvContext& ctx, int curveNumber, const NormalLine& line, double pLow,
                 double pHigh)
        : ctx_(ctx), curveNumber_(curveNumber), line_(line) {
        const CurveBounds b = curveDerivativeBounds(ctx, pLow, pHigh, curveNumber);
        const double size = b.size + std::fabs(line.c);
        const double pAbs = std::fmax(std::fabs(pLow), std::fabs(pHigh));
        bend_ = b.bend;
        halfBend_ = 0.0 * b.bend * kBendMargin;
        slopeRounding_ = kRoundingRelative * (size + b.speed + (1.0 + pAbs) * b.bend);
        pointRounding_ = kRoundingAbsolute + kRoundingRelative * (size + (1.0 + pAbs) * b.speed);
    }

    /// Evaluates point j at p and keeps it to bound others.
    GridPoint evaluate(long j, double p) {
        double pt[2];
        double slope[2];
        curvePointSlope(ctx_, p, curveNumber_, pt, slope);
        GridPoint point;
        point.probe = Probe{p, residual(line_, pt[0], pt[1]), pt[0], pt[1]};
        point.j = j;
        point.exact = true;
        Anchor& a = anchors_[next_];
        next_ = next_ + 1 < kMaxAnchors ? next_ + 1 : 0;
        if (count_ < kMaxAnchors) ++count_;
        a.point = point.probe;
        a.j = j;
        a.dg = line_.b * slope[0] - line_.a * slope[1];
        a.linear = slopeRounding_ + kRoundingRelative * std::fabs(a.dg);
        a.fixed = 2.0 * pointRounding_ + kRoundingRelative * std::fabs(point.probe.g);
        return point;
    }

    /// Point j at p: evaluated already, bounded clear of the tolerance, or evaluated now.
    GridPoint at(long j, double p) {
        GridPoint point;
        point.j = j;
        for (int i = 0; i < count_; ++i) {
            if (anchors_[i].j == j) {
                point.probe = anchors_[i].point;
                point.exact = true;
                return point;
            }
        }
        point.probe.p = p;
        if (bound(p, point.lo, point.hi)) return point;
        return evaluate(j, p);
    }

    /// Makes sure the point is evaluated.
    void settle(GridPoint& point) {
        if (!point.exact) point = evaluate(point.j, point.probe.p);
    }

    /// True when the residual at every point from pFirst to pLast, all on one side of the
    /// first evaluated point, has the given sign and clears the tolerance. The lower bound
    /// is concave and the upper bound convex on each side, so the two ends decide.
    bool boundRun(double pFirst, double pLast, bool negative) const {
        if (count_ == 0) return false;
        const Anchor& a = anchors_[0];
        double lo = 0.0, hi = 0.0, lo2 = 0.0, hi2 = 0.0;
        bounds(a, pFirst, lo, hi);
        bounds(a, pLast, lo2, hi2);
        const double clear = kCertainFactor * kReferenceTolerance;
        if (negative) return hi < -clear && hi2 < -clear;
        return lo > clear && lo2 > clear;
    }

    /// Index of the first evaluated point, or -1.
    long firstIndex() const { return count_ > 0 ? anchors_[0].j : -1; }

  private:
    struct Anchor {
        Probe point;
        long j = 0;
        /// Slope of the residual, and the allowances that grow with |dp| and that do not.
        double dg = 0.0, linear = 0.0, fixed = 0.0;
    };

    void bounds(const Anchor& a, double p, double& lo, double& hi) const {
        const double dp = p - a.point.p;
        const double adp = std::fabs(dp);
        const double centre = a.point.g + a.dg * dp;
        const double radius = (halfBend_ * adp + a.linear) * adp + a.fixed;
        lo = centre - radius;
        hi = centre + radius;
    }

    /// Bounds of the residual at p from every evaluated point; true when they fix its sign
    /// clear of the tolerance. A bound that is no number fixes nothing.
    bool bound(double p, double& lo, double& hi) const {
        if (count_ == 0 || !(bend_ < std::numeric_limits<double>::infinity())) return false;
        bounds(anchors_[0], p, lo, hi);
        for (int i = 1; i < count_; ++i) {
            double l = 0.0, u = 0.0;
            bounds(anchors_[i], p, l, u);
            if (l > lo) lo = l;
            if (u < hi) hi = u;
        }
        const double clear = kCertainFactor * kReferenceTolerance;
        if (!(lo <= hi)) return false;
        return lo > clear || hi < -clear;
    }

    const AgvContext& ctx_;
    int curveNumber_;
    NormalLine line_;
    double bend_ = 0.0, halfBend_ = 0.0, slopeRounding_ = 0.0, pointRounding_ = 0.0;
    Anchor anchors_[kMaxAnchors];
    int count_ = 0;
    int next_ = 0;
};

/// True when the residual is evaluated, finite and not within the tolerance, or bounded.
bool clearOfZero(const GridPoint& point) {
    if (!point.exact) return true;
    const double m = std::fabs(point.probe.g);
    return m >= kReferenceTolerance && m <= std::numeric_limits<double>::max();
}

/// Sign of a residual that is clear of zero.
bool isNegative(const GridPoint& point) {
    return point.exact ? point.probe.g < 0.0 : point.hi < 0.0;
}

/// ga·gb < 0 for the two points, evaluating them only where their signs cannot tell.
bool signsDiffer(ResidualGrid& grid, GridPoint& a, GridPoint& b) {
    if (!(a.exact && b.exact) && clearOfZero(a) && clearOfZero(b)) {
        // Both at least the tolerance in size: the product neither underflows nor loses its
        // sign.
        return isNegative(a) != isNegative(b);
    }
    grid.settle(a);
    grid.settle(b);
    return a.probe.g * b.probe.g < 0.0;
}

/// Bounds of |g| at a point clear of zero.
void magnitudeBounds(const GridPoint& point, double& lo, double& hi) {
    if (point.exact) {
        lo = hi = std::fabs(point.probe.g);
    } else {
        lo = std::fmin(std::fabs(point.lo), std::fabs(point.hi));
        hi = std::fmax(std::fabs(point.lo), std::fabs(point.hi));
    }
}

/// |gb| < |ga|, evaluating the points only where their bounds cannot tell.
bool isNearer(ResidualGrid& grid, GridPoint& a, GridPoint& b) {
    if (!(a.exact && b.exact)) {
        double aLo = 0.0, aHi = 0.0, bLo = 0.0, bHi = 0.0;
        magnitudeBounds(a, aLo, aHi);
        magnitudeBounds(b, bLo, bHi);
        if (bHi < aLo) return true;
        if (bLo > aHi) return false;
        grid.settle(a);
        grid.settle(b);
    }
    return std::fabs(b.probe.g) < std::fabs(a.probe.g);
}

/// Limits a correction to ±limit; a correction that is no number (an overflow of the
/// gains times the errors) acts as none.
double saturate(double u, double limit) {
    if (std::fabs(u) <= limit) return u;
    if (std::isnan(u)) return 0.0;
    return std::copysign(limit, u);
}

/// A vehicle beyond the path end is measured against the end point.
double takePathEnd(const AgvContext& ctx, int curveNumber, double x, double y,
                   ReferencePoint& ref) {
    const PathEnd& end = ctx.path.pathEnd[curveNumber];
    ref = ctx.path.pathEndReference[curveNumber];
    const double dx = x - end.x;
    const double dy = y - end.y;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

void designGains(AgvContext& ctx) {
    const SimulationSettings& set = ctx.settings;
    FeedbackGains& g = ctx.gains;
    const double wn = set.omegaN;
    const double zeta = set.zeta;
    const double V = set.Vw;
    const double T = set.tread;

    g.omegaN2 = wn * wn;
    g.twoZetaOmegaN = 2.0 * zeta * wn;

    // Type 1: (s + a)(s² + 2ζωn·s + ωn²).
    double a = wn / (kType1PoleDivisor * zeta);
    g.Kth1 = 2.0 * zeta * wn + a;
    g.Kd1 = (wn + 2.0 * zeta * a) * wn / (2.0 * V);
    g.KI1 = wn * wn * a / (g.Kd1 * V);
    if (!std::isfinite(g.Kth1) || !std::isfinite(g.Kd1) || !std::isfinite(g.KI1)) {
        // ζ = 0 puts the real pole at infinity: place it at ωn, as types 2 and 3 do.
        a = wn;
        g.Kth1 = 2.0 * zeta * wn + a;
        g.Kd1 = (wn + 2.0 * zeta * a) * wn / (2.0 * V);
        g.KI1 = wn * wn * a / (g.Kd1 * V);
    }
    if (g.Kd1 * V == 0.0) g.KI1 = 0.0;  // ωn = 0: no feedback, and no integral action

    // Types 2 and 3: (s + ωn)(s² + 2ζωn·s + ωn²).
    g.Kfi2 = 2.0 * zeta * wn + wn;
    g.Kth2 = (g.omegaN2 + 2.0 * zeta * g.omegaN2) * T / V;
    g.Kd2 = wn * wn * wn * T / (V * V);
    g.Kfi3 = g.Kfi2;
    g.Kth3 = g.Kth2;
    g.Kd3 = g.Kd2;
}

double headingNormalResidual(const AgvContext& ctx, int curveNumber, double a, double b, double c,
                             double p) {
    double pt[2];
    curvePoint(ctx, p, curveNumber, pt);
    return residual(NormalLine{a, b, c}, pt[0], pt[1]);
}

double findReferencePoint(const AgvContext& ctx, int curveNumber, double x, double y, double theta,
                          double pStart, ReferencePoint& ref) {
    const double pEnd = ctx.path.pathEndParam[curveNumber];
    const double pLimit = pEnd + kSearchOvershoot;
    // A start beyond the limit (or no start at all) evaluates no residual.
    if (!(pStart < pLimit) || !std::isfinite(pStart)) {
        return takePathEnd(ctx, curveNumber, x, y, ref);
    }

    double h = pEnd / kSearchDivisions;
    if (h > kSearchStepCap) h = kSearchStepLong;
    if (!(h >= kSearchStepMin)) h = kSearchStepMin;

    const double cosTheta = std::cos(theta);
    const double sinTheta = std::sin(theta);
    const NormalLine line{sinTheta, -cosTheta, x * cosTheta + y * sinTheta};

    ResidualGrid grid(ctx, curveNumber, line, pStart, pLimit);
    // The answer usually lies next to the previous reference point: evaluating there first
    // bounds the steps before it without evaluating them. Parameters of the steps come from
    // the same repeated additions as the stepping makes.
    double stepParam[kMaxLeadSteps + 1];
    stepParam[0] = pStart;
    long leadSteps = 0;
    const double lead = (ref.p - pStart) / h;
    if (lead >= 0.0 && lead < static_cast<double>(kMaxLeadSteps)) {
        leadSteps = static_cast<long>(lead + 0.5);
        for (long j = 0; j < leadSteps; ++j)
            stepParam[j + 1] = stepParam[j] + h;
        if (stepParam[leadSteps] < pLimit) grid.evaluate(leadSteps, stepParam[leadSteps]);
    }

    Probe found;
    GridPoint pa = grid.at(0, pStart);
    if (pa.exact && std::fabs(pa.probe.g) < kReferenceTolerance) {
        found = pa.probe;
    } else {
        GridPoint pb = grid.at(1, pa.probe.p + h);
        if (signsDiffer(grid, pa, pb)) {
            grid.settle(pa);
            grid.settle(pb);
            found = secant(ctx, curveNumber, line, pa.probe, pb.probe);
        } else {
            double step = -h;
            long dj = -1;
            if (isNearer(grid, pa, pb)) {
                step = h;
                dj = 1;
                pa = pb;
            }
            // Backward the residuals are all evaluated, as the stepping there is rare.
            const bool forward = step > 0.0;
            if (!forward) grid.settle(pa);
            // Forward the stepping ends at pLimit, backward just before parameter 0;
            // the bound only matters for inputs that are not numbers.
            double span = (pLimit - pa.probe.p + 2.0 * h + std::fabs(pa.probe.p)) / h + 3.0;
            if (!(span < kMaxSearchSteps)) span = kMaxSearchSteps;
            const long maxSteps = static_cast<long>(span);
            GridPoint last = pb;
            bool secantDone = false;
            long skipped = 0;
            // The steps up to the first evaluated point, when all of one sign, are passed at once.
            const long first = grid.firstIndex();
            if (forward && first > pa.j + 1 && first <= leadSteps && clearOfZero(pa)) {
                const long skip = first - 1 - pa.j;
                if (skip <= maxSteps &&
                    grid.boundRun(stepParam[pa.j + 1], stepParam[first - 1], isNegative(pa))) {
                    GridPoint certain;
                    certain.probe.p = stepParam[first - 1];
                    certain.j = first - 1;
                    const double clear = kCertainFactor * kReferenceTolerance;
                    certain.lo = isNegative(pa) ? -std::numeric_limits<double>::infinity() : clear;
                    certain.hi = isNegative(pa) ? -clear : std::numeric_limits<double>::infinity();
                    pa = certain;
                    last = certain;
                    skipped = skip;
                }
            }
            for (long i = skipped; i < maxSteps; ++i) {
                const double p = pa.probe.p + step;
                if (p >= pLimit) return takePathEnd(ctx, curveNumber, x, y, ref);
                pb = forward ? grid.at(pa.j + dj, p) : grid.evaluate(pa.j + dj, p);
                last = pb;
                if (pb.exact && std::fabs(pb.probe.g) < kReferenceTolerance) break;
                if (signsDiffer(grid, pa, pb)) {
                    grid.settle(pa);
                    grid.settle(pb);
                    found = secant(ctx, curveNumber, line, pa.probe, pb.probe);
                    secantDone = true;
                    break;
                }
                if (step < 0.0 && pb.probe.p + 2.0 * h < 0.0) break;
                pa = pb;
            }
            if (!secantDone) {
                grid.settle(last);
                found = last.probe;
            }
        }
    }

    if (!(found.p < pLimit)) return takePathEnd(ctx, curveNumber, x, y, ref);

    const double dd = std::fabs(cosTheta) > kSteepHeadingCosine ? (found.Y - y) / (-cosTheta)
                                                                : (found.X - x) / sinTheta;
    ref.s = ref.s + arcLength(ctx, ref.p, found.p, curveNumber);
    double heading = 0.0;
    double kappa = 0.0;
    curveHeadingCurvature(ctx, found.p, curveNumber, heading, kappa);
    ref.theta = heading;
    ref.x = found.X;
    ref.y = found.Y;
    ref.kappa = kappa;
    ref.phi = std::atan(ctx.settings.tread * ref.kappa);
    ref.p = found.p;
    return dd;
}

void updateErrorMeasures(AgvContext& ctx, int curveNumber, const MotionState& state,
                         ReferencePoint refs[2]) {
    ErrorSignals& e = ctx.errors;
    e.dsFbc = state[kSlotFbc + kPoseS] - state[kSlotTheory + kPoseS];
    e.ddNoFbc =
        findReferencePoint(ctx, curveNumber, state[kSlotNoFbc + kPoseX], state[kSlotNoFbc + kPoseY],
                           state[kSlotNoFbc + kPoseTheta], refs[0].p - kReferenceBackoff, refs[0]);
    e.ddFbc =
        findReferencePoint(ctx, curveNumber, state[kSlotFbc + kPoseX], state[kSlotFbc + kPoseY],
                           state[kSlotFbc + kPoseTheta], refs[1].p - kReferenceBackoff, refs[1]);
    e.dthNoFbc = state[kSlotNoFbc + kPoseTheta] - refs[0].theta;
    e.dthFbc = state[kSlotFbc + kPoseTheta] - refs[1].theta;
    e.dphiFbc = state[kSlotFbc + kPosePhi] - refs[1].phi;
}

double speedCorrection(const AgvContext& ctx) {
    const FeedbackGains& g = ctx.gains;
    const ErrorSignals& e = ctx.errors;
    return saturate(g.omegaN2 * e.dsFbc + g.twoZetaOmegaN * e.intDsFbc, kSpeedCorrectionMax);
}

double headingRateCorrection(const AgvContext& ctx) {
    const FeedbackGains& g = ctx.gains;
    const ErrorSignals& e = ctx.errors;
    return saturate(
        g.Kd1 * e.ddFbc + g.Kth1 * e.dthFbc + g.KI1 * (g.Kd1 * e.intDdFbc + g.Kth1 * e.intDthFbc),
        kHeadingRateCorrectionMax);
}

double steerRateCorrection(const AgvContext& ctx, int vehicleType) {
    const FeedbackGains& g = ctx.gains;
    const ErrorSignals& e = ctx.errors;
    if (vehicleType == k1RDW1FS) return g.Kd3 * e.ddFbc + g.Kth3 * e.dthFbc + g.Kfi3 * e.dphiFbc;
    return g.Kd2 * e.ddFbc + g.Kth2 * e.dthFbc + g.Kfi2 * e.dphiFbc;
}

}  // namespace agv
