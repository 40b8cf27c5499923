#include "draw/primitives.h"

#include <cstddef>

namespace agv {

namespace {

/// Line width of the grid lines off the origin [px].
constexpr float kGridLineWidthPx = 1.0f;
/// Line width of the two grid lines through the origin [px].
constexpr float kGridAxisWidthPx = 2.0f;

constexpr Vec2 kWindowOrigin{0.0, 0.0};

float pixelWidth(double w) {
    return static_cast<float>(w * kPixelsPerUnit);
}

void fill(DrawBackend& b, Vec2 origin, double angle, const std::vector<Vec2>& vertices,
          Rgba color) {
    b.shape(ShapeMode::kFill, origin, angle, vertices, kBaseLineWidthPx, color);
}

void outline(DrawBackend& b, ShapeMode mode, Vec2 origin, double angle,
             const std::vector<Vec2>& vertices, Rgba color) {
    b.shape(mode, origin, angle, vertices, kBaseLineWidthPx, color);
}

}  // namespace

void drawLine(DrawBackend& b, Vec2 p, Vec2 q, Rgba color) {
    b.lines(kWindowOrigin, 0.0, {p, q}, kBaseLineWidthPx, color);
}

void drawThickLine(DrawBackend& b, Vec2 p, Vec2 q, double w, Rgba color) {
    b.lines(kWindowOrigin, 0.0, {p, q}, pixelWidth(w), color);
}

void drawThickLines(DrawBackend& b, const std::vector<Vec2>& ends, double w, Rgba color) {
    if (ends.size() < 2) return;
    b.lines(kWindowOrigin, 0.0, ends, pixelWidth(w), color);
}

void fillDisc(DrawBackend& b, Vec2 c, double r, Rgba color) {
    fill(b, c, 0.0, circleVertices(r), color);
}

void outlineCircle(DrawBackend& b, Vec2 c, double r, Rgba color) {
    outline(b, ShapeMode::kClosedOutline, c, 0.0, circleVertices(r), color);
}

void fillHalfDisc(DrawBackend& b, Vec2 c, double r, double a, Rgba color) {
    fill(b, c, 0.0, halfCircleVertices(r, a), color);
}

void outlineHalfCircle(DrawBackend& b, Vec2 c, double r, double a, Rgba color) {
    outline(b, ShapeMode::kOpenOutline, c, 0.0, halfCircleVertices(r, a), color);
}

void fillStadium(DrawBackend& b, Vec2 c, double L, double W, double a, Rgba color) {
    fill(b, c, a, stadiumVertices(L, W), color);
}

void outlineStadium(DrawBackend& b, Vec2 c, double L, double W, double a, Rgba color) {
    outline(b, ShapeMode::kClosedOutline, c, a, stadiumVertices(L, W), color);
}

void fillRect(DrawBackend& b, Vec2 p, double w, double h, double a, Rgba color) {
    fill(b, p, a, rectVertices(w, h), color);
}

void outlineRect(DrawBackend& b, Vec2 p, double w, double h, double a, Rgba color) {
    outline(b, ShapeMode::kClosedOutline, p, a, rectVertices(w, h), color);
}

void fillBody(DrawBackend& b, Vec2 p, double L, double W, double bRear, double t, double a,
              Rgba color) {
    fill(b, p, a, bodyVertices(L, W, bRear, t), color);
}

void drawText(DrawBackend& b, float x, float y, Font font, const char* text) {
    b.text(x, y, font, text);
}

void drawGrid(DrawBackend& b, Vec2 o, double angle, int n, double dx, double dy) {
    // All lines are black, so the order in which they are laid down does not matter.
    std::vector<Vec2> ends;
    ends.reserve(8 * static_cast<std::size_t>(n > 0 ? n : 0));
    for (int i = -n; i <= n; ++i) {
        if (i == 0) continue;
        ends.push_back({i * dx, -n * dy});
        ends.push_back({i * dx, n * dy});
    }
    for (int i = -n; i <= n; ++i) {
        if (i == 0) continue;
        ends.push_back({-n * dx, i * dy});
        ends.push_back({n * dx, i * dy});
    }
    b.lines(o, angle, ends, kGridLineWidthPx, colorBlack);
    b.lines(o, angle, {{0.0, -n * dy}, {0.0, n * dy}, {-n * dx, 0.0}, {n * dx, 0.0}},
            kGridAxisWidthPx, colorBlack);
}

}  // namespace agv
