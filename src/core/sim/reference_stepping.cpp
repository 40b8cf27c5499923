// The reference point search as it is written, every step evaluated: step along the curve
// parameter until the residual changes sign, then the secant method. findReferencePoint
// (reference_search.h) gives the same results and is what the integrator runs.
#include <cmath>

#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/feedback.h"
#include "sim/model.h"

namespace agv {

namespace {

/// Most steps of the stepping when nothing else bounds it.
constexpr double kMaxSteps = 1e7;
/// Below this |cos θ| the lateral offset is measured along x instead of y.
constexpr double kSteepHeadingCosine = 0.1;

/// The residual g(p) = b·X - a·Y + c at p, with the path point (X, Y).
struct Probe {
    double p, g, X, Y;
};

struct Stepping {
    const Model& model;
    int I;
    double a, b, c;

    Probe at(double p) const {
        double pt[2];
        curvePoint(model, p, I, pt);
        return {p, b * pt[0] - a * pt[1] + c, pt[0], pt[1]};
    }

    /// The secant iteration between two residuals of opposite sign.
    Probe secant(Probe pa, Probe pb) const {
        Probe last = std::fabs(pb.g) < std::fabs(pa.g) ? pb : pa;
        for (int k = 0; k < kSecantIterations && pb.g != pa.g; ++k) {
            last = at(pa.p - pa.g * (pb.p - pa.p) / (pb.g - pa.g));
            if (std::fabs(last.g) < kReferenceTolerance) break;
            (std::fabs(pb.g) > std::fabs(pa.g) ? pb : pa) = last;
        }
        return last;
    }

    /// The answer, or false when the search ends at the path end.
    bool find(double pStart, double pLimit, double h, Probe& found) const {
        if (!(pStart < pLimit) || !std::isfinite(pStart)) return false;
        Probe pa = at(pStart);
        if (std::fabs(pa.g) < kReferenceTolerance) return found = pa, true;
        Probe pb = at(pa.p + h);
        if (pa.g * pb.g < 0.0) return found = secant(pa, pb), true;
        // Step the way the residual shrinks.
        double step = -h;
        if (std::fabs(pb.g) < std::fabs(pa.g)) step = h, pa = pb;
        double span = (pLimit - pa.p + 2.0 * h + std::fabs(pa.p)) / h + 3.0;
        if (!(span < kMaxSteps)) span = kMaxSteps;
        found = pb;
        for (long i = 0; i < static_cast<long>(span); ++i) {
            const double p = pa.p + step;
            if (p >= pLimit) return false;
            found = pb = at(p);
            if (std::fabs(pb.g) < kReferenceTolerance) break;
            if (pa.g * pb.g < 0.0) return found = secant(pa, pb), true;
            if (step < 0.0 && pb.p + 2.0 * h < 0.0) break;
            pa = pb;
        }
        return true;
    }
};

}  // namespace

double findReferencePointByStepping(const Model& model, int I, double x, double y, double theta,
                                    double pStart, ReferencePoint& ref) {
    const double pEnd = model.path.pathEndParam[I];
    const double pLimit = pEnd + kSearchOvershoot;
    double h = pEnd / kSearchDivisions;
    if (h > kSearchStepCap) h = kSearchStepLong;
    if (!(h >= kSearchStepMin)) h = kSearchStepMin;
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    const Stepping search{model, I, sn, -cs, x * cs + y * sn};
    Probe f{};
    if (!search.find(pStart, pLimit, h, f) || !(f.p < pLimit)) {
        // A vehicle beyond the path end is measured against the end point.
        const PathEnd& end = model.path.pathEnd[I];
        ref = model.path.pathEndReference[I];
        const double dx = x - end.x;
        const double dy = y - end.y;
        return std::sqrt(dx * dx + dy * dy);
    }
    const double dd = std::fabs(cs) > kSteepHeadingCosine ? (f.Y - y) / (-cs) : (f.X - x) / sn;
    double d[3];
    curveTangent(model, f.p, I, d);
    ref.s = ref.s + arcLength(model, ref.p, f.p, I);
    ref.theta = d[2];
    ref.x = f.X;
    ref.y = f.Y;
    ref.kappa = curveCurvature(model, f.p, I);
    ref.phi = std::atan(model.settings.tread * ref.kappa);
    ref.p = f.p;
    return dd;
}

}  // namespace agv
