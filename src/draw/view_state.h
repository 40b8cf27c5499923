// View state of the window: trajectory view scale and shifts, animation position,
// plot panel geometry and the plot range of each vehicle type.
#pragma once

#include "sim/model.h"

namespace agv {

/// Reset value of the view scale [window units per metre]; also the fixed factor
/// of trajectory line widths and path marks.
inline constexpr double kViewScaleInitial = 0.2;
/// Half height of each plot panel [window units].
inline constexpr double kPanelHalfHeight = 0.3;
/// Metres added to world x and y before scaling, so that (1.5 m, 0.5 m) is the centre [m].
inline constexpr double kViewShiftX = -1.5;
inline constexpr double kViewShiftY = -0.5;
/// Left end of the time axis of each plot panel (x(t), y(t), dd/dth) [window units].
inline constexpr double kPanelOriginX = 0.4;
inline constexpr double kXPanelOriginY = 0.68;
inline constexpr double kYPanelOriginY = 0.0;
inline constexpr double kErrPanelOriginY = -0.68;
/// Length of each plot panel's time axis [window units].
inline constexpr double kPanelWidth = 0.5;

/// Plot scaling of one vehicle type [m].
struct PlotRange {
    double max = 0.0;
    double min = 0.0;
    double maxAbs = 0.0;
};

struct ViewState {
    /// Vehicle type on show (1, 2 or 3), chosen by the keys 1, 2 and 3.
    int vehicleType = k1FDW1FS;
    /// Scale of the trajectory view [window units per metre].
    double viewScale = kViewScaleInitial;
    /// Shift of the trajectory view [window units].
    double viewOffsetX = 0.0, viewOffsetY = 0.0;
    /// Metres added to world coordinates before scaling [m].
    double viewShiftX = kViewShiftX, viewShiftY = kViewShiftY;
    /// Index of the record the animation stands at.
    int motionIndex = 0;
    PlotRange plotRange[3];
    /// Left ends of the time axes of the x(t), y(t) and dd/dth panels [window units].
    double xPanelOrigin[2] = {kPanelOriginX, kXPanelOriginY};
    double yPanelOrigin[2] = {kPanelOriginX, kYPanelOriginY};
    double errPanelOrigin[2] = {kPanelOriginX, kErrPanelOriginY};
    /// Length of each time axis [window units].
    double panelWidth = kPanelWidth;
    /// The theory overlay of the dd/dth panel, toggled by 't'; off at start.
    bool theoryOverlay = false;
};

/// Start-up defaults of the shifts and the plot panel geometry.
void setViewDefaults(ViewState& view);
/// Range of the n + 1 points (x, y) into range.
void findPlotRange(int n, const double (*points)[2], PlotRange& range);
/// World point [m] to window units.
void toWindow(const ViewState& view, double x, double y, double out[2]);

}  // namespace agv
