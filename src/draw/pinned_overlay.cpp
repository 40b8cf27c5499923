#include "draw/pinned_overlay.h"

#include <algorithm>
#include <cmath>

#include "draw/frame.h"
#include "draw/plots.h"
#include "draw/primitives.h"
#include "draw/scene.h"
#include "draw/view_state.h"
#include "sim/model.h"
#include "sim/trajectory_store.h"

namespace agv {

namespace {

/// Width of the pinned trajectories, as a multiple of the initial view scale: half the
/// current ones', so that the current line shows beneath.
constexpr double kPinnedTrajectoryWidthFactor = 0.04;
/// Widths of the pinned dd and dth series [window units] (2 px and 1.2 px).
constexpr double kPinnedDdWidth = 0.005;
constexpr double kPinnedDthWidth = 0.003;
/// Place of the caption in the error panel, from its origin [window units].
constexpr double kCaptionDx = 0.11;
constexpr double kCaptionDy = 0.1;

void drawDashed(DrawBackend& b, const std::vector<Vec2>& ends, double width, Rgba color) {
    drawThickLines(b, dashedEnds(ends, kPinnedDash, kPinnedGap), width, color);
}

/// Segment ends joining consecutive points.
std::vector<Vec2> joined(const std::vector<Vec2>& points) {
    std::vector<Vec2> ends;
    ends.reserve(2 * points.size());
    for (size_t i = 1; i < points.size(); ++i) {
        ends.push_back(points[i - 1]);
        ends.push_back(points[i]);
    }
    return ends;
}

}  // namespace

std::vector<Vec2> dashedEnds(const std::vector<Vec2>& ends, double dash, double gap) {
    std::vector<Vec2> out;
    if (!(dash > 0.0) || !(gap >= 0.0)) return out;
    const double period = dash + gap;
    double phase = 0.0;  // distance along the pattern at the current point
    for (size_t i = 0; i + 1 < ends.size(); i += 2) {
        const Vec2 p = ends[i], q = ends[i + 1];
        if (i > 0 && (p.x != ends[i - 1].x || p.y != ends[i - 1].y)) phase = 0.0;
        const double length = std::hypot(q.x - p.x, q.y - p.y);
        if (!(length > 0.0) || !std::isfinite(length)) continue;
        double at = 0.0;  // distance along this segment
        while (at < length) {
            const double inPeriod = std::fmod(phase, period);
            const bool on = inPeriod < dash;
            const double left = on ? dash - inPeriod : period - inPeriod;
            const double step = std::min(left, length - at);
            if (on) {
                out.push_back(p + (at / length) * (q - p));
                out.push_back(p + ((at + step) / length) * (q - p));
            }
            at += step;
            phase = inPeriod + step;
        }
    }
    return out;
}

void drawPinnedTrajectories(DrawBackend& b, const Scene& scene, const TrajectoryStore& pinned) {
    const int type = scene.view.vehicleType;
    if (type < 1 || type > kVehicleTypeCount) return;
    const int t = type - 1;
    const int last = std::clamp(pinned.recordCount[t], 0, kMaxRecords - 1);
    const int n = std::min(shownRecord(scene, t), last);
    const double width = kPinnedTrajectoryWidthFactor * kViewScaleInitial;
    // The path is drawn only where it differs: on the same path it lies on the current red.
    if (pinned.theoryTraj[t] != scene.store.theoryTraj[t])
        drawDashed(b, joined(trajectoryPoints(scene, pinned.theoryTraj[t].data(), last)), width,
                   colorPinnedRed);
    drawDashed(b, joined(trajectoryPoints(scene, pinned.noFbcTraj[t].data(), n)), width,
               colorPinnedBlue);
    drawDashed(b, joined(trajectoryPoints(scene, pinned.fbcTraj[t].data(), n)), width,
               colorPinnedGreen);
}

void drawPinnedPlots(DrawBackend& b, const Scene& scene, const TrajectoryStore& pinned) {
    const int type = scene.view.vehicleType;
    if (type < 1 || type > kVehicleTypeCount) return;
    const int t = type - 1;
    const ViewState& view = scene.view;
    const Vec2 eo{view.errPanelOrigin[0], view.errPanelOrigin[1]};
    drawText(b, static_cast<float>(eo.x + kCaptionDx), static_cast<float>(eo.y + kCaptionDy),
             Font::kHelvetica18, "dashed: pinned run");

    const PlotScales p = plotScales(scene, t);
    // Records beyond the current run's time axis are left out.
    const int R = std::min(std::clamp(pinned.recordCount[t], 0, kMaxRecords - 1), p.R);
    const struct {
        const ErrorRecord* records;
        Rgba color;
    } series[2] = {{pinned.noFbcErr[t].data(), colorPinnedBlue},
                   {pinned.fbcErr[t].data(), colorPinnedGreen}};
    for (const auto& s : series) {
        for (int field = 0; field < 2; ++field) {
            std::vector<Vec2> ends;
            bandSegments(R, eo, p.dx, p.s5, s.records, field, ends);
            drawDashed(b, ends, field == 0 ? kPinnedDdWidth : kPinnedDthWidth, s.color);
        }
    }
}

}  // namespace agv
