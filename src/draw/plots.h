// Time plots of the right panel: x(t), y(t) and the path-following errors dd, dth of
// the vehicle type on show, over the whole run, with axes, ticks and labels.
#pragma once

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "draw/colors.h"
#include "draw/shapes.h"

namespace agv {

class DrawBackend;
struct Scene;
struct ViewState;

/// Scales of the plots of one vehicle type.
struct PlotScales {
    /// Index of the last record.
    int R = 0;
    /// Time-axis distance per record [window units]; 0 when R is 0.
    double dx = 0.0;
    /// Largest magnitude of the theoretical x and y [m].
    double m = 0.0;
    /// Window units per metre, and five times that for the magnified errors; 0 when m is 0.
    double s = 0.0, s5 = 0.0;
    /// End time of the run [s].
    double T = 0.0;
};

/// Scales of type index t (0..2) from its record count, plot range and end time.
PlotScales plotScales(const Scene& scene, int t);

/// Where the ticks and labels of one panel go.
struct AxisLayout {
    /// x of the time ticks, one per whole second.
    std::vector<double> timeTickX;
    /// Time label ("7s", "23s") and its position.
    std::string timeLabel;
    Vec2 timeLabelAt;
    /// Window distance of 1 m on the scale s; 0 when m is 0.
    double q = 0.0;
    /// y of the value ticks.
    std::vector<double> valueTickY;
    /// Labels of the ticks at ±q ("1", "-1" or "0.2", "-0.2"); empty when m is 0.
    std::string upperLabel, lowerLabel;
    Vec2 upperLabelAt, lowerLabelAt;
};

/// Layout of the panel at origin o with a time axis of the given length, for end time T
/// and range m; errPanel selects the dd/dth labels.
AxisLayout plotAxesLayout(Vec2 o, double length, double T, double m, bool errPanel);

/// Whole seconds of a run time T as the time label shows them ("0s", "9s", "23s").
std::string timeLabelText(int wholeSeconds);

/// Appends the segments of one series to ends (two points each): record i lies at
/// (o.x + i·dx, o.y + scale·v_i); a segment is kept only when both of its ends lie
/// strictly within 0.3 of the time axis.
template <class Record>
void bandSegments(int R, Vec2 o, double dx, double scale, const Record* records, int field,
                  std::vector<Vec2>& ends);

/// Axes, ticks and labels of the panel at origin o.
void drawPlotAxes(DrawBackend& b, const ViewState& view, Vec2 o, double T, double m);

/// One pose series (field kPoseX or kPoseY) of records 0..R.
void plotSeries(DrawBackend& b, int R, Vec2 o, double dx, double scale, double w, Rgba color,
                const std::array<double, 7>* records, int field);
/// One error series (0: dd, 1: dth) of records 0..R.
void plotErrorSeries(DrawBackend& b, int R, Vec2 o, double dx, double scale, double w, Rgba color,
                     const std::array<double, 2>* records, int field);

/// The three panels of vehicleType (1..3) with the position marks at record N.
void drawPlots(DrawBackend& b, const Scene& scene, int vehicleType, int N);

// ---------------------------------------------------------------------------------

/// Half height of the band a series must stay within [window units].
inline constexpr double kPlotBand = 0.3;

template <class Record>
void bandSegments(int R, Vec2 o, double dx, double scale, const Record* records, int field,
                  std::vector<Vec2>& ends) {
    Vec2 prev{o.x, o.y + scale * records[0][field]};
    for (int i = 1; i <= R; ++i) {
        const Vec2 cur{o.x + i * dx, o.y + scale * records[i][field]};
        if (std::fabs(prev.y - o.y) < kPlotBand && std::fabs(cur.y - o.y) < kPlotBand) {
            ends.push_back(prev);
            ends.push_back(cur);
        }
        prev = cur;
    }
}

}  // namespace agv
