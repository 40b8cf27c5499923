// Plan-view figures of the three vehicle mechanisms, built as an ordered list of
// drawing operations (pure geometry) and then drawn with the primitives.
#pragma once

#include <vector>

#include "draw/colors.h"
#include "draw/shapes.h"

namespace agv {

class DrawBackend;
struct Scene;

/// Figure dimensions [m]; every one is multiplied by the view scale.
namespace figure {
inline constexpr double kBodyLength = 1.2;
inline constexpr double kBodyWidth = 1.0;
inline constexpr double kBodyRear = 0.2;
/// Half angle of the nose [rad] (30°).
inline constexpr double kNoseAngle = 0.5235988;
/// Distance from the reference point to the caster pivot or front wheel centre.
inline constexpr double kFrontDistance = 1.0;
inline constexpr double kRearWheelOffset = 0.6;
inline constexpr double kRearWheelLength = 0.24;
inline constexpr double kRearWheelWidth = 0.12;
inline constexpr double kFrontWheelLength = 0.12;
inline constexpr double kFrontWheelWidth = 0.08;
inline constexpr double kCasterTrail = 0.2;
inline constexpr double kCasterArm = 0.08;
/// Half spacing of the two fork sides.
inline constexpr double kForkHalfSpacing = 0.048;
/// Length of the steering fork sides.
inline constexpr double kForkLength = 0.096;
/// Length of the caster fork sides.
inline constexpr double kCasterForkLength = 0.16;
inline constexpr double kMotorSide = 0.16;
inline constexpr double kPivotRadius = 0.04;
/// Width of axles, shafts and arms.
inline constexpr double kAxleWidth = 0.04;
/// Distance from a rear wheel centre to the inner end of its drive axle.
inline constexpr double kWheelHalfWidth = 0.06;
/// Length of the drive axle of a rear motor (type 1).
inline constexpr double kDriveAxleLength = 0.16;
/// Length of the front motor's axle (type 2).
inline constexpr double kFrontMotorAxle = 0.08;
/// Width of fork and diagonal lines [window units]; does not follow the zoom.
inline constexpr double kThinLineWidth = 0.008;
}  // namespace figure

/// One primitive call of a figure.
struct DrawOp {
    enum Kind {
        kFillBody,
        kFillStadium,
        kOutlineStadium,
        kFillRect,
        kOutlineRect,
        kFillDisc,
        kOutlineCircle,
        kFillHalfDisc,
        kOutlineHalfCircle,
        kThickLine,
    };
    Kind kind = kFillDisc;
    /// Centre, corner, reference point or line start [window units].
    Vec2 p;
    /// Line end [window units].
    Vec2 q;
    /// Length and width (stadium, body), width and height (rectangle), radius in `a`.
    double a = 0.0, b = 0.0;
    /// Body: rear part and nose angle [rad].
    double rear = 0.0, nose = 0.0;
    /// Rotation of the shape's frame or start angle of a half disc [rad].
    double angle = 0.0;
    /// Line width [window units].
    double width = 0.0;
    Rgba color = colorBlack;
};

/// Operations of the figure of vehicleType (1 to 3) with its reference point at p
/// (window units), heading theta and front angle phi [rad], scale z (window units per
/// metre), in drawing order. An unknown type gives no operations.
std::vector<DrawOp> vehicleFigure(int vehicleType, Vec2 p, double theta, double phi, double z,
                                  Rgba color);

/// Draws the operations in order.
void drawOps(DrawBackend& b, const std::vector<DrawOp>& ops);

/// Figure of the type on show at world position (x, y) [m], heading theta and front
/// angle phi [rad].
void drawVehicle(DrawBackend& b, const Scene& scene, double x, double y, double theta, double phi,
                 Rgba color);

}  // namespace agv
