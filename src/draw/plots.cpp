#include "draw/plots.h"

#include <algorithm>

#include "draw/number_text.h"
#include "draw/primitives.h"
#include "draw/scene.h"
#include "draw/theory_overlay.h"
#include "draw/view_state.h"
#include "sim/model.h"
#include "sim/trajectory_store.h"

namespace agv {

namespace {

/// Width of the time and value axes [window units] (2.4 px).
constexpr double kAxisWidth = 0.006;
/// Length of the time and value ticks [window units].
constexpr double kTickLength = 0.02;
/// Drop of the time label below the axis [window units].
constexpr double kTimeLabelDrop = 0.03;
/// Shift left of a two-digit time label [window units].
constexpr double kWideLabelShift = 0.02;
/// Drop of a value label below its tick [window units].
constexpr double kValueLabelDrop = 0.015;
/// Tolerance by which the dd/dth panel is recognised from its origin [window units].
constexpr double kPanelMatch = 0.001;
/// Magnification of the error series.
constexpr double kErrorGain = 5.0;
/// More ticks than any run can need (a run lasts less than 60 s, a path stays within
/// 60 m); keeps a corrupt range from stalling the frame.
constexpr double kMaxTicks = 1000.0;

constexpr double kEndMarkRadius = 0.01;
constexpr double kPositionMarkRadius = 0.006;
/// Series widths [window units]: trajectories 3.2 px, thin lines 1.2 px, dd 2 px.
constexpr double kTrajectoryWidth = 0.008;
constexpr double kThinWidth = 0.003;
constexpr double kDdWidth = 0.005;

// Whole number of t held to 0..kMaxTicks; 0 for anything not finite.
int wholeCount(double t) {
    if (!(t > 0.0) || !std::isfinite(t)) return 0;
    return static_cast<int>(std::min(t, kMaxTicks));
}

void panelCaptions(DrawBackend& b, Vec2 o, const char* title, const char* unit, bool errPanel) {
    const auto at = [&](double dx, double dy, Font font, const char* text) {
        drawText(b, static_cast<float>(o.x + dx), static_cast<float>(o.y + dy), font, text);
    };
    at(0.1, -0.05, Font::kHelvetica18, title);
    if (errPanel) {
        at(-0.1, 0.27, Font::kHelvetica18, unit);
        at(0.11, 0.2, Font::kHelvetica18, "blue: AGVerror, No FBC");
        at(0.11, 0.15, Font::kHelvetica18, "green: AGVerror, FBC");
        return;
    }
    at(0.11, 0.2, Font::kHelvetica18, "red:Theory");
    at(0.11, 0.15, Font::kHelvetica18, "blue: AGVerror, No FBC");
    at(0.11, 0.1, Font::kHelvetica18, "green: AGVerror, FBC");
    at(-0.1, 0.27, Font::kHelvetica18, unit);
    at(0.25, 0.05, Font::kHelvetica12, "thin line:5*error");
}

template <class Record>
void plotAny(DrawBackend& b, int R, Vec2 o, double dx, double scale, double w, Rgba color,
             const Record* records, int field) {
    std::vector<Vec2> ends;
    ends.reserve(2 * static_cast<size_t>(std::max(R, 0)));
    bandSegments(R, o, dx, scale, records, field, ends);
    drawThickLines(b, ends, w, color);
}

}  // namespace

PlotScales plotScales(const Scene& scene, int t) {
    PlotScales p;
    p.R = std::clamp(scene.store.recordCount[t], 0, kMaxRecords - 1);
    p.dx = p.R > 0 ? scene.view.panelWidth / p.R : 0.0;
    p.m = scene.view.plotRange[t].maxAbs;
    if (p.m > 0.0 && std::isfinite(p.m)) {
        p.s = kPanelHalfHeight / p.m;
        p.s5 = kErrorGain * p.s;
    }
    p.T = scene.store.endTime[t];
    return p;
}

std::string timeLabelText(int wholeSeconds) {
    if (wholeSeconds < 10) {
        std::string label = "0s";
        label[0] = digitChar(wholeSeconds);
        return label;
    }
    if (wholeSeconds < 100) {
        std::string label = "10s";
        label[0] = digitChar(wholeSeconds / 10);
        label[1] = digitChar(wholeSeconds % 10);
        return label;
    }
    return wholeNumberText(wholeSeconds) + "s";
}

AxisLayout plotAxesLayout(Vec2 o, double length, double T, double m, bool errPanel) {
    AxisLayout a;
    const int nT = wholeCount(T);
    for (int j = 1; j <= nT; ++j)
        a.timeTickX.push_back(o.x + j * length / T);
    const double xl = nT == 0 ? o.x + length : o.x + nT * length / T;
    a.timeLabel = timeLabelText(nT);
    a.timeLabelAt = {nT < 10 ? xl : xl - kWideLabelShift, o.y - kTimeLabelDrop};

    if (m > 0.0 && std::isfinite(m)) {
        a.q = 1.0 * kPanelHalfHeight / m;
        a.upperLabel = errPanel ? "0.2" : "1";
        a.lowerLabel = errPanel ? "-0.2" : "-1";
        a.upperLabelAt = {o.x - (errPanel ? 0.065 : 0.03), o.y + a.q - kValueLabelDrop};
        a.lowerLabelAt = {o.x - (errPanel ? 0.085 : 0.05), o.y - a.q - kValueLabelDrop};
    }
    const int nY = wholeCount(m / 1.0);
    for (int j = -nY; j <= nY; ++j)
        a.valueTickY.push_back(o.y + j * a.q);
    return a;
}

void drawPlotAxes(DrawBackend& b, const ViewState& view, Vec2 o, double T, double m) {
    const bool errPanel = std::fabs(o.y - view.errPanelOrigin[1]) < kPanelMatch;
    const double axisLength = view.panelWidth;
    const AxisLayout a = plotAxesLayout(o, axisLength, T, m, errPanel);

    drawThickLine(b, o, {o.x + axisLength, o.y}, kAxisWidth, colorBlack);
    for (double x : a.timeTickX)
        drawLine(b, {x, o.y}, {x, o.y + kTickLength}, colorBlack);
    drawText(b, static_cast<float>(a.timeLabelAt.x), static_cast<float>(a.timeLabelAt.y),
             Font::kHelvetica12, a.timeLabel.c_str());
    drawLine(b, {o.x + axisLength, o.y - kPanelHalfHeight},
             {o.x + axisLength, o.y + kPanelHalfHeight}, colorBlack);
    if (!a.upperLabel.empty()) {
        drawText(b, static_cast<float>(a.upperLabelAt.x), static_cast<float>(a.upperLabelAt.y),
                 Font::kHelvetica18, a.upperLabel.c_str());
        drawText(b, static_cast<float>(a.lowerLabelAt.x), static_cast<float>(a.lowerLabelAt.y),
                 Font::kHelvetica18, a.lowerLabel.c_str());
    }
    for (double y : a.valueTickY)
        drawLine(b, {o.x, y}, {o.x + kTickLength, y}, colorBlack);
    drawThickLine(b, {o.x, o.y - kPanelHalfHeight}, {o.x, o.y + kPanelHalfHeight}, kAxisWidth,
                  colorBlack);
}

void plotSeries(DrawBackend& b, int R, Vec2 o, double dx, double scale, double w, Rgba color,
                const std::array<double, 7>* records, int field) {
    plotAny(b, R, o, dx, scale, w, color, records, field);
}

void plotErrorSeries(DrawBackend& b, int R, Vec2 o, double dx, double scale, double w, Rgba color,
                     const std::array<double, 2>* records, int field) {
    plotAny(b, R, o, dx, scale, w, color, records, field);
}

void drawPlots(DrawBackend& b, const Scene& scene, int vehicleType, int N) {
    if (vehicleType < 1 || vehicleType > kVehicleTypeCount) return;
    const int t = vehicleType - 1;
    const ViewState& view = scene.view;
    const TrajectoryStore& store = scene.store;
    const Vec2 xo{view.xPanelOrigin[0], view.xPanelOrigin[1]};
    const Vec2 yo{view.yPanelOrigin[0], view.yPanelOrigin[1]};
    const Vec2 eo{view.errPanelOrigin[0], view.errPanelOrigin[1]};

    panelCaptions(b, xo, "x(t) and error", "x[m]", false);
    panelCaptions(b, yo, "y(t) and error", "y[m]", false);
    panelCaptions(b, eo, "dd and th error", "dd[m],dth[rad]", true);

    const PlotScales p = plotScales(scene, t);
    drawPlotAxes(b, view, xo, p.T, p.m);
    drawPlotAxes(b, view, yo, p.T, p.m);
    drawPlotAxes(b, view, eo, p.T, p.m);

    const PoseRecord* theory = store.theoryTraj[t].data();
    const PoseRecord* noFbc = store.noFbcTraj[t].data();
    const PoseRecord* fbc = store.fbcTraj[t].data();
    const int n = std::clamp(N, 0, p.R);

    const Vec2 origins[2] = {xo, yo};
    const int fields[2] = {kPoseX, kPoseY};
    for (int k = 0; k < 2; ++k) {
        const Vec2 o = origins[k];
        const int f = fields[k];
        fillDisc(b, {o.x, o.y + p.s * theory[0][f]}, kEndMarkRadius, colorRed);
        fillDisc(b, {o.x + view.panelWidth, o.y + p.s * theory[p.R][f]}, kEndMarkRadius, colorRed);
    }
    for (int k = 0; k < 2; ++k) {
        const Vec2 o = origins[k];
        const int f = fields[k];
        plotSeries(b, p.R, o, p.dx, p.s, kTrajectoryWidth, colorBlue, noFbc, f);
        plotSeries(b, p.R, o, p.dx, p.s, kTrajectoryWidth, colorGreen, fbc, f);
        plotSeries(b, p.R, o, p.dx, p.s, kThinWidth, colorRed, theory, f);
        plotSeries(b, p.R, o, p.dx, p.s5, kThinWidth, colorBlue, store.noFbcDiff[t].data(), f);
        plotSeries(b, p.R, o, p.dx, p.s5, kThinWidth, colorGreen, store.fbcDiff[t].data(), f);
    }
    constexpr int kDd = 0;
    constexpr int kDth = 1;
    plotErrorSeries(b, p.R, eo, p.dx, p.s5, kDdWidth, colorBlue, store.noFbcErr[t].data(), kDd);
    plotErrorSeries(b, p.R, eo, p.dx, p.s5, kThinWidth, colorBlue, store.noFbcErr[t].data(), kDth);
    plotErrorSeries(b, p.R, eo, p.dx, p.s5, kDdWidth, colorGreen, store.fbcErr[t].data(), kDd);
    plotErrorSeries(b, p.R, eo, p.dx, p.s5, kThinWidth, colorGreen, store.fbcErr[t].data(), kDth);
    if (view.theoryOverlay) drawTheoryOverlay(b, scene, vehicleType);

    for (int k = 0; k < 2; ++k) {
        const Vec2 o = origins[k];
        const int f = fields[k];
        const double x = o.x + n * p.dx;
        fillDisc(b, {x, o.y + p.s * theory[n][f]}, kPositionMarkRadius, colorBlack);
        fillDisc(b, {x, o.y + p.s * noFbc[n][f]}, kPositionMarkRadius, colorBlack);
        fillDisc(b, {x, o.y + p.s * fbc[n][f]}, kPositionMarkRadius, colorBlack);
    }
}

}  // namespace agv
