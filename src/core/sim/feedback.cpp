#include "sim/feedback.h"

#include <cmath>

#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/model.h"
#include "sim/reference_search.h"

namespace agv {

namespace {

/// The real pole of the type 1 design lies at ωn / (4ζ).
constexpr double kType1PoleDivisor = 4.0;

/// A correction that is no number (gains times errors that overflow, as on a path of no
/// length) acts as none.
double numberOrNone(double u) {
    return std::isnan(u) ? 0.0 : u;
}

}  // namespace

void designGains(Model& model) {
    model.gains = designedGains(model.settings);
}

FeedbackGains designedGains(const SimulationSettings& set) {
    FeedbackGains g;
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
    return g;
}

double headingNormalResidual(const Model& model, int curveNumber, double a, double b, double c,
                             double p) {
    double pt[2];
    curvePoint(model, p, curveNumber, pt);
    return search::residual(search::NormalLine{a, b, c}, pt[0], pt[1]);
}

namespace {

/// The reference point searches of lanes[0..n-1] on curve I, with the memos of the heading's
/// sine and cosine and of the reference point's steering angle.
void searchReferences(const Model& model, int curveNumber, search::SearchLane* lanes, int n,
                      SinCosCache& headings, ScalarMemo& atanReference,
                      ScalarMemo& circleCurvature) {
    const bool onCurve = kernels::withCurve(curveNumber, [&](auto curve) {
        search::findReferences<decltype(curve)::value>(model, lanes, n, headings, atanReference,
                                                       circleCurvature);
    });
    if (!onCurve) {
        for (int k = 0; k < n; ++k)
            lanes[k].dd = 0.0;
    }
}

}  // namespace

double findReferencePoint(const Model& model, int curveNumber, double x, double y, double theta,
                          double pStart, ReferencePoint& ref) {
    SinCosCache headings;
    ScalarMemo atanReference;
    ScalarMemo circleCurvature;
    search::SearchLane lane{x, y, theta, pStart, &ref, 0.0};
    searchReferences(model, curveNumber, &lane, 1, headings, atanReference, circleCurvature);
    return lane.dd;
}

void updateErrorMeasures(const Model& model, MechanismRun& run, const MotionState& state) {
    ErrorSignals& e = run.errors;
    ReferencePoint* refs = run.refs;
    e.dsFbc = state.fbc.s - state.theory.s;
    // The two searches are independent and run side by side.
    search::SearchLane lanes[2] = {
        {state.noFbc.x, state.noFbc.y, state.noFbc.theta, refs[0].p - kReferenceBackoff, &refs[0],
         0.0, false},
        {state.fbc.x, state.fbc.y, state.fbc.theta, refs[1].p - kReferenceBackoff, &refs[1], 0.0},
    };
    for (search::SearchLane& lane : lanes)
        lane.workLeft = run.workLeft;
    searchReferences(model, model.settings.curveNumber, lanes, 2, run.memo.headings,
                     run.memo.atanReference, run.memo.circleCurvature);
    run.workLeft -= lanes[0].work + lanes[1].work;
    if (lanes[0].exhausted || lanes[1].exhausted) run.workLeft = -1;
    e.ddNoFbc = lanes[0].dd;
    e.ddFbc = lanes[1].dd;
    e.dthNoFbc = state.noFbc.theta - refs[0].theta;
    e.dthFbc = state.fbc.theta - refs[1].theta;
    e.dphiFbc = state.fbc.phi - refs[1].phi;
}

double speedCorrection(const FeedbackGains& g, const ErrorSignals& e) {
    return numberOrNone(g.omegaN2 * e.dsFbc + g.twoZetaOmegaN * e.intDsFbc);
}

double headingRateCorrection(const FeedbackGains& g, const ErrorSignals& e) {
    return numberOrNone(g.Kd1 * e.ddFbc + g.Kth1 * e.dthFbc +
                        g.KI1 * (g.Kd1 * e.intDdFbc + g.Kth1 * e.intDthFbc));
}

double steerRateCorrection(const FeedbackGains& g, const ErrorSignals& e, int vehicleType) {
    if (vehicleType == k1RDW1FS) return g.Kd3 * e.ddFbc + g.Kth3 * e.dthFbc + g.Kfi3 * e.dphiFbc;
    return g.Kd2 * e.ddFbc + g.Kth2 * e.dthFbc + g.Kfi2 * e.dphiFbc;
}

}  // namespace agv
