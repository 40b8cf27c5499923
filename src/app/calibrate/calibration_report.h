// What agvsim-calibrate prints: the readable table, the JSON object and the SVG picture of
// the return positions.
#pragma once

#include <string>

#include "sim/square_benchmark.h"

namespace agv {

/// The figures before and after the correction side by side, with the estimates.
std::string calibrationTable(const Calibration& c, const Scenario& scenario, int runs);

/// One JSON object (lengths in metres, angles in radians).
std::string calibrationJson(const Calibration& c, const Scenario& scenario, int runs);

/// The return positions as an SVG picture: the clockwise and counter-clockwise clusters
/// before and after the correction, their centroids, the axes in millimetres.
std::string returnPositionsSvg(const Calibration& c);

}  // namespace agv
