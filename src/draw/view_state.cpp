#include "draw/view_state.h"

#include <cmath>

namespace agv {

namespace {

/// Starting values of the range search [m]; any trajectory value replaces them.
constexpr double kRangeMaxStart = -1000.0;
constexpr double kRangeMinStart = 1000.0;

}  // namespace

void setViewDefaults(ViewState& v) {
    v.viewOffsetX = 0.0;
    v.viewOffsetY = 0.0;
    v.viewShiftX = kViewShiftX;
    v.viewShiftY = kViewShiftY;
    v.xPanelOrigin[0] = kPanelOriginX;
    v.xPanelOrigin[1] = kXPanelOriginY;
    v.yPanelOrigin[0] = kPanelOriginX;
    v.yPanelOrigin[1] = kYPanelOriginY;
    v.errPanelOrigin[0] = kPanelOriginX;
    v.errPanelOrigin[1] = kErrPanelOriginY;
    v.panelWidth = kPanelWidth;
}

void findPlotRange(int n, const double (*points)[2], PlotRange& range) {
    double max = kRangeMaxStart;
    double min = kRangeMinStart;
    for (int i = 0; i <= n; ++i) {
        for (int k = 0; k < 2; ++k) {
            const double v = points[i][k];
            if (max < v) max = v;
            if (min > v) min = v;
        }
    }
    range.max = max;
    range.min = min;
    range.maxAbs = std::fabs(max);
    if (std::fabs(min) > range.maxAbs) range.maxAbs = std::fabs(min);
}

void toWindow(const ViewState& v, double x, double y, double out[2]) {
    out[0] = v.viewScale * (x + v.viewShiftX) + v.viewOffsetX;
    out[1] = v.viewScale * (y + v.viewShiftY) + v.viewOffsetY;
}

}  // namespace agv
