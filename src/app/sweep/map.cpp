#include "app/sweep/map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/sweep/table.h"

namespace agv {

namespace {

/// Panel plot area [px].
constexpr double kPanelSize = 300.0;
/// Space left of, between and below the panels for ticks and labels [px].
constexpr double kLeftMargin = 90.0;
constexpr double kPanelGap = 80.0;
constexpr double kTopMargin = 70.0;
constexpr double kBottomMargin = 70.0;
/// Colour bar: gap to the last panel, width, room for its labels [px].
constexpr double kBarGap = 40.0;
constexpr double kBarWidth = 20.0;
constexpr double kBarLabelRoom = 110.0;
/// Most tick labels along one axis.
constexpr std::size_t kMaxTicks = 10;
/// Ticks on the colour bar.
constexpr int kBarTicks = 5;

const char* const kTypeTitles[3] = {"type 1: 2DW1C", "type 2: 1FDW1FS", "type 3: 1RDW1FS"};

/// Stops of the colour ramp (dark blue to yellow, lightness rising with the value).
constexpr double kRamp[][3] = {{68, 1, 84},    {72, 40, 120},  {62, 74, 137},  {49, 104, 142},
                               {38, 130, 142}, {31, 158, 137}, {53, 183, 121}, {109, 205, 89},
                               {180, 222, 44}, {253, 231, 37}};
constexpr int kRampStops = sizeof kRamp / sizeof kRamp[0];

std::string rampColour(double t) {
    t = std::clamp(t, 0.0, 1.0);
    const double position = t * (kRampStops - 1);
    const int i = std::min(static_cast<int>(position), kRampStops - 2);
    const double f = position - i;
    char text[8];
    int rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = static_cast<int>(std::lround(kRamp[i][c] + (kRamp[i + 1][c] - kRamp[i][c]) * f));
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string px(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string axisTitle(int axis, int errorNumber) {
    if (axis == kAxisFn) return "fn [Hz]";
    if (axis == kAxisZeta) return "damping ratio \xce\xb6 [-]";
    static const char* const kErrorTitles[] = {"error size",
                                               "left rear wheel radius error [%]",
                                               "front wheel radius error [%]",
                                               "steering drift [deg]",
                                               "WheelBase error [%]",
                                               "drive wheel slip [%]"};
    return kErrorTitles[std::clamp(errorNumber, 0, 5)];
}

std::string metricUnit(const std::string& metric) {
    return metric.find("dth") != std::string::npos ? " [rad]" : " [m]";
}

/// Positions of the tick labels among count cells.
std::vector<std::size_t> tickCells(std::size_t count) {
    const std::size_t step = (count + kMaxTicks - 1) / kMaxTicks;
    std::vector<std::size_t> cells;
    for (std::size_t i = 0; i < count; i += step)
        cells.push_back(i);
    return cells;
}

void text(std::string& svg, double x, double y, const std::string& content,
          const char* anchor = "middle", const std::string& extra = "") {
    svg += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"" + anchor + "\"" + extra +
           ">" + content + "</text>\n";
}

}  // namespace

MapPoint mapPoint(const PointResult& result, int metricColumn) {
    MapPoint point;
    for (int k = 0; k < 3; ++k) {
        point.outcome[k] = result[k].outcome;
        double value = 0.0;
        if (result[k].outcome == CellOutcome::kDone &&
            sweepMetricValue(result[k], metricColumn, value) && std::isfinite(value)) {
            point.hasValue[k] = true;
            point.value[k] = value;
        }
    }
    return point;
}

std::string sweepMapSvg(const SweepGrid& grid, const Scenario& scenario,
                        const std::vector<MapPoint>& points, const std::string& metric) {
    const std::vector<int> swept = grid.swept();
    const int xAxis = swept.empty() ? kAxisFn : swept[0];
    const int yAxis = swept.size() > 1 ? swept[1] : (xAxis == kAxisZeta ? kAxisFn : kAxisZeta);
    const std::vector<double>& xs = grid.axes[xAxis];
    const std::vector<double>& ys = grid.axes[yAxis];
    const double cellW = kPanelSize / static_cast<double>(xs.size());
    const double cellH = kPanelSize / static_cast<double>(ys.size());

    // One colour scale for all panels, so that they compare.
    bool any = false;
    double low = 0.0, high = 0.0;
    for (const MapPoint& p : points) {
        for (int k = 0; k < 3; ++k) {
            if (!p.hasValue[k]) continue;
            low = any ? std::min(low, p.value[k]) : p.value[k];
            high = any ? std::max(high, p.value[k]) : p.value[k];
            any = true;
        }
    }
    const auto scaled = [&](double v) { return high > low ? (v - low) / (high - low) : 0.5; };

    const double barX = kLeftMargin + 3 * kPanelSize + 2 * kPanelGap + kBarGap;
    const double width = barX + kBarWidth + kBarLabelRoom;
    const double height = kTopMargin + kPanelSize + kBottomMargin;
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) + "\" height=\"" +
           px(height) + "\" viewBox=\"0 0 " + px(width) + " " + px(height) +
           "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    std::string title = metric + metricUnit(metric) + " over " +
                        axisTitle(xAxis, errorNumberOf(namedError(scenario.errors))) + " and " +
                        axisTitle(yAxis, errorNumberOf(namedError(scenario.errors))) + "; curve " +
                        std::to_string(scenario.curveNumber) + ", error " +
                        std::to_string(errorNumberOf(namedError(scenario.errors)));
    text(svg, width / 2, 22, title, "middle", " font-size=\"15\"");
    text(svg, width / 2, 42,
         "crossed: refused or failed run; outlined in red: the smallest |value| of the panel");

    const std::size_t rows = ys.size();
    for (int k = 0; k < 3; ++k) {
        const double left = kLeftMargin + k * (kPanelSize + kPanelGap);
        const double top = kTopMargin;
        text(svg, left + kPanelSize / 2, top - 8, kTypeTitles[k], "middle",
             " font-weight=\"bold\"");
        std::size_t best = points.size();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const auto at = grid.position(i);
            const double x = left + cellW * static_cast<double>(at[xAxis]);
            const double y = top + cellH * static_cast<double>(rows - 1 - at[yAxis]);
            const MapPoint& p = points[i];
            const std::string box = " x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" +
                                    px(cellW) + "\" height=\"" + px(cellH) + "\"";
            if (p.hasValue[k]) {
                svg += "<rect class=\"cell\" data-type=\"" + std::to_string(k + 1) +
                       "\" data-value=\"" + shortestNumber(p.value[k]) + "\"" + box + " fill=\"" +
                       rampColour(scaled(p.value[k])) + "\"><title>" + number(xs[at[xAxis]]) +
                       ", " + number(ys[at[yAxis]]) + ": " + number(p.value[k]) +
                       "</title></rect>\n";
                if (best == points.size() ||
                    std::fabs(p.value[k]) < std::fabs(points[best].value[k]))
                    best = i;
            } else {
                svg += "<rect class=\"cell failed\" data-type=\"" + std::to_string(k + 1) +
                       "\" data-outcome=\"" + outcomeName(p.outcome[k]) + "\"" + box +
                       " fill=\"#d9d9d9\"><title>" + outcomeName(p.outcome[k]) +
                       "</title></rect>\n";
                svg += "<path d=\"M" + px(x) + "," + px(y) + "l" + px(cellW) + "," + px(cellH) +
                       "M" + px(x + cellW) + "," + px(y) + "l" + px(-cellW) + "," + px(cellH) +
                       "\" stroke=\"#555555\" stroke-width=\"1\"/>\n";
            }
        }
        if (best < points.size()) {
            const auto at = grid.position(best);
            const double x = left + cellW * static_cast<double>(at[xAxis]);
            const double y = top + cellH * static_cast<double>(rows - 1 - at[yAxis]);
            svg += "<rect class=\"best\" x=\"" + px(x + 1.5) + "\" y=\"" + px(y + 1.5) +
                   "\" width=\"" + px(std::max(cellW - 3, 1.0)) + "\" height=\"" +
                   px(std::max(cellH - 3, 1.0)) +
                   "\" fill=\"none\" stroke=\"#e8000b\" stroke-width=\"3\"/>\n";
        }
        svg += "<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(kPanelSize) +
               "\" height=\"" + px(kPanelSize) + "\" fill=\"none\" stroke=\"black\"/>\n";
        for (const std::size_t i : tickCells(xs.size())) {
            const double x = left + cellW * (static_cast<double>(i) + 0.5);
            const double y = top + kPanelSize;
            svg += "<line x1=\"" + px(x) + "\" y1=\"" + px(y) + "\" x2=\"" + px(x) + "\" y2=\"" +
                   px(y + 5) + "\" stroke=\"black\"/>\n";
            text(svg, x, y + 18, number(xs[i]));
        }
        text(svg, left + kPanelSize / 2, top + kPanelSize + 40,
             axisTitle(xAxis, errorNumberOf(namedError(scenario.errors))));
        for (const std::size_t i : tickCells(rows)) {
            const double y = top + cellH * (static_cast<double>(rows - 1 - i) + 0.5);
            svg += "<line x1=\"" + px(left - 5) + "\" y1=\"" + px(y) + "\" x2=\"" + px(left) +
                   "\" y2=\"" + px(y) + "\" stroke=\"black\"/>\n";
            text(svg, left - 8, y + 4, number(ys[i]), "end");
        }
        const double labelX = left - 60, labelY = top + kPanelSize / 2;
        text(svg, labelX, labelY, axisTitle(yAxis, errorNumberOf(namedError(scenario.errors))),
             "middle", " transform=\"rotate(-90 " + px(labelX) + " " + px(labelY) + ")\"");
    }

    // The colour bar: low values at the bottom.
    svg += "<defs><linearGradient id=\"ramp\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">\n";
    for (int s = 0; s < kRampStops; ++s) {
        const double t = static_cast<double>(s) / (kRampStops - 1);
        svg += "<stop offset=\"" + px(t) + "\" stop-color=\"" + rampColour(t) + "\"/>\n";
    }
    svg += "</linearGradient></defs>\n";
    svg += "<rect class=\"colour-bar\" x=\"" + px(barX) + "\" y=\"" + px(kTopMargin) +
           "\" width=\"" + px(kBarWidth) + "\" height=\"" + px(kPanelSize) +
           "\" fill=\"url(#ramp)\" stroke=\"black\"/>\n";
    for (int t = 0; any && t < kBarTicks; ++t) {
        const double f = static_cast<double>(t) / (kBarTicks - 1);
        const double y = kTopMargin + kPanelSize * (1.0 - f);
        const double value = high > low ? low + (high - low) * f : low;
        svg += "<line x1=\"" + px(barX + kBarWidth) + "\" y1=\"" + px(y) + "\" x2=\"" +
               px(barX + kBarWidth + 5) + "\" y2=\"" + px(y) + "\" stroke=\"black\"/>\n";
        text(svg, barX + kBarWidth + 8, y + 4, number(value), "start");
        if (!(high > low)) break;
    }
    text(svg, barX + kBarWidth / 2, kTopMargin + kPanelSize + 25, metric + metricUnit(metric));
    svg += "</svg>\n";
    return svg;
}

}  // namespace agv
