#include "draw/shapes.h"

#include <cmath>

#include "sim/model.h"

namespace agv {

std::vector<Vec2> circleVertices(double r) {
    std::vector<Vec2> v(kCircleVertexCount);
    for (int i = 0; i < kCircleVertexCount; ++i) {
        const double angle = i * kTwoPi / kCircleVertexCount;
        v[i] = {r * std::cos(angle), r * std::sin(angle)};
    }
    return v;
}

std::vector<Vec2> halfCircleVertices(double r, double a) {
    std::vector<Vec2> v(kCircleVertexCount);
    for (int i = 0; i < kCircleVertexCount; ++i) {
        const double angle = a - i * kPi / kCircleVertexCount;
        v[i] = {r * std::cos(angle), r * std::sin(angle)};
    }
    return v;
}

std::vector<Vec2> stadiumVertices(double L, double W) {
    const double halfL = L / 2.0;
    const double radius = W / 2.0;
    std::vector<Vec2> v;
    v.reserve(2 * kStadiumArcVertexCount + 4);
    v.push_back({-halfL, radius});
    // Rear end: counter-clockwise from the top of the left semicircle to its bottom.
    for (int i = 1; i <= kStadiumArcVertexCount; ++i) {
        const double angle = kHalfPi + i * kPi / kCircleVertexCount;
        v.push_back({-halfL + radius * std::cos(angle), radius * std::sin(angle)});
    }
    v.push_back({-halfL, -radius});
    v.push_back({halfL, -radius});
    // Front end: from the bottom of the right semicircle round to its top.
    for (int i = 1; i <= kStadiumArcVertexCount; ++i) {
        const double angle = -kHalfPi + i * kPi / kCircleVertexCount;
        v.push_back({halfL + radius * std::cos(angle), radius * std::sin(angle)});
    }
    v.push_back({halfL, radius});
    return v;
}

std::vector<Vec2> rectVertices(double w, double h) {
    return {{0.0, 0.0}, {w, 0.0}, {w, h}, {0.0, h}};
}

std::vector<Vec2> bodyVertices(double L, double W, double b, double t) {
    const double halfW = W / 2.0;
    return {{-b, -halfW},
            {L - b, -halfW},
            {L - b + std::tan(t) * halfW, 0.0},
            {L - b, halfW},
            {-b, halfW}};
}

Vec2 placeInFrame(Vec2 origin, double angle, Vec2 local) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {origin.x + c * local.x - s * local.y, origin.y + s * local.x + c * local.y};
}

}  // namespace agv
