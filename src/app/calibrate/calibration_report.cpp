#include "app/calibrate/calibration_report.h"

#include <cmath>
#include <string>
#include <vector>

#include "app/common/number_format.h"
#include "app/common/text_output.h"

namespace agv {

namespace {

/// Millimetres per metre.
constexpr double kMmPerM = 1000.0;
/// Picture size and the margin around the plot [px].
constexpr double kSvgSize = 560.0;
constexpr double kSvgMargin = 60.0;
/// Radius of a run's dot and of a centroid's ring [px].
constexpr double kDotRadius = 3.5;
constexpr double kCentroidRadius = 7.0;
/// Ticks on each axis, about.
constexpr int kTickCount = 8;

/// JSON number: shortest text that reads back the same double; null for no number.
std::string jsonNumber(double v) {
    if (!std::isfinite(v)) return "null";
    return shortestNumber(v);
}

std::string jsonCluster(const ReturnCluster& cl) {
    std::string runs = "[";
    for (std::size_t i = 0; i < cl.runs.size(); ++i) {
        runs += (i ? "," : "") + std::string("[") + jsonNumber(cl.runs[i].x) + "," +
                jsonNumber(cl.runs[i].y) + "]";
    }
    runs += "]";
    return "{\"runs\":" + runs + ",\"centroid\":[" + jsonNumber(cl.centroid.x) + "," +
           jsonNumber(cl.centroid.y) +
           "],\"centroid_distance\":" + jsonNumber(cl.centroidDistance) +
           ",\"spread\":" + jsonNumber(cl.spread) + "}";
}

/// A step of 1, 2 or 5 times a power of ten that cuts span into about kTickCount pieces.
double tickStep(double span) {
    const double raw = span / kTickCount;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double f : {1.0, 2.0, 5.0}) {
        if (f * power >= raw) return f * power;
    }
    return 10.0 * power;
}

}  // namespace

std::string calibrationTable(const Calibration& c, const Scenario& scenario, int runs) {
    std::string t;
    t += formatText("Square path L = %g m, r = %g m, %d runs each way (2DW1C without feedback)\n",
                    scenario.curve.squareL, scenario.curve.squareR, runs);
    t += formatText("\n%-30s %14s %14s\n", "return errors [mm]", "before", "after");
    auto row = [&](const char* name, double before, double after) {
        t += formatText("%-30s %14.3f %14.3f\n", name, before * kMmPerM, after * kMmPerM);
    };
    row("ccw centroid x", c.before.ccw.centroid.x, c.after.ccw.centroid.x);
    row("ccw centroid y", c.before.ccw.centroid.y, c.after.ccw.centroid.y);
    row("cw centroid x", c.before.cw.centroid.x, c.after.cw.centroid.x);
    row("cw centroid y", c.before.cw.centroid.y, c.after.cw.centroid.y);
    row("E_max,syst", c.before.emaxSyst, c.after.emaxSyst);
    row("spread (largest from centroid)", c.before.spread, c.after.spread);
    t += formatText("\n%-30s %14s %14s %14s\n", "ratios", "true", "first", "refined");
    t += formatText("%-30s %14.6f %14.6f %14.6f\n", "Ed = D_R/D_L", c.edTrue, c.estimate.ed, c.ed);
    t += formatText("%-30s %14.6f %14.6f %14.6f\n", "Eb = WheelBase actual/nominal", c.ebTrue,
                    c.estimate.eb, c.eb);
    t += formatText(
        "(first: one benchmark; refined: times what the benchmark with the first\n"
        " correction found left, E_max,syst %.3f mm)\n",
        c.check.emaxSyst * kMmPerM);
    t += formatText("\nfirst: alpha = %.6g rad per corner, beta = %.6g rad per side, R = %.6g m\n",
                    c.estimate.alpha, c.estimate.beta, c.estimate.radius);
    t +=
        formatText("correction: c_L = %.6f, c_R = %.6f, WheelBase x %.6f\n",
                   c.correction.leftFactor, c.correction.rightFactor, c.correction.wheelBaseFactor);
    return t;
}

std::string calibrationJson(const Calibration& c, const Scenario& scenario, int runs) {
    std::string j = "{";
    j += "\"square_side\":" + jsonNumber(scenario.curve.squareL);
    j += ",\"corner_radius\":" + jsonNumber(scenario.curve.squareR);
    j += ",\"runs\":" + std::to_string(runs);
    j += ",\"ed_true\":" + jsonNumber(c.edTrue);
    j += ",\"eb_true\":" + jsonNumber(c.ebTrue);
    j += ",\"ed_estimated\":" + jsonNumber(c.ed);
    j += ",\"eb_estimated\":" + jsonNumber(c.eb);
    j += ",\"ed_first\":" + jsonNumber(c.estimate.ed);
    j += ",\"eb_first\":" + jsonNumber(c.estimate.eb);
    j += ",\"emax_syst_check\":" + jsonNumber(c.check.emaxSyst);
    j += ",\"alpha_rad\":" + jsonNumber(c.estimate.alpha);
    j += ",\"beta_rad\":" + jsonNumber(c.estimate.beta);
    j += ",\"radius\":" + jsonNumber(c.estimate.radius);
    j += ",\"c_left\":" + jsonNumber(c.correction.leftFactor);
    j += ",\"c_right\":" + jsonNumber(c.correction.rightFactor);
    j += ",\"emax_syst_before\":" + jsonNumber(c.before.emaxSyst);
    j += ",\"emax_syst_after\":" + jsonNumber(c.after.emaxSyst);
    j += ",\"spread_before\":" + jsonNumber(c.before.spread);
    j += ",\"spread_after\":" + jsonNumber(c.after.spread);
    j += ",\"before\":{\"ccw\":" + jsonCluster(c.before.ccw) +
         ",\"cw\":" + jsonCluster(c.before.cw) + "}";
    j += ",\"after\":{\"ccw\":" + jsonCluster(c.after.ccw) + ",\"cw\":" + jsonCluster(c.after.cw) +
         "}";
    j += "}\n";
    return j;
}

std::string returnPositionsSvg(const Calibration& c) {
    struct Series {
        const ReturnCluster* cluster;
        const char* colour;
        bool hollow;
        const char* label;
    };
    const Series series[] = {
        {&c.before.ccw, "#1f5fbf", false, "ccw before"},
        {&c.before.cw, "#c0392b", false, "cw before"},
        {&c.after.ccw, "#1f5fbf", true, "ccw after"},
        {&c.after.cw, "#c0392b", true, "cw after"},
    };
    // A square range around the origin that holds every point [mm].
    double extent = 1.0;
    for (const Series& s : series) {
        for (const ReturnError& e : s.cluster->runs) {
            extent = std::fmax(extent, std::fabs(e.x) * kMmPerM);
            extent = std::fmax(extent, std::fabs(e.y) * kMmPerM);
        }
    }
    const double step = tickStep(2.0 * extent);
    extent = std::ceil(extent / step) * step;
    const double plot = kSvgSize - 2.0 * kSvgMargin;
    auto px = [&](double mm) { return kSvgMargin + (mm + extent) / (2.0 * extent) * plot; };
    auto py = [&](double mm) { return kSvgMargin + (extent - mm) / (2.0 * extent) * plot; };

    std::string svg = formatText(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
        "viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\" font-size=\"11\">\n",
        kSvgSize, kSvgSize, kSvgSize, kSvgSize);
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += formatText(
        "<text x=\"%.1f\" y=\"20\" text-anchor=\"middle\" font-size=\"13\">Return position "
        "errors: E_max,syst %.1f mm before, %.1f mm after</text>\n",
        kSvgSize / 2.0, c.before.emaxSyst * kMmPerM, c.after.emaxSyst * kMmPerM);
    // Grid, ticks and the axes through the origin.
    for (double v = -extent; v <= extent + step / 2.0; v += step) {
        const double tick = std::fabs(v) < step / 2.0 ? 0.0 : v;
        svg +=
            formatText("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"%s\"/>\n",
                       px(tick), py(-extent), px(tick), py(extent), tick == 0.0 ? "#000" : "#ddd");
        svg +=
            formatText("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"%s\"/>\n",
                       px(-extent), py(tick), px(extent), py(tick), tick == 0.0 ? "#000" : "#ddd");
        svg += formatText("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"middle\">%g</text>\n",
                          px(tick), py(-extent) + 14.0, tick);
        svg += formatText("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"end\">%g</text>\n",
                          px(-extent) - 4.0, py(tick) + 4.0, tick);
    }
    svg += formatText("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">x error [mm]</text>\n",
                      kSvgSize / 2.0, kSvgSize - 16.0);
    svg += formatText(
        "<text x=\"16\" y=\"%.1f\" text-anchor=\"middle\" transform=\"rotate(-90 16 %.1f)\">"
        "y error [mm]</text>\n",
        kSvgSize / 2.0, kSvgSize / 2.0);
    double legendY = kSvgMargin + 12.0;
    for (const Series& s : series) {
        const std::string fill = s.hollow ? "none" : s.colour;
        svg += formatText("<g class=\"cluster\" data-label=\"%s\">\n", s.label);
        for (const ReturnError& e : s.cluster->runs) {
            svg += formatText(
                "<circle cx=\"%.2f\" cy=\"%.2f\" r=\"%.1f\" fill=\"%s\" stroke=\"%s\"/>\n",
                px(e.x * kMmPerM), py(e.y * kMmPerM), kDotRadius, fill.c_str(), s.colour);
        }
        if (!s.cluster->runs.empty()) {
            const double cx = px(s.cluster->centroid.x * kMmPerM);
            const double cy = py(s.cluster->centroid.y * kMmPerM);
            svg += formatText(
                "<circle class=\"centroid\" cx=\"%.2f\" cy=\"%.2f\" r=\"%.1f\" fill=\"none\" "
                "stroke=\"%s\" stroke-width=\"2\"/>\n",
                cx, cy, kCentroidRadius, s.colour);
            svg += formatText("<path d=\"M%.2f %.2fh%.1fM%.2f %.2fv%.1f\" stroke=\"%s\"/>\n",
                              cx - kCentroidRadius, cy, 2.0 * kCentroidRadius, cx,
                              cy - kCentroidRadius, 2.0 * kCentroidRadius, s.colour);
        }
        svg += "</g>\n";
        svg += formatText(
            "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"%s\" stroke=\"%s\"/>"
            "<text x=\"%.1f\" y=\"%.1f\">%s</text>\n",
            kSvgSize - kSvgMargin - 80.0, legendY, kDotRadius, fill.c_str(), s.colour,
            kSvgSize - kSvgMargin - 72.0, legendY + 4.0, s.label);
        legendY += 16.0;
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace agv
