#include "path/arc_length.h"

#include <cmath>
#include <limits>

#include "app/context.h"
#include "path/curves.h"
#include "path/length_bound.h"

namespace agv {

namespace {

/// Tolerance of the inverse mapping [m of arc length, and parameter units].
constexpr double kArcTolerance = 1e-7;
/// The table continues beyond the path end up to this multiple of the end parameter.
constexpr double kTableReach = 1.5;
/// Most secant iterations of the inverse mapping.
constexpr int kSecantIterations = 100;
/// Most forward steps of the inverse mapping.
constexpr int kMaxSearchSteps = 1000000;
/// The forward search also gives up this far (parameter units) past the table's reach.
constexpr double kSearchMargin = 1.0;

}  // namespace

double arcLength(const AgvContext& ctx, double p0, double p1, int curveNumber) {
    const double length = p1 - p0;
    double h = 0.0;
    int n = 0;
    if (!arcLengthPanels(length, h, n)) {
        if (std::isfinite(length)) return 0.0;
        return isCurveNumber(curveNumber) ? length : 0.0;
    }
    return speedIntegral(ctx, p0, h, n, curveNumber);
}

void setupPath(AgvContext& ctx, int curveNumber) {
    if (!isCurveNumber(curveNumber)) return;
    const int I = curveNumber;
    PathTables& t = ctx.path;
    prepareCurve(ctx, I);
    // A table built from the old constants no longer describes this curve.
    if (t.arcTable.curveNumber == I) {
        t.arcTable.curveNumber = 0;
        t.arcTable.count = 0;
    }
    const double pEnd = t.pathEndParam[I];
    // A path far longer than the store gets a lower bound, not a sum that could run long.
    const auto bound =
        pathLengthLowerBound(ctx.settings.curve, I, pEnd, kMaxRecords * ctx.settings.stepLength);
    const double sf = bound ? *bound : arcLength(ctx, 0.0, pEnd, I);
    t.pathEnd[I].sf = sf;
    const double kappaEnd = curveCurvature(ctx, pEnd, I);
    const PathEnd& end = t.pathEnd[I];
    ReferencePoint& ref = t.pathEndReference[I];
    ref.s = sf;
    ref.theta = end.theta;
    ref.x = end.x;
    ref.y = end.y;
    ref.phi = std::atan(ctx.settings.tread * kappaEnd);
    ref.kappa = kappaEnd;
    ref.p = pEnd;
}

void buildArcTable(AgvContext& ctx, int curveNumber) {
    if (!isCurveNumber(curveNumber)) return;
    const int I = curveNumber;
    ArcTable& table = ctx.path.arcTable;
    const double pEnd = ctx.path.pathEndParam[I];
    table.curveNumber = I;
    table.entry[0] = {0.0, 0.0};
    double p = 0.0;
    double s = 0.0;
    int j = 0;
    for (;;) {
        j = j + 1;
        if (j >= kArcTableCapacity) {
            // The parameter range needs more entries than the table holds: it stops
            // short of the path end, and the inverse mapping steps on from its last entry.
            table.count = kArcTableCapacity;
            return;
        }
        const double pn = p + kArcTableStep;
        if (pn > pEnd) break;
        s = s + arcLength(ctx, p, pn, I);
        table.entry[j] = {pn, s};
        p = pn;
    }
    s = s + arcLength(ctx, p, pEnd, I);
    table.entry[j] = {pEnd, s};
    p = pEnd;
    const double pMax = kTableReach * pEnd;
    for (;;) {
        j = j + 1;
        const double pn = p + kArcTableStep;
        if (pn > pMax) break;
        if (j >= kArcTableCapacity) break;
        s = s + arcLength(ctx, p, pn, I);
        table.entry[j] = {pn, s};
        p = pn;
    }
    table.count = j;
}

double paramAtArcLength(const AgvContext& ctx, double pGuess, double s, int curveNumber) {
    if (!isCurveNumber(curveNumber)) return 0.0;
    const int I = curveNumber;
    const PathTables& t = ctx.path;
    if (I == 15) return circleParamAtArcLength(ctx.settings.curve, s);
    if (s == 0.0) return 0.0;
    const double pEnd = t.pathEndParam[I];
    if (s >= t.pathEnd[I].sf - kArcTolerance) return pEnd;

    // Start from the last table entry below s, found forward from the guess; without a
    // table of this curve, from the path start.
    double p0 = 0.0;
    double s0 = 0.0;
    const ArcTable& table = t.arcTable;
    const double first = std::trunc(pGuess / kArcTableStep);
    if (first > 0.0 && table.curveNumber == I && table.count >= 2) {
        const int last = table.count - 1;
        int j = first < static_cast<double>(last) ? static_cast<int>(first) : last;
        while (j < last && s > table.entry[j][1])
            ++j;
        p0 = table.entry[j - 1][0];
        s0 = table.entry[j - 1][1];
    }
    if (std::fabs(s - s0) < kArcTolerance) return p0;

    // Step forward until the residual changes sign. The answer of any s below sf lies
    // before the path end, so the search gives up beyond the table's reach (a guess past
    // the answer, a negative or non-finite s) and returns where it stopped.
    const double stepLimit = kTableReach * std::fabs(pEnd) + kSearchMargin;
    double f0 = s0 - s;
    double p1 = p0;
    double f1 = f0;
    for (int step = 0;; ++step) {
        p1 = p0 + kArcTableStep;
        f1 = f0 + arcLength(ctx, p0, p1, I);
        if (std::fabs(f1) < kArcTolerance) return p1;
        if (!(f0 * f1 > 0.0)) break;
        if (!(p1 <= stepLimit) || step >= kMaxSearchSteps) return p1;
        p0 = p1;
        f0 = f1;
    }

    // Secant iteration between p0 and p1, a bounded number of times; when the residuals
    // of both ends are equal no secant exists. Either way the end nearer the answer is
    // the best estimate.
    for (int iteration = 0; iteration < kSecantIterations; ++iteration) {
        if (f1 == f0) break;
        const double pm = p0 - f0 * (p1 - p0) / (f1 - f0);
        const double fm = f0 + arcLength(ctx, p0, pm, I);
        if (std::fabs(fm) < kArcTolerance || std::fabs(pm - p0) < kArcTolerance ||
            std::fabs(pm - p1) < kArcTolerance) {
            return pm;
        }
        if (std::fabs(f1) > std::fabs(f0)) {
            p1 = pm;
            f1 = fm;
        } else {
            p0 = pm;
            f0 = fm;
        }
    }
    return std::fabs(f1) < std::fabs(f0) ? p1 : p0;
}

}  // namespace agv
