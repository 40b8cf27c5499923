// Vertex lists of the filled and outlined shapes, in each shape's own frame (before
// the translation and rotation that place it). Kept free of OpenGL so the geometry can
// be checked on its own.
#pragma once

#include <vector>

namespace agv {

/// A point or vector in window units (or in a shape's own frame).
struct Vec2 {
    double x = 0.0, y = 0.0;
};

inline Vec2 operator+(Vec2 p, Vec2 q) {
    return {p.x + q.x, p.y + q.y};
}
inline Vec2 operator-(Vec2 p, Vec2 q) {
    return {p.x - q.x, p.y - q.y};
}
inline Vec2 operator*(double k, Vec2 p) {
    return {k * p.x, k * p.y};
}

/// Vertices of a full circle.
inline constexpr int kCircleVertexCount = 120;
/// Vertices of each rounded end of a stadium (the end points of each arc excluded).
inline constexpr int kStadiumArcVertexCount = 119;

/// The 120 points r(cos, sin) at angles i·2π/120.
std::vector<Vec2> circleVertices(double r);

/// The 120 points r(cos, sin) at angles a − i·π/120, clockwise from a.
std::vector<Vec2> halfCircleVertices(double r, double a);

/// Stadium of straight length L and width W along +x, centred on the origin: the
/// rectangle ±L/2 by ±W/2 closed by semicircles of radius W/2 about (∓L/2, 0).
std::vector<Vec2> stadiumVertices(double L, double W);

/// Rectangle (0, 0), (w, 0), (w, h), (0, h).
std::vector<Vec2> rectVertices(double w, double h);

/// Body pentagon about its reference point: length L, width W, rear part b behind
/// the reference point and a nose of half angle t [rad] in front.
std::vector<Vec2> bodyVertices(double L, double W, double b, double t);

/// Image of a point of a shape's frame rotated by angle [rad] about origin.
Vec2 placeInFrame(Vec2 origin, double angle, Vec2 local);

}  // namespace agv
