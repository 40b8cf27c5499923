// The reference point search of the feedback controller, for a curve number known when
// compiling: stepping along the curve parameter until the residual g(p) = b·X - a·Y + c
// changes sign, then the secant method.
//
// The stepping looks only at the signs of the residuals on its way and at the exact values
// of the last pair, so a step whose sign is certain need not be evaluated. Between two
// parameters the residual is bounded by Taylor's theorem: its slope at an evaluated point
// follows from the tangent of the curve, its second derivative is at most the curve's bend
// (curveDerivativeBounds). A bounded residual counts only when it clears the tolerance with
// a wide allowance for rounding; everything the stepping decides is decided as it would be
// with every step evaluated, and every value that enters the result is evaluated.
//
// A run of steps bounded from one evaluated point is crossed in leaps: on the side of zero of
// the run the bound is convex (its upper bound; the lower one is concave), so when both ends
// of a leap are bounded clear of zero on that side, so is every step between. The parameters
// of the steps are still those of the same repeated additions (made in runs to the same bits,
// kernels::addRepeatedly); only the bounds between the ends of a leap are not computed.
//
// Included by sim/feedback.cpp only.
#pragma once

#include <cmath>
#include <limits>

#include "path/arc_length.h"
#include "path/curve_kernels.h"
#include "path/curves.h"
#include "sim/feedback.h"
#include "sim/model.h"
#include "sim/trig_memo.h"

namespace agv {
namespace search {

/// Most search steps when the span of the search cannot be bounded otherwise.
constexpr double kMaxSearchSteps = 1e7;
/// Below this |cos θ| the lateral offset is measured along x instead of y.
constexpr double kSteepHeadingCosine = 0.1;

/// Absolute part of the allowance for the rounding of one residual [m].
constexpr double kRoundingAbsolute = 1e-10;
/// Relative part of that allowance, about a thousand units in the last place.
constexpr double kRoundingRelative = 1e-13;
/// Widens the second-order term for the rounding of the bound itself.
constexpr double kBendMargin = 1.000001;
/// A bounded residual must clear the tolerance by this factor.
constexpr double kCertainFactor = 2.0;
/// Smallest size of a bounded residual.
constexpr double kClear = kCertainFactor * kReferenceTolerance;
/// Room for rounding when the bound on the steps is checked without dividing.
constexpr double kReachMargin = 1.000000001;
/// The backward stepping's bounds reach this many steps below parameter 0 (it stops
/// within three).
constexpr double kBackwardMarginSteps = 4.0;
/// Evaluated points kept to bound others.
constexpr int kMaxAnchors = 4;
/// The first evaluation, at the previous reference point, lies at most this many steps
/// beyond the start of the search.
constexpr int kMaxLeadSteps = 64;
/// Work of a residual bounded from every kept point, in steps (kWorkPerType).
constexpr long kBoundWork = 10;
/// Steps of the first leap over a run of bounded steps, of the longest and of the shortest.
constexpr long kFirstLeap = 16;
constexpr long kMaxLeap = 1024;
constexpr long kMinLeap = 2;

/// The line through the vehicle perpendicular to its heading, as b·X - a·Y + c = 0.
struct NormalLine {
    double a, b, c;
};

inline double residual(const NormalLine& line, double X, double Y) {
    return line.b * X - line.a * Y + line.c;
}

/// One evaluation of the residual: the parameter, the residual and the path point.
struct Probe {
    double p;
    double g;
    double X, Y;
};

inline void setProbe(Probe& to, double p, double g, double X, double Y) {
    to.p = p;
    to.g = g;
    to.X = X;
    to.Y = Y;
}

template <int I>
Probe probe(const CurveParams& c, const NormalLine& line, double p) {
    double X = 0.0;
    double Y = 0.0;
    kernels::pointAt<I>(c, p, X, Y);
    return Probe{p, residual(line, X, Y), X, Y};
}

/// An evaluated point with the slope of the residual and its allowances, to bound others.
struct Anchor {
    Probe point;
    /// Step number from the start of the search.
    long j;
    /// Slope of the residual, and the allowances that grow with |dp| and that do not.
    double dg, linear, fixed;
};

/// Allowances of the bounds over one search: the curve's bend and the rounding of the
/// residual and of its slope.
struct Allowance {
    // Set by setCurve() and setLine() before use.
    double halfBend, slopeRounding, pointRounding;
    double slopeBase, pointBase;
    bool usable;

    /// The part that depends on the curve over the whole interval (pAbs: the largest |p|).
    void setCurve(const kernels::CurveBounds& b, double pAbs) {
        halfBend = 0.5 * b.bend * kBendMargin;
        slopeBase = kRoundingRelative * (b.size + b.speed + (1.0 + pAbs) * b.bend);
        pointBase = kRoundingAbsolute + kRoundingRelative * (b.size + (1.0 + pAbs) * b.speed);
    }

    /// The part that depends on the line: its constant enters the size of the residual.
    void setLine(const NormalLine& line) {
        const double lineSize = kRoundingRelative * std::fabs(line.c);
        slopeRounding = slopeBase + lineSize;
        pointRounding = pointBase + lineSize;
        // Comparisons written so that a bound that is no number allows nothing.
        usable = halfBend < std::numeric_limits<double>::infinity() &&
                 slopeRounding < std::numeric_limits<double>::infinity() &&
                 pointRounding < std::numeric_limits<double>::infinity();
    }

    /// Evaluates point j at p with the slope of the residual there, into a.
    template <int I>
    void anchor(const CurveParams& c, const NormalLine& line, long j, double p, Anchor& a) const {
        double pt[2];
        double slope[2];
        kernels::pointSlopeAt<I>(c, p, pt, slope);
        const double g = residual(line, pt[0], pt[1]);
        const double dg = line.b * slope[0] - line.a * slope[1];
        a.point.p = p;
        a.point.g = g;
        a.point.X = pt[0];
        a.point.Y = pt[1];
        a.j = j;
        a.dg = dg;
        a.linear = slopeRounding + kRoundingRelative * std::fabs(dg);
        a.fixed = 2.0 * pointRounding + kRoundingRelative * std::fabs(g);
    }

    /// Bounds of g(q) - g(p) from one anchor: the slope of g between p and q differs from
    /// the anchor's by at most the bend times the distance from the anchor.
    void differenceBounds(const Anchor& a, double p, double q, double& lo, double& hi) const {
        const double dpq = q - p;
        const double adpq = std::fabs(dpq);
        const double up = std::fabs(p - a.point.p);
        const double uq = std::fabs(q - a.point.p);
        const double reach = up > uq ? up : uq;
        const double linear = a.dg * dpq;
        const double radius = (2.0 * halfBend * reach + a.linear) * adpq + 2.0 * pointRounding +
                              kRoundingRelative * std::fabs(linear);
        lo = linear - radius;
        hi = linear + radius;
    }

    /// Bounds of the residual at p from one anchor.
    void bounds(const Anchor& a, double p, double& lo, double& hi) const {
        const double dp = p - a.point.p;
        const double adp = std::fabs(dp);
        const double centre = a.point.g + a.dg * dp;
        const double radius = (halfBend * adp + a.linear) * adp + a.fixed;
        lo = centre - radius;
        hi = centre + radius;
    }
};

/// A point of the stepping, numbered from the start of the search: either evaluated, or
/// with its residual only bounded.
struct GridPoint {
    Probe probe{0.0, 0.0, 0.0, 0.0};
    long j = 0;
    bool exact = false;
    /// Bounds of the residual when it is not evaluated; both of one sign, clear of zero.
    double lo = 0.0, hi = 0.0;
};

/// True when the residual is evaluated, finite and not within the tolerance, or bounded.
inline bool clearOfZero(const GridPoint& point) {
    if (!point.exact) return true;
    const double m = std::fabs(point.probe.g);
    return m >= kReferenceTolerance && m <= std::numeric_limits<double>::max();
}

/// Sign of a residual that is clear of zero.
inline bool isNegative(const GridPoint& point) {
    return point.exact ? point.probe.g < 0.0 : point.hi < 0.0;
}

/// Residuals along the stepping: evaluated on demand, bounded where possible.
template <int I>
class ResidualGrid {
  public:
    ResidualGrid(const CurveParams& c, const NormalLine& line, const Allowance& allow,
                 long workLeft)
        : c_(c), line_(line), allow_(allow), workLeft_(workLeft) {}

    /// Steps taken and residuals evaluated: the work of the search on this grid.
    long work() const { return steps + kEvaluationWork * evaluations_ + kBoundWork * bounded_; }
    /// Steps the stepping may still take within the search's work.
    long stepsLeft() const { return workLeft_ - work(); }
    /// Steps of the stepping on this grid (written by stepOn).
    long steps = 0;
    /// Set when the stepping stopped at the end of the search's work, undecided.
    bool exhausted = false;

    void keep(const Anchor& a) {
        anchors_[next_] = a;
        next_ = next_ + 1 < kMaxAnchors ? next_ + 1 : 0;
        if (count_ < kMaxAnchors) ++count_;
    }

    /// Evaluates point j at p and keeps it to bound others.
    GridPoint evaluate(long j, double p) {
        ++evaluations_;
        Anchor a;
        allow_.template anchor<I>(c_, line_, j, p, a);
        keep(a);
        return exactPoint(a);
    }

    /// Point j at p: evaluated already, bounded clear of the tolerance, or evaluated now.
    GridPoint at(long j, double p) {
        for (int i = 0; i < count_; ++i) {
            if (anchors_[i].j == j) return exactPoint(anchors_[i]);
        }
        GridPoint point;
        point.probe.p = p;
        point.j = j;
        ++bounded_;
        if (bound(p, point.lo, point.hi)) return point;
        return evaluate(j, p);
    }

    /// True when the last evaluated point alone bounds the residual at p clear of zero on
    /// the given side (lo, hi: the bounds). The cheap test that decides most steps of a long
    /// stepping; a point it bounds has the sign that at() would give it.
    bool clearOnSide(double p, bool negative, double& lo, double& hi) const {
        if (count_ == 0 || !allow_.usable) return false;
        allow_.bounds(anchors_[next_ == 0 ? kMaxAnchors - 1 : next_ - 1], p, lo, hi);
        return negative ? hi < -kClear : lo > kClear;
    }

    /// Makes sure the point is evaluated.
    void settle(GridPoint& point) {
        if (!point.exact) point = evaluate(point.j, point.probe.p);
    }

    /// ga·gb < 0 for the two points, evaluating them only where their signs cannot tell.
    bool signsDiffer(GridPoint& a, GridPoint& b) {
        if (!(a.exact && b.exact) && clearOfZero(a) && clearOfZero(b)) {
            // Both at least the tolerance in size: the product neither underflows nor loses
            // its sign.
            return isNegative(a) != isNegative(b);
        }
        settle(a);
        settle(b);
        return a.probe.g * b.probe.g < 0.0;
    }

    /// |gb| < |ga|, evaluating the points only where their bounds cannot tell.
    bool isNearer(GridPoint& a, GridPoint& b) {
        if (!(a.exact && b.exact)) {
            double aLo = 0.0, aHi = 0.0, bLo = 0.0, bHi = 0.0;
            magnitudeBounds(a, aLo, aHi);
            magnitudeBounds(b, bLo, bHi);
            if (bHi < aLo) return true;
            if (bLo > aHi) return false;
            settle(a);
            settle(b);
        }
        return std::fabs(b.probe.g) < std::fabs(a.probe.g);
    }

  private:
    static GridPoint exactPoint(const Anchor& a) {
        GridPoint point;
        point.probe = a.point;
        point.j = a.j;
        point.exact = true;
        return point;
    }

    static void magnitudeBounds(const GridPoint& point, double& lo, double& hi) {
        if (point.exact) {
            lo = hi = std::fabs(point.probe.g);
        } else {
            const double u = std::fabs(point.lo);
            const double v = std::fabs(point.hi);
            lo = u < v ? u : v;
            hi = u < v ? v : u;
        }
    }

    /// Bounds of the residual at p from every anchor; true when they fix its sign clear of
    /// the tolerance.
    bool bound(double p, double& lo, double& hi) const {
        if (count_ == 0 || !allow_.usable) return false;
        allow_.bounds(anchors_[0], p, lo, hi);
        for (int i = 1; i < count_; ++i) {
            double l = 0.0, u = 0.0;
            allow_.bounds(anchors_[i], p, l, u);
            if (l > lo) lo = l;
            if (u < hi) hi = u;
        }
        if (!(lo <= hi)) return false;
        return lo > kClear || hi < -kClear;
    }

    const CurveParams& c_;
    NormalLine line_;
    const Allowance& allow_;
    Anchor anchors_[kMaxAnchors];
    int count_ = 0;
    int next_ = 0;
    long workLeft_;
    long evaluations_ = 0;
    long bounded_ = 0;
};

/// The secant iteration on a pair whose residuals differ in sign, one iteration at a time.
struct SecantIteration {
    Probe a, b;
    /// The last estimate: the answer once the iteration has ended.
    Probe last;
    int iteration;

    void start(const Probe& a0, const Probe& b0) {
        a = a0;
        b = b0;
        last = std::fabs(b0.g) < std::fabs(a0.g) ? b0 : a0;
        iteration = 0;
    }

    /// One iteration; false when the iteration has ended.
    template <int I>
    bool step(const CurveParams& c, const NormalLine& line) {
        // A flat secant has no root: the last estimate stands.
        if (iteration >= kSecantIterations || b.g == a.g) return false;
        const double p = a.p - a.g * (b.p - a.p) / (b.g - a.g);
        double X = 0.0;
        double Y = 0.0;
        kernels::pointAt<I>(c, p, X, Y);
        const double g = residual(line, X, Y);
        ++iteration;
        setProbe(last, p, g, X, Y);
        if (std::fabs(g) < kReferenceTolerance) return false;
        if (std::fabs(b.g) > std::fabs(a.g)) {
            setProbe(b, p, g, X, Y);
        } else {
            setProbe(a, p, g, X, Y);
        }
        return true;
    }
};

/// The whole secant iteration; returns the last estimate.
template <int I>
Probe secant(const CurveParams& c, const NormalLine& line, const Probe& a, const Probe& b) {
    SecantIteration s;
    s.start(a, b);
    while (s.template step<I>(c, line)) {
    }
    return s.last;
}

/// How a search ended.
enum class Outcome { kFound, kPathEnd, kUndecided };

/// The stepping from pa in steps of `step` (dj: the step number's change), on the grid
/// whose bounds cover every parameter it reaches.
template <int I>
Outcome stepOn(ResidualGrid<I>& grid, const CurveParams& c, const NormalLine& line, GridPoint pa,
               GridPoint pb, double step, long dj, double h, double pLimit, Probe& found) {
    // Forward the stepping ends at pLimit, backward just before parameter 0; the bound only
    // matters for inputs that are not numbers.
    double span = (pLimit - pa.probe.p + 2.0 * h + std::fabs(pa.probe.p)) / h + 3.0;
    if (!(span < kMaxSearchSteps)) span = kMaxSearchSteps;
    long maxSteps = static_cast<long>(span);
    // A search that would outrun the work left to its run ends undecided.
    const long stepsLeft = grid.stepsLeft();
    const bool capped = stepsLeft < maxSteps;
    if (capped) maxSteps = stepsLeft > 0 ? stepsLeft : 0;
    GridPoint last = pb;
    long& i = grid.steps;
    i = 0;
    while (i < maxSteps) {
        // A run of steps that the last evaluated point bounds on pa's side of zero ends
        // nothing: only their parameters are carried on, by the same additions.
        if (clearOfZero(pa)) {
            const bool negative = isNegative(pa);
            double q = pa.probe.p;
            long j = pa.j;
            double lo = 0.0, hi = 0.0;
            bool moved = false;
            bool ended = false;
            long leap = kFirstLeap;
            while (i < maxSteps) {
                const double p = q + step;
                if (p >= pLimit) return Outcome::kPathEnd;
                double pLo = 0.0, pHi = 0.0;
                if (!grid.clearOnSide(p, negative, pLo, pHi)) break;
                lo = pLo;
                hi = pHi;
                q = p;
                j += dj;
                ++i;
                moved = true;
                if (step < 0.0 && q + 2.0 * h < 0.0) {
                    ended = true;
                    break;
                }
                // Leaps of `leap` steps whose far end is bounded on the same side carry every
                // step between (the bound is convex on that side); only the end is checked. A
                // leap that lands bounded doubles, one that does not halves, down to none.
                while (leap >= kMinLeap) {
                    if (maxSteps - i < leap) {
                        leap /= 2;
                        continue;
                    }
                    const double r = kernels::addRepeatedly(q, step, leap);
                    if (r < pLimit && !(step < 0.0 && r + 2.0 * h < 0.0) &&
                        grid.clearOnSide(r, negative, pLo, pHi)) {
                        lo = pLo;
                        hi = pHi;
                        q = r;
                        j += leap * dj;
                        i += leap;
                        if (leap < kMaxLeap) leap *= 2;
                    } else {
                        leap /= 2;
                    }
                }
            }
            if (moved) {
                pa.probe.p = q;
                pa.j = j;
                pa.exact = false;
                pa.lo = lo;
                pa.hi = hi;
                last = pa;
            }
            if (ended || !(i < maxSteps)) break;
        }
        const double p = pa.probe.p + step;
        if (p >= pLimit) return Outcome::kPathEnd;
        pb = grid.at(pa.j + dj, p);
        last = pb;
        ++i;
        if (pb.exact && std::fabs(pb.probe.g) < kReferenceTolerance) break;
        if (grid.signsDiffer(pa, pb)) {
            grid.settle(pa);
            grid.settle(pb);
            found = secant<I>(c, line, pa.probe, pb.probe);
            return Outcome::kFound;
        }
        if (step < 0.0 && pb.probe.p + 2.0 * h < 0.0) break;
        pa = pb;
    }
    if (capped && !(i < maxSteps)) {
        grid.exhausted = true;
        return Outcome::kUndecided;
    }
    grid.settle(last);
    found = last.probe;
    return Outcome::kFound;
}

/// The stepping of the search from its start, bounding steps where it can.
template <int I>
Outcome stepFromStart(ResidualGrid<I>& grid, const CurveParams& c, const NormalLine& line,
                      double pStart, double h, double pLimit, Probe& found) {
    GridPoint pa = grid.at(0, pStart);
    if (pa.exact && std::fabs(pa.probe.g) < kReferenceTolerance) {
        found = pa.probe;
        return Outcome::kFound;
    }
    GridPoint pb = grid.at(1, pa.probe.p + h);
    if (grid.signsDiffer(pa, pb)) {
        grid.settle(pa);
        grid.settle(pb);
        found = secant<I>(c, line, pa.probe, pb.probe);
        return Outcome::kFound;
    }
    if (grid.isNearer(pa, pb)) return stepOn<I>(grid, c, line, pb, pb, h, 1, h, pLimit, found);
    // Backward the stepping leaves the interval the grid's bounds cover: it gets a grid of
    // its own, bounded down to where it stops (a few steps below 0), from pa evaluated.
    const double low = (pa.probe.p < 0.0 ? pa.probe.p : 0.0) - kBackwardMarginSteps * h;
    const double aLow = std::fabs(low);
    const double aHigh = std::fabs(pLimit);
    Allowance allow;
    allow.setCurve(kernels::derivativeBoundsAt<I>(c, low, pLimit), aLow > aHigh ? aLow : aHigh);
    allow.setLine(line);
    ResidualGrid<I> back(c, line, allow, grid.stepsLeft());
    back.settle(pa);
    const Outcome outcome = stepOn<I>(back, c, line, pa, pb, -h, -1, h, pLimit, found);
    grid.steps += back.work();
    grid.exhausted = back.exhausted;
    return outcome;
}

/// One search of a pair that run side by side: the vehicle's position and heading, the
/// start of the stepping and the reference point to update; the result dd.
struct SearchLane {
    double x = 0.0, y = 0.0, theta = 0.0, pStart = 0.0;
    ReferencePoint* ref = nullptr;
    double dd = 0.0;
    /// Whether ref.s follows the reference point: nothing reads it for the vehicle without
    /// FBC, whose reference point may jump over the whole path.
    bool tracksArcLength = true;
    /// Work the search may spend (steps, residuals and panels of the arc length), and the
    /// work it spent.
    long workLeft = std::numeric_limits<long>::max();
    long work = 0;
    /// Set when the search ended at the end of its work, without an answer (ref and dd stay
    /// as they were).
    bool exhausted = false;
};

/// Where a search stands.
enum class Stage { kLead, kBefore, kNext, kSecant, kGeneral, kFound, kPathEnd, kUndecided };

/// The work of one search. The numbers are written before they are read, so that only the
/// flags are set up front.
struct LaneWork {
    NormalLine line;
    double cosTheta, sinTheta;
    Allowance allow;
    double stepParam[kMaxLeadSteps + 1];
    long lead;
    Anchor e, f;
    bool hasE = false, hasF = false;
    Stage stage = Stage::kGeneral;
    Probe found;
    SecantIteration secant;
};

/// The usual search, after the step nearest the previous reference point (the lead step) has
/// been evaluated: the answer lies a step or two beyond it and every step before it has the
/// same sign. The steps before the lead step are bounded from it (the lower bound is concave
/// and the upper bound convex on either side of the anchor, so the two ends of a run decide
/// the run). Sets the stage the search goes on with.
inline void decideAtLead(LaneWork& w, double h, double pLimit) {
    const Allowance& allow = w.allow;
    const Anchor& e = w.e;
    const double* stepParam = w.stepParam;
    const long lead = w.lead;
    w.stage = Stage::kGeneral;
    if (!allow.usable) return;

    // Steps 0 to lead - 1 all lie before the anchor, where the lower bound is concave and the
    // upper bound convex: the two ends of the run decide the sign of every step in it.
    double lo0 = 0.0, hi0 = 0.0, loEnd = 0.0, hiEnd = 0.0;
    allow.bounds(e, stepParam[0], lo0, hi0);
    allow.bounds(e, stepParam[lead - 1], loEnd, hiEnd);
    bool negative = false;
    if (lo0 > kClear && loEnd > kClear) {
        negative = false;
    } else if (hi0 < -kClear && hiEnd < -kClear) {
        negative = true;
    } else {
        return;
    }
    // Step 1 nearer zero than step 0 (the stepping goes forward): from the bounds of their
    // difference, or else from the bounds of the two.
    double loDiff = 0.0, hiDiff = 0.0;
    allow.differenceBounds(e, stepParam[0], stepParam[1], loDiff, hiDiff);
    if (!(negative ? loDiff > 0.0 : hiDiff < 0.0)) {
        double lo1 = 0.0, hi1 = 0.0;
        allow.bounds(e, stepParam[1], lo1, hi1);
        if (!(negative ? lo1 > hi0 : hi1 < lo0)) return;
    }
    // The forward stepping from step 1 reaches the lead step and the one after it within its
    // bound on steps, (pLimit - p1 + 2h + |p1|) / h + 3. That is clear without the division
    // when the numerator exceeds (lead - 2)·h with room for rounding.
    const double p1 = stepParam[1];
    const double reach = pLimit - p1 + 2.0 * h + std::fabs(p1);
    long maxSteps = lead + 1;
    if (!(reach >= static_cast<double>(lead - 2) * h * kReachMargin)) {
        double span = reach / h + 3.0;
        if (!(span < kMaxSearchSteps)) span = kMaxSearchSteps;
        maxSteps = static_cast<long>(span);
    }
    if (lead - 1 > maxSteps) return;

    // The lead step itself.
    const double gLead = e.point.g;
    if (std::fabs(gLead) < kReferenceTolerance) {
        w.found = e.point;
        w.stage = Stage::kFound;
        return;
    }
    if (!(std::fabs(gLead) <= std::numeric_limits<double>::max())) return;
    if ((gLead < 0.0) != negative) {
        w.stage = Stage::kBefore;  // the sign changed within the last step
        return;
    }
    // The residual keeps its sign: the answer usually lies within the next step.
    if (lead - 1 >= maxSteps) {
        w.found = e.point;
        w.stage = Stage::kFound;
        return;
    }
    w.stage = stepParam[lead] + h >= pLimit ? Stage::kPathEnd : Stage::kNext;
}

/// findReferencePoint on curve I for n searches (one or two) at once. Each search depends
/// only on its own inputs, so they are carried through their stages side by side. The
/// memos hold the heading's sine and cosine, the reference point's steering angle and the
/// circle's curvature.
template <int I>
void findReferences(const Model& model, SearchLane* lanes, int n, SinCosCache& headings,
                    ScalarMemo& atanReference, ScalarMemo& circleCurvature) {
    constexpr int kMaxLanes = 2;
    if (n > kMaxLanes) n = kMaxLanes;
    const CurveParams& c = model.settings.curve;
    const double pEnd = model.path.pathEndParam[I];
    const double pLimit = pEnd + kSearchOvershoot;
    double h = pEnd / kSearchDivisions;
    if (h > kSearchStepCap) h = kSearchStepLong;
    if (!(h >= kSearchStepMin)) h = kSearchStepMin;
    LaneWork work[kMaxLanes];

    // The curve's bounds over the union of the lanes' intervals serve each lane.
    double pLow = pLimit;
    for (int k = 0; k < n; ++k) {
        if (lanes[k].pStart < pLow) pLow = lanes[k].pStart;
    }
    const kernels::CurveBounds bounds = kernels::derivativeBoundsAt<I>(c, pLow, pLimit);
    const double aLow = std::fabs(pLow);
    const double aHigh = std::fabs(pLimit);
    const double pAbs = aLow > aHigh ? aLow : aHigh;

    // The line of each vehicle and the step nearest its previous reference point.
    for (int k = 0; k < n; ++k) {
        const SearchLane& lane = lanes[k];
        LaneWork& w = work[k];
        // A start beyond the limit (or no start at all) evaluates no residual.
        if (!(lane.pStart < pLimit) || !std::isfinite(lane.pStart)) {
            w.stage = Stage::kPathEnd;
            continue;
        }
        headings.get(lane.theta, w.sinTheta, w.cosTheta);
        w.line = NormalLine{w.sinTheta, -w.cosTheta, lane.x * w.cosTheta + lane.y * w.sinTheta};
        w.allow.setCurve(bounds, pAbs);
        w.allow.setLine(w.line);
        w.stepParam[0] = lane.pStart;
        const double lead = (lane.ref->p - lane.pStart) / h;
        w.stage = Stage::kGeneral;
        if (lead >= 1.5 && lead < static_cast<double>(kMaxLeadSteps)) {
            // The parameters of the steps come from the same repeated additions as the
            // stepping makes.
            w.lead = static_cast<long>(lead + 0.5);
            for (long j = 0; j < w.lead; ++j)
                w.stepParam[j + 1] = w.stepParam[j] + h;
            if (w.stepParam[w.lead] < pLimit) w.stage = Stage::kLead;
        }
    }
    for (int k = 0; k < n; ++k) {
        LaneWork& w = work[k];
        if (w.stage != Stage::kLead) continue;
        w.allow.template anchor<I>(c, w.line, w.lead, w.stepParam[w.lead], w.e);
        w.hasE = true;
    }
    for (int k = 0; k < n; ++k) {
        if (work[k].stage == Stage::kLead) decideAtLead(work[k], h, pLimit);
    }
    // The second evaluation: the step before the lead step, or the one after it.
    for (int k = 0; k < n; ++k) {
        LaneWork& w = work[k];
        if (w.stage == Stage::kBefore) {
            w.secant.start(probe<I>(c, w.line, w.stepParam[w.lead - 1]), w.e.point);
            w.stage = Stage::kSecant;
        } else if (w.stage == Stage::kNext) {
            w.allow.template anchor<I>(c, w.line, w.lead + 1, w.stepParam[w.lead] + h, w.f);
            w.hasF = true;
            if (std::fabs(w.f.point.g) < kReferenceTolerance) {
                w.found = w.f.point;
                w.stage = Stage::kFound;
            } else if (w.e.point.g * w.f.point.g < 0.0) {
                w.secant.start(w.e.point, w.f.point);
                w.stage = Stage::kSecant;
            } else {
                w.stage = Stage::kGeneral;
            }
        }
    }
    for (bool active = true; active;) {
        active = false;
        for (int k = 0; k < n; ++k) {
            LaneWork& w = work[k];
            if (w.stage != Stage::kSecant) continue;
            if (w.secant.template step<I>(c, w.line)) {
                active = true;
            } else {
                w.found = w.secant.last;
                w.stage = Stage::kFound;
            }
        }
    }
    // Anything else: the stepping from the start, with the points evaluated so far.
    for (int k = 0; k < n; ++k) {
        LaneWork& w = work[k];
        if (w.stage != Stage::kGeneral) continue;
        ResidualGrid<I> grid(c, w.line, w.allow, lanes[k].workLeft - lanes[k].work);
        if (w.hasE) grid.keep(w.e);
        if (w.hasF) grid.keep(w.f);
        const Outcome outcome =
            stepFromStart<I>(grid, c, w.line, lanes[k].pStart, h, pLimit, w.found);
        lanes[k].work += grid.work();
        w.stage = outcome == Outcome::kPathEnd ? Stage::kPathEnd : Stage::kFound;
        if (grid.exhausted) w.stage = Stage::kUndecided;
    }

    for (int k = 0; k < n; ++k) {
        SearchLane& lane = lanes[k];
        LaneWork& w = work[k];
        ReferencePoint& ref = *lane.ref;
        if (w.stage == Stage::kUndecided) {
            lane.exhausted = true;
            continue;
        }
        if (w.stage == Stage::kPathEnd || !(w.found.p < pLimit)) {
            // A vehicle beyond the path end is measured against the end point.
            const PathEnd& end = model.path.pathEnd[I];
            ref = model.path.pathEndReference[I];
            const double dx = lane.x - end.x;
            const double dy = lane.y - end.y;
            lane.dd = std::sqrt(dx * dx + dy * dy);
            continue;
        }
        const Probe& found = w.found;
        lane.dd = std::fabs(w.cosTheta) > kSteepHeadingCosine ? (found.Y - lane.y) / (-w.cosTheta)
                                                              : (found.X - lane.x) / w.sinTheta;
        if (lane.tracksArcLength) {
            // The length from the old reference point costs a panel per kSimpsonPanel.
            const double panels = std::fabs(found.p - ref.p) / kSimpsonPanel;
            // The circle's panels are sums of one value, added in runs.
            const double cost = I == kernels::kUniformCurve ? kUniformSumWork : kPanelWork * panels;
            if (!(cost < static_cast<double>(lane.workLeft - lane.work))) {
                lane.exhausted = true;
                continue;
            }
            lane.work += static_cast<long>(cost);
            ref.s = ref.s + arcLengthOn<I>(c, ref.p, found.p);
        }
        double heading = 0.0;
        double kappa = 0.0;
        if constexpr (I == kernels::kUniformCurve) {
            // The same tangent angle, and the curvature kept by the radius.
            heading =
                c.ySign * (found.p + kernels::radiusToTangent(c, found.p, I, kernels::Radial{}));
            kappa = circleCurvature.get(c.circleR,
                                        [&](double) { return kernels::uniformCurvature(c); });
        } else {
            kernels::headingCurvatureAt<I>(c, found.p, heading, kappa);
        }
        ref.theta = heading;
        ref.x = found.X;
        ref.y = found.Y;
        ref.kappa = kappa;
        ref.phi = atanReference.atan(model.settings.tread * ref.kappa);
        ref.p = found.p;
    }
}

}  // namespace search
}  // namespace agv
