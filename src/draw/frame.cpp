#include "draw/frame.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <algorithm>

#include "draw/captions.h"
#include "draw/colors.h"
#include "draw/plots.h"
#include "draw/primitives.h"
#include "draw/scene.h"
#include "draw/vehicle_figure.h"
#include "draw/view_state.h"

namespace agv {

namespace {

/// Left margin of the plot background before the panels' time axes [window units].
constexpr double kPanelMargin = 0.05;
/// Plot background reaching well past the window on every side [window units].
constexpr double kPanelDrop = 5.0;
constexpr double kPanelBackWidth = 2.0;
constexpr double kPanelBackHeight = 10.0;

Vec2 windowPoint(const Scene& ctx, double x, double y) {
    double w[2];
    toWindow(ctx.view, x, y, w);
    return {w[0], w[1]};
}

void drawTrajectory(const Scene& ctx, const PoseRecord* records, int last, double width,
                    Rgba color) {
    const std::vector<Vec2> points = trajectoryPoints(ctx, records, last);
    // One segment per pair of consecutive records, drawn as one batch.
    std::vector<Vec2> ends;
    ends.reserve(2 * points.size());
    for (size_t i = 1; i < points.size(); ++i) {
        ends.push_back(points[i - 1]);
        ends.push_back(points[i]);
    }
    drawThickLines(ends, width, color);
}

void drawPathMark(const Scene& ctx, double x, double y) {
    fillDisc(windowPoint(ctx, x, y), kTheoryTrajectoryWidthFactor * kViewScaleInitial, colorBlack);
}

}  // namespace

std::vector<Vec2> trajectoryPoints(const Scene& ctx, const std::array<double, 7>* records,
                                   int last) {
    std::vector<Vec2> points;
    points.reserve(static_cast<size_t>(std::max(last, 0)) + 1);
    for (int i = 0; i <= last; ++i) {
        points.push_back(windowPoint(ctx, records[i][kPoseX], records[i][kPoseY]));
    }
    return points;
}

int shownRecord(const Scene& ctx, int t) {
    const int last = std::clamp(ctx.store->recordCount[t], 0, kMaxRecords - 1);
    return std::clamp(ctx.view.motionIndex, 0, last);
}

void drawFrame(const Scene& ctx) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();

    drawTitle();
    drawConditions(ctx);

    const ViewState& view = ctx.view;
    drawGrid(windowPoint(ctx, 0.0, 0.0), 0.0, kGridHalfCount, view.viewScale, view.viewScale);

    const int type = ctx.settings.vehicleType;
    if (type >= 1 && type <= kVehicleTypeCount) {
        const int t = type - 1;
        const TrajectoryStore& store = *ctx.store;
        const int n = shownRecord(ctx, t);
        const int last = std::clamp(store.recordCount[t], 0, kMaxRecords - 1);
        const double errorWidth = kErrorTrajectoryWidthFactor * kViewScaleInitial;
        const double theoryWidth = kTheoryTrajectoryWidthFactor * kViewScaleInitial;

        const PoseRecord* moving[2] = {store.noFbcTraj[t], store.fbcTraj[t]};
        const Rgba colors[2] = {colorBlue, colorGreen};
        for (int k = 0; k < 2; ++k) {
            drawTrajectory(ctx, moving[k], n, errorWidth, colors[k]);
            const PoseRecord& r = moving[k][n];
            drawVehicle(ctx, r[kPoseX], r[kPoseY], r[kPoseTheta], r[kPosePhi], colors[k]);
        }
        drawTrajectory(ctx, store.theoryTraj[t], last, theoryWidth, colorRed);
    }

    const int curve = ctx.settings.curveNumber;
    if (curve >= 0 && curve < kCurveTableSize) {
        const PathPose& start = ctx.path.pathStartPose[curve];
        const PathEnd& end = ctx.path.pathEnd[curve];
        drawPathMark(ctx, start.x, start.y);
        drawPathMark(ctx, end.x, end.y);
    }

    fillRect({view.yPanelOrigin[0] - kPanelMargin, view.yPanelOrigin[1] - kPanelDrop},
             kPanelBackWidth, kPanelBackHeight, 0.0, colorWhite);
    drawPlots(ctx, type, view.motionIndex);
}

void displayFrame(const Scene& ctx) {
    drawFrame(ctx);
    glFlush();
    glutSwapBuffers();
}

}  // namespace agv
