#include "sim/feedback.h"

#include <cmath>

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

    Probe found;
    Probe pa = probe(ctx, curveNumber, line, pStart);
    if (std::fabs(pa.g) < kReferenceTolerance) {
        found = pa;
    } else {
        Probe pb = probe(ctx, curveNumber, line, pa.p + h);
        if (pa.g * pb.g < 0.0) {
            found = secant(ctx, curveNumber, line, pa, pb);
        } else {
            double step = -h;
            if (std::fabs(pb.g) < std::fabs(pa.g)) {
                step = h;
                pa = pb;
            }
            // Forward the stepping ends at pLimit, backward just before parameter 0;
            // the bound only matters for inputs that are not numbers.
            double span = (pLimit - pa.p + 2.0 * h + std::fabs(pa.p)) / h + 3.0;
            if (!(span < kMaxSearchSteps)) span = kMaxSearchSteps;
            const long maxSteps = static_cast<long>(span);
            found = pb;
            for (long i = 0; i < maxSteps; ++i) {
                const double p = pa.p + step;
                if (p >= pLimit) return takePathEnd(ctx, curveNumber, x, y, ref);
                pb = probe(ctx, curveNumber, line, p);
                found = pb;
                if (std::fabs(pb.g) < kReferenceTolerance) break;
                if (pa.g * pb.g < 0.0) {
                    found = secant(ctx, curveNumber, line, pa, pb);
                    break;
                }
                if (step < 0.0 && pb.p + 2.0 * h < 0.0) break;
                pa = pb;
            }
        }
    }

    if (!(found.p < pLimit)) return takePathEnd(ctx, curveNumber, x, y, ref);

    const double dd = std::fabs(cosTheta) > kSteepHeadingCosine ? (found.Y - y) / (-cosTheta)
                                                                : (found.X - x) / sinTheta;
    ref.s = ref.s + arcLength(ctx, ref.p, found.p, curveNumber);
    double d[3];
    curveTangent(ctx, found.p, curveNumber, d);
    ref.theta = d[2];
    ref.x = found.X;
    ref.y = found.Y;
    ref.kappa = curveCurvature(ctx, found.p, curveNumber);
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
