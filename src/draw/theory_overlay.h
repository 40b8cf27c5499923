// The theory overlay of the dd/dth panel (key 't'): the predicted lateral offset of the
// vehicle with feedback as a dashed line over the simulated one, and a caption with the
// lateral poles and the settling time (docs/theory.md).
#pragma once

#include <string>
#include <vector>

#include "draw/shapes.h"
#include "sim/linear_theory.h"

namespace agv {

class DrawBackend;
struct Scene;

/// Length of one dash and its gap along the time axis [window units] (4 px each).
inline constexpr double kDashPeriod = 0.02;

/// Window points of the predicted dd of type index t at records 0..R, on the scales of
/// the simulated dd (magnified five times).
std::vector<Vec2> predictedOffsetPoints(const Scene& scene, int t);

/// Segment ends of the polyline's dashes: drawn where the distance along the time axis from
/// x0 lies in the first half of a period. A dash is kept only when both its ends lie
/// within the plot band about y0, as the series are.
std::vector<Vec2> dashedSegments(const std::vector<Vec2>& points, double x0, double y0,
                                 double period);

/// The caption's two lines: "theory: poles -6.28 -1.88+-5.99i 1/s" and "Ts 1.14 s" (or
/// "unstable design").
std::vector<std::string> theoryCaption(const TypeTheory& theory);

/// Draws the overlay of the vehicle type on show.
void drawTheoryOverlay(DrawBackend& b, const Scene& scene, int vehicleType);

}  // namespace agv
