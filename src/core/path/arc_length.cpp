#include "path/arc_length.h"

#include <cmath>
#include <limits>

#include "path/curves.h"
#include "path/length_bound.h"
#include "sim/model.h"
#include "sim/trajectory_store.h"

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
/// No step of the table.
constexpr size_t kNoStep = static_cast<size_t>(-1);
/// Most steps beyond a table cut short whose lengths are kept (about 2 MB).
constexpr int kMaxKeptSteps = 1 << 17;

/// Where the forward search of paramAtArcLength gives up.
double stepLimitOf(double pEnd) {
    return kTableReach * std::fabs(pEnd) + kSearchMargin;
}

/// The steps beyond a table cut short, from its last entry to the search's limit: the same
/// parameters and lengths the stepping of paramAtArcLength would compute.
void keepStepsBeyond(const Model& model, int I, ArcTable& table) {
    const double stepLimit = stepLimitOf(model.path.pathEndParam[I]);
    double p0 = table.entry[table.count - 1][0];
    if (!(p0 <= stepLimit)) return;
    for (int step = 0; step < kMaxKeptSteps; ++step) {
        const double p1 = p0 + kArcTableStep;
        table.stepParam.push_back(p1);
        table.stepLength.push_back(arcLength(model, p0, p1, I));
        if (!(p1 <= stepLimit)) return;
        p0 = p1;
    }
}

}  // namespace

double arcLength(const Model& model, double p0, double p1, int curveNumber) {
    const double length = p1 - p0;
    double h = 0.0;
    int n = 0;
    if (!arcLengthPanels(length, h, n)) {
        if (std::isfinite(length)) return 0.0;
        return isCurveNumber(curveNumber) ? length : 0.0;
    }
    return speedIntegral(model, p0, h, n, curveNumber);
}

void setupPath(Model& model, int curveNumber) {
    if (!isCurveNumber(curveNumber)) return;
    const int I = curveNumber;
    PathTables& t = model.path;
    prepareCurve(model, I);
    // A table built from the old constants no longer describes this curve.
    if (t.arcTable.curveNumber == I) {
        t.arcTable.curveNumber = 0;
        t.arcTable.count = 0;
    }
    const double pEnd = t.pathEndParam[I];
    // A path far longer than the store gets a lower bound, not a sum that could run long.
    const double sf = pathLengthForCheck(model, I, pEnd, kMaxRecords * model.settings.stepLength);
    t.pathEnd[I].sf = sf;
    const double kappaEnd = curveCurvature(model, pEnd, I);
    const PathEnd& end = t.pathEnd[I];
    ReferencePoint& ref = t.pathEndReference[I];
    ref.s = sf;
    ref.theta = end.theta;
    ref.x = end.x;
    ref.y = end.y;
    ref.phi = std::atan(model.settings.tread * kappaEnd);
    ref.kappa = kappaEnd;
    ref.p = pEnd;
}

void buildArcTable(Model& model, int curveNumber) {
    if (!isCurveNumber(curveNumber)) return;
    const int I = curveNumber;
    ArcTable& table = model.path.arcTable;
    const double pEnd = model.path.pathEndParam[I];
    table.curveNumber = I;
    table.stepParam.clear();
    table.stepLength.clear();
    table.pathEndStep = kNoStep;
    table.stepBlocks.clear();
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
            keepStepsBeyond(model, I, table);
            table.stepBlocks.build(table.stepLength.data(), table.stepParam.data(),
                                   table.stepLength.size(), stepLimitOf(pEnd));
            return;
        }
        const double pn = p + kArcTableStep;
        if (pn > pEnd) break;
        const double length = arcLength(model, p, pn, I);
        s = s + length;
        table.entry[j] = {pn, s};
        table.stepParam.push_back(pn);
        table.stepLength.push_back(length);
        p = pn;
    }
    s = s + arcLength(model, p, pEnd, I);
    table.entry[j] = {pEnd, s};
    table.pathEndStep = table.stepLength.size();
    table.stepParam.push_back(pEnd);
    table.stepLength.push_back(std::numeric_limits<double>::quiet_NaN());
    p = pEnd;
    const double pMax = kTableReach * pEnd;
    for (;;) {
        j = j + 1;
        const double pn = p + kArcTableStep;
        if (pn > pMax) break;
        if (j >= kArcTableCapacity) break;
        const double length = arcLength(model, p, pn, I);
        s = s + length;
        table.entry[j] = {pn, s};
        table.stepParam.push_back(pn);
        table.stepLength.push_back(length);
        p = pn;
    }
    table.count = j;
}

double paramAtArcLength(const Model& model, double pGuess, double s, int curveNumber,
                        long* panels) {
    // Panels of one step beyond the table or of one secant iteration: at most this many.
    const long panelsPerSum = static_cast<long>(kArcTableStep / kSimpsonPanel) + 1;
    long sums = 0;
    const auto counted = [&](double p) {
        if (panels != nullptr) *panels += sums * panelsPerSum;
        return p;
    };
    if (!isCurveNumber(curveNumber)) return 0.0;
    const int I = curveNumber;
    const PathTables& t = model.path;
    if (I == 15) return circleParamAtArcLength(model.settings.curve, s);
    if (s == 0.0) return 0.0;
    const double pEnd = t.pathEndParam[I];
    if (s >= t.pathEnd[I].sf - kArcTolerance) return pEnd;
    // The square's parameter is its arc length.
    if (I == kernels::kSquareCurve) return s;

    // Start from the last table entry below s, found forward from the guess; without a
    // table of this curve, from the path start.
    double p0 = 0.0;
    double s0 = 0.0;
    const ArcTable& table = t.arcTable;
    // The next step while the steps follow the table's (kNoStep: they do not).
    size_t c = kNoStep;
    const bool hasTable = table.curveNumber == I && table.count >= 2;
    const double first = std::trunc(pGuess / kArcTableStep);
    if (first > 0.0 && hasTable) {
        const int last = table.count - 1;
        int j = first < static_cast<double>(last) ? static_cast<int>(first) : last;
        while (j < last && s > table.entry[j][1])
            ++j;
        p0 = table.entry[j - 1][0];
        s0 = table.entry[j - 1][1];
        c = static_cast<size_t>(j - 1);
    } else if (hasTable) {
        c = 0;
    }
    // The known steps run up to the path end's (not a whole step) or to the last kept one.
    const size_t kept = table.stepLength.size();
    const size_t known =
        c <= table.pathEndStep && table.pathEndStep < kept ? table.pathEndStep : kept;
    if (std::fabs(s - s0) < kArcTolerance) return p0;

    // Step forward until the residual changes sign. The answer of any s below sf lies
    // before the path end, so the search gives up beyond the table's reach (a guess past
    // the answer, a negative or non-finite s) and returns where it stopped.
    const double stepLimit = stepLimitOf(pEnd);
    double f0 = s0 - s;
    double p1 = p0;
    double f1 = f0;
    for (int step = 0;; ++step) {
        // Up to the start of the next block, the steps the table has made that keep the residual
        // negative and clear of the tolerance (within the step limits) end nothing: a short loop
        // adds them, as the loop below would.
        if (c < known && f0 < -kArcTolerance) {
            const size_t blockEnd = (c + BlockedSum::kBlockSteps - 1) / BlockedSum::kBlockSteps *
                                    BlockedSum::kBlockSteps;
            const size_t stop = blockEnd < known ? blockEnd : known;
            while (c < stop && step < kMaxSearchSteps) {
                const double f = f0 + table.stepLength[c];
                if (!(f < -kArcTolerance) || !(table.stepParam[c] <= stepLimit)) break;
                p0 = table.stepParam[c];
                f0 = f;
                ++c;
                ++step;
            }
        }
        if (c < known) {
            // Whole blocks of steps that keep the residual negative in its binade (far from
            // zero, within the step limits) are added at once, to the same bits.
            const size_t room = static_cast<size_t>(kMaxSearchSteps - step);
            const size_t end = known - c > room ? c + room : known;
            const size_t skipped = table.stepBlocks.skip(c, end, f0);
            if (skipped > 0) {
                c += skipped;
                step += static_cast<int>(skipped);
                p0 = table.stepParam[c - 1];
            }
        }
        // A step the table has made is added as the table computed it.
        if (c < known) {
            p1 = table.stepParam[c];
            f1 = f0 + table.stepLength[c];
            ++c;
        } else {
            p1 = p0 + kArcTableStep;
            f1 = f0 + arcLength(model, p0, p1, I);
            ++sums;
            c = kNoStep;
        }
        if (std::fabs(f1) < kArcTolerance) return counted(p1);
        if (!(f0 * f1 > 0.0)) break;
        if (!(p1 <= stepLimit) || step >= kMaxSearchSteps) return counted(p1);
        p0 = p1;
        f0 = f1;
    }

    // Secant iteration between p0 and p1, a bounded number of times; when the residuals
    // of both ends are equal no secant exists. Either way the end nearer the answer is
    // the best estimate.
    for (int iteration = 0; iteration < kSecantIterations; ++iteration) {
        if (f1 == f0) break;
        const double pm = p0 - f0 * (p1 - p0) / (f1 - f0);
        const double fm = f0 + arcLength(model, p0, pm, I);
        ++sums;
        if (std::fabs(fm) < kArcTolerance || std::fabs(pm - p0) < kArcTolerance ||
            std::fabs(pm - p1) < kArcTolerance) {
            return counted(pm);
        }
        if (std::fabs(f1) > std::fabs(f0)) {
            p1 = pm;
            f1 = fm;
        } else {
            p0 = pm;
            f0 = fm;
        }
    }
    return counted(std::fabs(f1) < std::fabs(f0) ? p1 : p0);
}

}  // namespace agv
