#include "draw/frame.h"

#include <algorithm>

#include "draw/captions.h"
#include "draw/colors.h"
#include "draw/pinned_overlay.h"
#include "draw/plots.h"
#include "draw/primitives.h"
#include "draw/scene.h"
#include "draw/vehicle_figure.h"
#include "draw/view_state.h"
#include "sim/model.h"

namespace agv {

namespace {

/// Left margin of the plot background before the panels' time axes [window units].
constexpr double kPanelMargin = 0.05;
/// Plot background reaching well past the window on every side [window units].
constexpr double kPanelDrop = 5.0;
constexpr double kPanelBackWidth = 2.0;
constexpr double kPanelBackHeight = 10.0;

Vec2 windowPoint(const ViewState& view, double x, double y) {
    double w[2];
    toWindow(view, x, y, w);
    return {w[0], w[1]};
}

void drawTrajectory(DrawBackend& b, const Scene& scene, const PoseRecord* records, int last,
                    double width, Rgba color) {
    const std::vector<Vec2> points = trajectoryPoints(scene, records, last);
    // One segment per pair of consecutive records, drawn as one batch.
    std::vector<Vec2> ends;
    ends.reserve(2 * points.size());
    for (size_t i = 1; i < points.size(); ++i) {
        ends.push_back(points[i - 1]);
        ends.push_back(points[i]);
    }
    drawThickLines(b, ends, width, color);
}

void drawPathMark(DrawBackend& b, const ViewState& view, double x, double y) {
    fillDisc(b, windowPoint(view, x, y), kTheoryTrajectoryWidthFactor * kViewScaleInitial,
             colorBlack);
}

}  // namespace

std::vector<Vec2> trajectoryPoints(const Scene& scene, const std::array<double, 7>* records,
                                   int last) {
    std::vector<Vec2> points;
    points.reserve(static_cast<size_t>(std::max(last, 0)) + 1);
    for (int i = 0; i <= last; ++i) {
        points.push_back(windowPoint(scene.view, records[i][kPoseX], records[i][kPoseY]));
    }
    return points;
}

int shownRecord(const Scene& scene, int t) {
    const int last = std::clamp(scene.store.recordCount[t], 0, kMaxRecords - 1);
    return std::clamp(scene.view.motionIndex, 0, last);
}

void drawFrame(const Scene& scene, DrawBackend& b, const TrajectoryStore* pinned) {
    b.clear();

    drawTitle(b);
    drawConditions(b, scene.settings, scene.view.vehicleType, scene.captions);

    const ViewState& view = scene.view;
    drawGrid(b, windowPoint(view, 0.0, 0.0), 0.0, kGridHalfCount, view.viewScale, view.viewScale);

    const int type = scene.view.vehicleType;
    if (type >= 1 && type <= kVehicleTypeCount) {
        const int t = type - 1;
        const TrajectoryStore& store = scene.store;
        const int n = shownRecord(scene, t);
        const int last = std::clamp(store.recordCount[t], 0, kMaxRecords - 1);
        const double errorWidth = kErrorTrajectoryWidthFactor * kViewScaleInitial;
        const double theoryWidth = kTheoryTrajectoryWidthFactor * kViewScaleInitial;

        const PoseRecord* moving[2] = {store.noFbcTraj[t].data(), store.fbcTraj[t].data()};
        const Rgba colors[2] = {colorBlue, colorGreen};
        for (int k = 0; k < 2; ++k) {
            drawTrajectory(b, scene, moving[k], n, errorWidth, colors[k]);
            const PoseRecord& r = moving[k][n];
            drawVehicle(b, scene, r[kPoseX], r[kPoseY], r[kPoseTheta], r[kPosePhi], colors[k]);
        }
        drawTrajectory(b, scene, store.theoryTraj[t].data(), last, theoryWidth, colorRed);
        if (pinned) drawPinnedTrajectories(b, scene, *pinned);
        if (store.diverged[t]) drawDivergedCaption(b);
    }

    const int curve = scene.settings.curveNumber;
    if (curve >= 0 && curve < kCurveTableSize) {
        const PathPose& start = scene.path.pathStartPose[curve];
        const PathEnd& end = scene.path.pathEnd[curve];
        drawPathMark(b, view, start.x, start.y);
        drawPathMark(b, view, end.x, end.y);
    }

    fillRect(b, {view.yPanelOrigin[0] - kPanelMargin, view.yPanelOrigin[1] - kPanelDrop},
             kPanelBackWidth, kPanelBackHeight, 0.0, colorWhite);
    drawPlots(b, scene, type, view.motionIndex);
    if (pinned) drawPinnedPlots(b, scene, *pinned);
}

}  // namespace agv
