// Vertex lists of the primitive shapes, checked against their geometric definition.
#include <gtest/gtest.h>

#include <cmath>

#include "draw/shapes.h"
#include "sim/model.h"

namespace {

using agv::Vec2;

double cross(Vec2 a, Vec2 b, Vec2 c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

TEST(Shapes, CircleHasItsVerticesEvenlyOnTheRadius) {
    const auto v = agv::circleVertices(0.5);
    ASSERT_EQ(v.size(), 120u);
    EXPECT_DOUBLE_EQ(v[0].x, 0.5);
    EXPECT_DOUBLE_EQ(v[0].y, 0.0);
    EXPECT_NEAR(v[30].x, 0.0, 1e-12);  // a quarter turn later
    EXPECT_NEAR(v[30].y, 0.5, 1e-12);
    for (const Vec2& p : v)
        EXPECT_NEAR(std::hypot(p.x, p.y), 0.5, 1e-12);
}

TEST(Shapes, HalfCircleRunsClockwiseFromItsStartAngle) {
    const double a = 0.7;
    const auto v = agv::halfCircleVertices(2.0, a);
    ASSERT_EQ(v.size(), 120u);
    EXPECT_NEAR(v[0].x, 2.0 * std::cos(a), 1e-12);
    EXPECT_NEAR(v[0].y, 2.0 * std::sin(a), 1e-12);
    // The last point stops one step short of the opposite end of the diameter.
    EXPECT_NEAR(std::atan2(v[119].y, v[119].x), a - 119 * agv::kPi / 120, 1e-12);
    for (size_t i = 2; i < v.size(); ++i)
        EXPECT_LT(cross(v[i - 2], v[i - 1], v[i]), 0.0);
}

TEST(Shapes, StadiumSpansLengthPlusWidthWithRoundEnds) {
    const double L = 0.24, W = 0.12;
    const auto v = agv::stadiumVertices(L, W);
    ASSERT_EQ(v.size(), 242u);
    EXPECT_DOUBLE_EQ(v.front().x, -L / 2);
    EXPECT_DOUBLE_EQ(v.front().y, W / 2);
    EXPECT_DOUBLE_EQ(v[120].x, -L / 2);
    EXPECT_DOUBLE_EQ(v[120].y, -W / 2);
    EXPECT_DOUBLE_EQ(v[121].x, L / 2);
    EXPECT_DOUBLE_EQ(v[121].y, -W / 2);
    EXPECT_DOUBLE_EQ(v.back().x, L / 2);
    EXPECT_DOUBLE_EQ(v.back().y, W / 2);
    double minX = 0, maxX = 0, maxY = 0;
    for (const Vec2& p : v) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, std::fabs(p.y));
    }
    EXPECT_NEAR(maxX - minX, L + W, 1e-12);
    EXPECT_NEAR(maxY, W / 2, 1e-12);
    // A convex outline, counter-clockwise all the way round.
    for (size_t i = 0; i < v.size(); ++i) {
        EXPECT_GE(cross(v[i], v[(i + 1) % v.size()], v[(i + 2) % v.size()]), -1e-15) << i;
    }
}

TEST(Shapes, BodyHasItsNoseTipAheadOfTheStraightSides) {
    const auto v = agv::bodyVertices(1.2, 1.0, 0.2, 0.5235988);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_DOUBLE_EQ(v[0].x, -0.2);
    EXPECT_DOUBLE_EQ(v[1].x, 1.0);
    EXPECT_NEAR(v[2].x, 1.0 + 0.5 * std::tan(agv::kPi / 6), 1e-7);  // ≈ 1.289
    EXPECT_DOUBLE_EQ(v[2].y, 0.0);
    EXPECT_DOUBLE_EQ(v[3].y, 0.5);
}

}  // namespace
