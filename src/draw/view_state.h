// View state of the window: trajectory view scale and shifts, animation position,
// plot panel geometry and the plot range of each vehicle type.
#pragma once

namespace agv {

struct AgvContext;

/// Reset value of the view scale [window units per metre]; also the fixed factor
/// of trajectory line widths and path marks.
inline constexpr double kViewScaleInitial = 0.2;
/// Half height of each plot panel [window units].
inline constexpr double kPanelHalfHeight = 0.3;

/// Plot scaling of one vehicle type [m].
struct PlotRange {
    double max = 0.0;
    double min = 0.0;
    double maxAbs = 0.0;
};

struct ViewState {
    /// Scale of the trajectory view [window units per metre].
    double viewScale = kViewScaleInitial;
    /// Shift of the trajectory view [window units].
    double viewOffsetX = 0.0, viewOffsetY = 0.0;
    /// Metres added to world coordinates before scaling [m].
    double viewShiftX = -1.5, viewShiftY = -0.5;
    /// Index of the record the animation stands at.
    int motionIndex = 0;
    PlotRange plotRange[3];
    /// Left ends of the time axes of the x(t), y(t) and dd/dth panels [window units].
    double xPanelOrigin[2] = {0.4, 0.68};
    double yPanelOrigin[2] = {0.4, 0.0};
    double errPanelOrigin[2] = {0.4, -0.68};
    /// Length of each time axis [window units].
    double panelWidth = 0.5;
};

/// Start-up defaults of the shifts and the plot panel geometry.
void setViewDefaults(AgvContext& ctx);
/// Range of the n + 1 points (x, y) into range.
void findPlotRange(int n, const double (*points)[2], PlotRange& range);
/// World point [m] to window units.
void toWindow(const AgvContext& ctx, double x, double y, double out[2]);

}  // namespace agv
