#include "draw/vehicle_figure.h"

#include <cmath>

#include "draw/primitives.h"
#include "draw/scene.h"
#include "draw/view_state.h"
#include "sim/model.h"

namespace agv {

namespace {

using namespace figure;

// Collects the operations of one figure; all lengths are in metres and scaled by z here.
class FigureBuilder {
  public:
    explicit FigureBuilder(double z) : z_(z) {}

    std::vector<DrawOp> take() { return std::move(ops_); }

    void body(Vec2 p, double angle, Rgba c) {
        DrawOp op = make(DrawOp::kFillBody, p, angle, c);
        op.a = kBodyLength * z_;
        op.b = kBodyWidth * z_;
        op.rear = kBodyRear * z_;
        op.nose = kNoseAngle;
        ops_.push_back(op);
    }

    void stadium(Vec2 c, double length, double width, double angle, Rgba color) {
        DrawOp op = make(DrawOp::kFillStadium, c, angle, color);
        op.a = length * z_;
        op.b = width * z_;
        ops_.push_back(op);
    }

    // A white part: the white fill and its black outline.
    void whiteStadium(Vec2 c, double length, double width, double angle) {
        stadium(c, length, width, angle, colorWhite);
        DrawOp op = ops_.back();
        op.kind = DrawOp::kOutlineStadium;
        op.color = colorBlack;
        ops_.push_back(op);
    }

    void whiteRect(Vec2 corner, double angle) {
        DrawOp op = make(DrawOp::kFillRect, corner, angle, colorWhite);
        op.a = kMotorSide * z_;
        op.b = kMotorSide * z_;
        ops_.push_back(op);
        op.kind = DrawOp::kOutlineRect;
        op.color = colorBlack;
        ops_.push_back(op);
    }

    void whiteDisc(Vec2 c, double r) {
        DrawOp op = make(DrawOp::kFillDisc, c, 0.0, colorWhite);
        op.a = r * z_;
        ops_.push_back(op);
        op.kind = DrawOp::kOutlineCircle;
        op.color = colorBlack;
        ops_.push_back(op);
    }

    void whiteHalfDisc(Vec2 c, double r, double startAngle) {
        DrawOp op = make(DrawOp::kFillHalfDisc, c, startAngle, colorWhite);
        op.a = r * z_;
        ops_.push_back(op);
        op.kind = DrawOp::kOutlineHalfCircle;
        op.color = colorBlack;
        ops_.push_back(op);
    }

    void referenceDot(Vec2 p) {
        DrawOp op = make(DrawOp::kFillDisc, p, 0.0, colorWhite);
        op.a = kPivotRadius * z_;
        ops_.push_back(op);
    }

    // Black line whose width follows the zoom (axles, shafts, arms).
    void axle(Vec2 p, Vec2 q) { line(p, q, kAxleWidth * z_); }

    // Black line of fixed width (forks, diagonals).
    void thinLine(Vec2 p, Vec2 q) { line(p, q, kThinLineWidth); }

  private:
    static DrawOp make(DrawOp::Kind kind, Vec2 p, double angle, Rgba color) {
        DrawOp op;
        op.kind = kind;
        op.p = p;
        op.angle = angle;
        op.color = color;
        return op;
    }

    void line(Vec2 p, Vec2 q, double width) {
        DrawOp op = make(DrawOp::kThickLine, p, 0.0, colorBlack);
        op.q = q;
        op.width = width;
        ops_.push_back(op);
    }

    double z_;
    std::vector<DrawOp> ops_;
};

}  // namespace

std::vector<DrawOp> vehicleFigure(int vehicleType, Vec2 p, double theta, double phi, double z,
                                  Rgba color) {
    if (vehicleType < k2DW1C || vehicleType > k1RDW1FS) return {};

    const Vec2 h{std::cos(theta), std::sin(theta)};
    const Vec2 n{-std::sin(theta), std::cos(theta)};
    const double wheelAngle = theta + phi;
    const Vec2 h2{std::cos(wheelAngle), std::sin(wheelAngle)};
    const Vec2 n2{-std::sin(wheelAngle), std::cos(wheelAngle)};
    const Vec2 front = p + (kFrontDistance * z) * h;
    const Vec2 wheelL = p + (kRearWheelOffset * z) * n;
    const Vec2 wheelR = p - (kRearWheelOffset * z) * n;

    FigureBuilder f(z);
    auto rearWheels = [&] {
        f.stadium(wheelL, kRearWheelLength, kRearWheelWidth, theta, color);
        f.stadium(wheelR, kRearWheelLength, kRearWheelWidth, theta, color);
    };
    auto rearAxle = [&] { f.axle(wheelL, wheelR); };
    auto steeringHalfDisc = [&] { f.whiteHalfDisc(front, kPivotRadius, wheelAngle - kHalfPi); };
    auto steeringFork = [&] {
        const Vec2 forward = front + (kForkHalfSpacing * z) * h2;
        const Vec2 left = forward + (kForkHalfSpacing * z) * n2;
        const Vec2 right = forward - (kForkHalfSpacing * z) * n2;
        f.thinLine(left, left - (kForkLength * z) * h2);
        f.thinLine(right, right - (kForkLength * z) * h2);
    };
    auto frontWheel = [&] {
        f.whiteStadium(front, kFrontWheelLength, kFrontWheelWidth, wheelAngle);
    };

    switch (vehicleType) {
        case k2DW1C: {
            f.body(p, theta, color);
            rearWheels();
            // Left drive: axle inward from the wheel, motor square beyond it.
            const Vec2 a = wheelL - (kWheelHalfWidth * z) * n;
            const Vec2 a2 = a - (kDriveAxleLength * z) * n;
            f.axle(a, a2);
            f.whiteRect(a2 - (kMotorSide / 2.0 * z) * h - (kMotorSide * z) * n, theta);
            // Right drive, mirrored.
            const Vec2 b = wheelR + (kWheelHalfWidth * z) * n;
            const Vec2 b2 = b + (kDriveAxleLength * z) * n;
            f.axle(b, b2);
            f.whiteRect(b2 - (kMotorSide / 2.0 * z) * h, theta);
            // Trailing caster.
            f.whiteStadium(front - (kCasterTrail * z) * h2, kFrontWheelLength, kFrontWheelWidth,
                           wheelAngle);
            const Vec2 e = front - (kCasterArm * z) * h2;
            f.axle(front, e);
            const Vec2 g = e + (kForkHalfSpacing * z) * n2;
            const Vec2 g2 = e - (kForkHalfSpacing * z) * n2;
            f.thinLine(g, g - (kCasterForkLength * z) * h2);
            f.thinLine(g, g2);
            f.thinLine(g2 - (kCasterForkLength * z) * h2, g2);
            f.whiteDisc(front, kPivotRadius);
            break;
        }
        case k1FDW1FS: {
            rearAxle();
            f.body(p, theta, color);
            rearWheels();
            steeringHalfDisc();
            steeringFork();
            frontWheel();
            // Front motor on the left of the wheel, turning with it.
            const Vec2 m = front + (kFrontWheelWidth / 2.0 * z) * n2;
            const Vec2 m2 = m + (kFrontMotorAxle * z) * n2;
            f.axle(m, m2);
            f.whiteRect(m2 - (kMotorSide / 2.0 * z) * h2, wheelAngle);
            break;
        }
        case k1RDW1FS: {
            f.body(p, theta, color);
            rearAxle();
            rearWheels();
            // Differential: a square centred on the reference point with both diagonals.
            const Vec2 d = p - (kMotorSide / 2.0 * z) * h - (kMotorSide / 2.0 * z) * n;
            f.whiteRect(d, theta);
            f.thinLine(d, d + (kMotorSide * z) * h + (kMotorSide * z) * n);
            f.thinLine(d + (kMotorSide * z) * h, d + (kMotorSide * z) * n);
            // Drive shaft forward to the motor.
            const Vec2 s = p + (kMotorSide * z) * h;
            f.axle(p + (kMotorSide / 2.0 * z) * h, s);
            f.whiteRect(s - (kMotorSide / 2.0 * z) * n, theta);
            steeringHalfDisc();
            steeringFork();
            frontWheel();
            break;
        }
        default:
            break;
    }
    f.referenceDot(p);
    return f.take();
}

void drawOps(DrawBackend& b, const std::vector<DrawOp>& ops) {
    for (const DrawOp& op : ops) {
        switch (op.kind) {
            case DrawOp::kFillBody:
                fillBody(b, op.p, op.a, op.b, op.rear, op.nose, op.angle, op.color);
                break;
            case DrawOp::kFillStadium:
                fillStadium(b, op.p, op.a, op.b, op.angle, op.color);
                break;
            case DrawOp::kOutlineStadium:
                outlineStadium(b, op.p, op.a, op.b, op.angle, op.color);
                break;
            case DrawOp::kFillRect:
                fillRect(b, op.p, op.a, op.b, op.angle, op.color);
                break;
            case DrawOp::kOutlineRect:
                outlineRect(b, op.p, op.a, op.b, op.angle, op.color);
                break;
            case DrawOp::kFillDisc:
                fillDisc(b, op.p, op.a, op.color);
                break;
            case DrawOp::kOutlineCircle:
                outlineCircle(b, op.p, op.a, op.color);
                break;
            case DrawOp::kFillHalfDisc:
                fillHalfDisc(b, op.p, op.a, op.angle, op.color);
                break;
            case DrawOp::kOutlineHalfCircle:
                outlineHalfCircle(b, op.p, op.a, op.angle, op.color);
                break;
            case DrawOp::kThickLine:
                drawThickLine(b, op.p, op.q, op.width, op.color);
                break;
        }
    }
}

void drawVehicle(DrawBackend& b, const Scene& scene, double x, double y, double theta, double phi,
                 Rgba color) {
    double window[2];
    toWindow(scene.view, x, y, window);
    drawOps(b, vehicleFigure(scene.view.vehicleType, {window[0], window[1]}, theta, phi,
                             scene.view.viewScale, color));
}

}  // namespace agv
