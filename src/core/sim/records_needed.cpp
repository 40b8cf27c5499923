#include "sim/records_needed.h"

#include <cmath>
#include <memory>

#include "noise/slip_noise.h"
#include "path/arc_length.h"
#include "path/curves.h"
#include "sim/model.h"

namespace agv {

namespace {

/// Where the path is at one end of a panel: the point, the tangent angle and atan(T·κ).
struct PanelEnd {
    double x, y, theta, phi;
};

PanelEnd panelEnd(const Model& model, int I, double p) {
    double pt[2];
    curvePoint(model, p, I, pt);
    double theta = 0.0;
    double kappa = 0.0;
    curveHeadingCurvature(model, p, I, theta, kappa);
    return {pt[0], pt[1], theta, std::atan(model.settings.tread * kappa)};
}

/// A part of the bound that is no number (a point where the curve has no tangent or
/// curvature) bounds nothing.
double orZero(double v) {
    return std::isnan(v) ? 0.0 : v;
}

double chord(const PanelEnd& a, const PanelEnd& b) {
    return orZero(std::hypot(b.x - a.x, b.y - a.y));
}

/// Least time [s] the vehicle takes from a to b (see recordsAtLeast).
double leastTime(const SimulationSettings& s, const PanelEnd& a, const PanelEnd& b) {
    // The smallest turn between two headings lies within one half-turn either way.
    const double turn = s.tread * orZero(std::remainder(b.theta - a.theta, kTwoPi));
    const double length = chord(a, b);
    const double cruising = std::sqrt(length * length + turn * turn) / s.Vw;
    const double steering = orZero(std::fabs(b.phi - a.phi)) / s.omegaMax;
    return cruising > steering ? cruising : steering;
}

}  // namespace

double recordsAtLeast(const SimulationSettings& settings, int curveNumber, double enough) {
    auto trial = std::make_unique<Model>();
    trial->settings = settings;
    const Model& model = *trial;
    const int I = curveNumber;
    prepareCurve(*trial, I);
    const double pEnd = model.path.pathEndParam[I];
    double halfStep = 0.0;
    int panels = 0;
    if (!arcLengthPanels(pEnd, halfStep, panels)) return 0.0;
    const double step = 2.0 * halfStep;
    const auto paramOf = [&](int i) { return i == panels ? pEnd : i * step; };
    const double h = settings.dt / kSubSteps;

    // The loop of the integration ends once the vehicle is within Vw·h of the path end (by
    // the summed length): the panels from the end that make up that much are left out.
    const double endStretch = settings.Vw * h;
    int last = panels;
    double cut = 0.0;
    while (last > 0 && !(cut >= endStretch)) {
        cut += arcLength(model, paramOf(last - 1), paramOf(last), I);
        --last;
    }

    // Whole records before the loop ends: its last kept sub-step lies at least a sub-step
    // before the time the vehicle needs; the end record comes after them.
    const double enoughTime = (enough - 1.0) * settings.dt + h;
    double time = 0.0;
    PanelEnd a = panelEnd(model, I, 0.0);
    for (int i = 1; i <= last; ++i) {
        const PanelEnd next = panelEnd(model, I, paramOf(i));
        time += leastTime(settings, a, next);
        if (time >= enoughTime) return enough;
        a = next;
    }
    const double wholeRecords = std::floor((time - h) / settings.dt);
    return (wholeRecords > 0.0 ? wholeRecords : 0.0) + 1.0;
}

}  // namespace agv
