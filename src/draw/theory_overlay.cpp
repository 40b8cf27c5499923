#include "draw/theory_overlay.h"

#include <algorithm>
#include <cmath>

#include "draw/number_text.h"
#include "draw/plots.h"
#include "draw/primitives.h"
#include "draw/scene.h"
#include "draw/view_state.h"

namespace agv {

namespace {

/// Width of the dashed line [window units] (1.6 px), thinner than the dd series.
constexpr double kDashWidth = 0.004;
/// Decimals of the poles and the settling time in the caption.
constexpr int kCaptionDecimals = 2;
/// Where the caption's lines begin, from the panel's origin [window units].
constexpr double kCaptionX = 0.0;
constexpr double kCaptionFirstY = -0.2;
constexpr double kCaptionLineStep = 0.05;
/// The legend line of the dashes, below those of the blue and green series.
constexpr double kLegendX = 0.11;
constexpr double kLegendY = 0.1;

std::string poleText(const Pole& p) {
    std::string text = decimalText(p.real(), kCaptionDecimals);
    if (p.imag() != 0.0) text += "+-" + decimalText(std::fabs(p.imag()), kCaptionDecimals) + "i";
    return text;
}

}  // namespace

std::vector<Vec2> predictedOffsetPoints(const Scene& scene, int t) {
    const PlotScales p = plotScales(scene, t);
    std::vector<double> dd(static_cast<size_t>(p.R) + 1);
    predictOffsets(scene.settings, scene.gains, t + 1, scene.settings.dt, p.R,
                   scene.store.endTime[t], dd.data());
    const ViewState& view = scene.view;
    std::vector<Vec2> points;
    points.reserve(dd.size());
    for (int i = 0; i <= p.R; ++i) {
        points.push_back({view.errPanelOrigin[0] + i * p.dx,
                          view.errPanelOrigin[1] + p.s5 * dd[static_cast<size_t>(i)]});
    }
    return points;
}

std::vector<Vec2> dashedSegments(const std::vector<Vec2>& points, double x0, double y0,
                                 double period) {
    std::vector<Vec2> ends;
    const double half = period / 2.0;
    const auto inBand = [&](Vec2 v) { return std::fabs(v.y - y0) < kPlotBand; };
    for (size_t i = 1; i < points.size(); ++i) {
        const Vec2 p = points[i - 1];
        const Vec2 q = points[i];
        if (!(q.x > p.x)) continue;
        const auto yAt = [&](double x) { return p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x); };
        // The dashes k = 0, 2, 4, ... that overlap the segment, cut to it.
        const double first = std::floor((p.x - x0) / half);
        const double end = std::ceil((q.x - x0) / half);
        for (double k = first; k < end; k += 1.0) {
            if (std::fmod(k, 2.0) != 0.0) continue;
            const double a = std::max(p.x, x0 + k * half);
            const double b = std::min(q.x, x0 + (k + 1.0) * half);
            if (!(b > a)) continue;
            const Vec2 from{a, yAt(a)};
            const Vec2 to{b, yAt(b)};
            if (inBand(from) && inBand(to)) {
                ends.push_back(from);
                ends.push_back(to);
            }
        }
    }
    return ends;
}

std::vector<std::string> theoryCaption(const TypeTheory& theory) {
    std::string poles = "theory: poles";
    for (const Pole& p : theory.lateralPoles) {
        if (p.imag() < 0.0) continue;  // shown with its conjugate
        poles += " " + poleText(p);
    }
    poles += " 1/s";
    std::string settling = "unstable: pole in the right half-plane";
    if (theory.stability == Stability::kIntegrationStep) {
        settling = "unstable at the " + decimalText(1000.0 * theory.step, 0) + " ms step";
        if (!std::isnan(theory.stepLimitFn))
            settling += ": fn above " + decimalText(theory.stepLimitFn, kCaptionDecimals) + " Hz";
    }
    if (theory.stable()) {
        settling = std::isfinite(theory.figures.settlingTime)
                       ? "Ts " + decimalText(theory.figures.settlingTime, kCaptionDecimals) + " s"
                       : "Ts --";
    }
    if (theory.beyondLinearRange) return {poles, settling, "beyond the linear range"};
    return {poles, settling};
}

void drawTheoryOverlay(DrawBackend& b, const Scene& scene, int vehicleType) {
    if (vehicleType < 1 || vehicleType > kVehicleTypeCount) return;
    const int t = vehicleType - 1;
    const ViewState& view = scene.view;
    const Vec2 o{view.errPanelOrigin[0], view.errPanelOrigin[1]};
    drawThickLines(b, dashedSegments(predictedOffsetPoints(scene, t), o.x, o.y, kDashPeriod),
                   kDashWidth, colorBlack);

    drawText(b, static_cast<float>(o.x + kLegendX), static_cast<float>(o.y + kLegendY),
             Font::kHelvetica12, "black dashed: theory dd");
    const RunTheory theory = runTheory(scene.settings, scene.gains);
    double y = o.y + kCaptionFirstY;
    for (const std::string& line : theoryCaption(theory.types[static_cast<size_t>(t)])) {
        drawText(b, static_cast<float>(o.x + kCaptionX), static_cast<float>(y), Font::kHelvetica12,
                 line.c_str());
        y -= kCaptionLineStep;
    }
}

}  // namespace agv
