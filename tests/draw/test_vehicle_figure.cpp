// Vehicle figures: the construction of each mechanism's parts, and the figures as they
// appear in the rendered window at the start of the motion.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/console/window.h"
#include "draw/render_support.h"
#include "draw/vehicle_figure.h"

namespace {

using agv::DrawOp;
using agv::Vec2;
using namespace agvtest;

constexpr double kZ = 0.2;

std::vector<DrawOp::Kind> kinds(const std::vector<DrawOp>& ops) {
    std::vector<DrawOp::Kind> k;
    for (const DrawOp& op : ops)
        k.push_back(op.kind);
    return k;
}

void expectPoint(Vec2 p, double x, double y) {
    EXPECT_NEAR(p.x, x, 1e-12);
    EXPECT_NEAR(p.y, y, 1e-12);
}

TEST(VehicleFigure, PartsComeInTheDrawingOrderOfEachMechanism) {
    using K = DrawOp::Kind;
    const std::vector<K> type1 = {
        K::kFillBody,    K::kFillStadium,    K::kFillStadium,  // body, rear wheels
        K::kThickLine,   K::kFillRect,       K::kOutlineRect,  // left drive
        K::kThickLine,   K::kFillRect,       K::kOutlineRect,  // right drive
        K::kFillStadium, K::kOutlineStadium,                   // caster wheel
        K::kThickLine,                                         // caster arm
        K::kThickLine,   K::kThickLine,      K::kThickLine,    // caster fork
        K::kFillDisc,    K::kOutlineCircle,  K::kFillDisc};    // pivot, reference dot
    const std::vector<K> type2 = {
        K::kThickLine,         K::kFillBody,  K::kFillStadium, K::kFillStadium, K::kFillHalfDisc,
        K::kOutlineHalfCircle, K::kThickLine, K::kThickLine,   K::kFillStadium, K::kOutlineStadium,
        K::kThickLine,         K::kFillRect,  K::kOutlineRect, K::kFillDisc};
    const std::vector<K> type3 = {
        K::kFillBody,    K::kThickLine,      K::kFillStadium,       K::kFillStadium, K::kFillRect,
        K::kOutlineRect, K::kThickLine,      K::kThickLine,         K::kThickLine,   K::kFillRect,
        K::kOutlineRect, K::kFillHalfDisc,   K::kOutlineHalfCircle, K::kThickLine,   K::kThickLine,
        K::kFillStadium, K::kOutlineStadium, K::kFillDisc};
    EXPECT_EQ(kinds(agv::vehicleFigure(1, {}, 0.3, 0.1, kZ, agv::colorBlue)), type1);
    EXPECT_EQ(kinds(agv::vehicleFigure(2, {}, 0.3, 0.1, kZ, agv::colorBlue)), type2);
    EXPECT_EQ(kinds(agv::vehicleFigure(3, {}, 0.3, 0.1, kZ, agv::colorBlue)), type3);
    EXPECT_TRUE(agv::vehicleFigure(0, {}, 0.0, 0.0, kZ, agv::colorBlue).empty());
    EXPECT_TRUE(agv::vehicleFigure(4, {}, 0.0, 0.0, kZ, agv::colorBlue).empty());
}

TEST(VehicleFigure, CasterTrailsStraightBehindThePivotWithoutTurning) {
    const Vec2 p{0.1, -0.2};
    const auto ops = agv::vehicleFigure(1, p, 0.0, 0.0, kZ, agv::colorGreen);
    // Body in the vehicle colour, sized by the scale, at the reference point.
    EXPECT_EQ(ops[0].color, agv::colorGreen);
    EXPECT_NEAR(ops[0].a, 1.2 * kZ, 1e-15);
    EXPECT_NEAR(ops[0].rear, 0.2 * kZ, 1e-15);
    // Rear wheels 0.6 to each side.
    expectPoint(ops[1].p, 0.1, -0.2 + 0.6 * kZ);
    expectPoint(ops[2].p, 0.1, -0.2 - 0.6 * kZ);
    // Caster wheel 0.8 ahead of the reference point, a white part.
    expectPoint(ops[9].p, 0.1 + 0.8 * kZ, -0.2);
    EXPECT_EQ(ops[9].color, agv::colorWhite);
    EXPECT_EQ(ops[10].color, agv::colorBlack);
    // Pivot at the front point.
    expectPoint(ops[15].p, 0.1 + 1.0 * kZ, -0.2);
    // Left motor square between 0.38 and 0.22 across, ±0.08 along.
    expectPoint(ops[4].p, 0.1 - 0.08 * kZ, -0.2 + 0.22 * kZ);
}

TEST(VehicleFigure, FrontWheelPartsTurnWithTheSteeringAngle) {
    const double theta = 0.4, phi = -0.3;
    const Vec2 p{0.0, 0.0};
    const auto ops = agv::vehicleFigure(2, p, theta, phi, kZ, agv::colorBlue);
    const Vec2 f{kZ * std::cos(theta), kZ * std::sin(theta)};
    const Vec2 h2{std::cos(theta + phi), std::sin(theta + phi)};
    const Vec2 n2{-h2.y, h2.x};
    // Half disc behind the front point, opposite the wheel's direction.
    EXPECT_NEAR(ops[4].angle, theta + phi - agv::kHalfPi, 1e-15);
    expectPoint(ops[4].p, f.x, f.y);
    // Fork sides parallel to the wheel, 0.096 long.
    for (int i : {6, 7}) {
        const Vec2 d = ops[i].p - ops[i].q;
        EXPECT_NEAR(d.x, 0.096 * kZ * h2.x, 1e-12);
        EXPECT_NEAR(d.y, 0.096 * kZ * h2.y, 1e-12);
    }
    // Front wheel along the steering direction; the motor square turns with it.
    EXPECT_NEAR(ops[8].angle, theta + phi, 1e-15);
    EXPECT_NEAR(ops[11].angle, theta + phi, 1e-15);
    const Vec2 motorAxleEnd = f + (0.12 * kZ) * n2;
    expectPoint(ops[10].q, motorAxleEnd.x, motorAxleEnd.y);
}

TEST(VehicleFigure, ForkLinesKeepTheirWidthWhileAxlesFollowTheZoom) {
    for (double z : {0.2, 0.2 * std::pow(0.9, 10)}) {
        const auto ops = agv::vehicleFigure(3, {}, 0.0, 0.0, z, agv::colorBlue);
        EXPECT_NEAR(ops[1].width, 0.04 * z, 1e-15);  // rear axle
        EXPECT_NEAR(ops[6].width, 0.008, 1e-15);     // diagonal of the differential
        EXPECT_NEAR(ops[13].width, 0.008, 1e-15);    // fork side
        EXPECT_NEAR(ops[15].a, 0.12 * z, 1e-15);     // front wheel length
    }
    // The differential square is centred on the reference point.
    const auto ops = agv::vehicleFigure(3, {0.3, 0.3}, 1.0, 0.0, kZ, agv::colorBlue);
    const Vec2 centre = agv::placeInFrame(ops[4].p, 1.0, {0.08 * kZ, 0.08 * kZ});
    expectPoint(centre, 0.3, 0.3);
}

// Window point of a point given in the body frame of a figure at the world pose.
Vec2 bodyPoint(const agv::AgvContext& ctx, const agv::PoseRecord& r, double along, double across) {
    const Vec2 p = windowOf(ctx, r[agv::kPoseX], r[agv::kPoseY]);
    const double z = ctx.view.viewScale, th = r[agv::kPoseTheta];
    return agv::placeInFrame(p, th, {along * z, across * z});
}

class RenderedFigure : public ::testing::TestWithParam<int> {};

// The cubic path starts straight (heading 0, curvature 0): every figure starts unturned.
TEST_P(RenderedFigure, StandsInTheStartPoseAtRecordZero) {
    auto ctx = computedContext('2', 3.0, 0.0, 4);
    agv::applyWindowKey(*ctx, static_cast<unsigned char>('0' + GetParam()));
    const agv::PoseRecord& start = ctx->data.store->fbcTraj[GetParam() - 1][0];
    ASSERT_NEAR(start[agv::kPoseTheta], 0.0, 1e-12);
    ASSERT_NEAR(start[agv::kPosePhi], 0.0, 1e-12);

    const Picture pic = renderFrame(*ctx);
    for (auto [along, across] : {std::pair{0.4, 0.3}, {0.4, -0.3}, {-0.15, 0.35}, {1.1, -0.2}}) {
        const Vec2 w = bodyPoint(*ctx, start, along, across);
        EXPECT_EQ(pic.at(w.x, w.y), kGreen) << along << "," << across;
    }
    // Beside the nose and behind the body: no figure.
    for (auto [along, across] : {std::pair{1.25, -0.3}, {-0.35, 0.0}}) {
        const Vec2 w = bodyPoint(*ctx, start, along, across);
        EXPECT_NE(pic.at(w.x, w.y), kGreen) << along << "," << across;
    }
    // The white caster (type 1) or front wheel (types 2, 3) ahead of the body's middle.
    const Vec2 wheel = bodyPoint(*ctx, start, GetParam() == 1 ? 0.8 : 1.0, 0.0);
    EXPECT_EQ(pic.at(wheel.x, wheel.y), kWhite);
    // Rear wheels in the vehicle colour outside the body.
    const Vec2 rear = bodyPoint(*ctx, start, 0.0, 0.6);
    EXPECT_EQ(pic.at(rear.x, rear.y), kGreen);
    // The blue vehicle stands at the same pose, under the green one.
    EXPECT_EQ(pic.count(kBlue, -1.0, -1.0, 0.34, 1.0), 0);
}

INSTANTIATE_TEST_SUITE_P(Types, RenderedFigure, ::testing::Values(1, 2, 3));

// Whether w lies more than d window units from every point of records 0..last.
bool clearOf(const agv::AgvContext& ctx, const agv::PoseRecord* records, int last, Vec2 w,
             double d) {
    for (int i = 0; i <= last; ++i) {
        const Vec2 p = windowOf(ctx, records[i][agv::kPoseX], records[i][agv::kPoseY]);
        if (std::hypot(p.x - w.x, p.y - w.y) <= d) return false;
    }
    return true;
}

TEST(RenderedFigures, BlueFigureStandsAtItsOwnRecordAndShrinksWithZoom) {
    auto ctx = computedContext('3', 10.0, 0.0, 15);
    agv::applyWindowKey(*ctx, '2');
    const int last = ctx->data.store->recordCount[1];
    ctx->view.motionIndex = last;
    // Move the controlled vehicle's last record out of the view, so that its figure
    // cannot hide the uncontrolled one.
    ctx->data.store->fbcTraj[1][last][agv::kPoseX] = 100.0;
    const agv::PoseRecord& blue = ctx->data.store->noFbcTraj[1][last];

    const Picture pic = renderFrame(*ctx);
    int probed = 0;
    for (double along : {-0.1, 0.2, 0.5, 0.8}) {
        for (double across : {-0.35, 0.0, 0.35}) {
            const Vec2 w = bodyPoint(*ctx, blue, along, across);
            // Lines drawn over the figure: the red path and the green trail.
            if (!clearOf(*ctx, ctx->data.store->theoryTraj[1].data(), last, w, 0.01) ||
                !clearOf(*ctx, ctx->data.store->fbcTraj[1].data(), last - 1, w, 0.015) ||
                w.x > 0.34) {
                continue;
            }
            ++probed;
            EXPECT_EQ(pic.at(w.x, w.y), kBlue) << along << "," << across;
        }
    }
    EXPECT_GE(probed, 4);

    // Back at record 0 the figures are far smaller in area after three presses of 'w'.
    agv::applyWindowKey(*ctx, '0');
    const int before = renderFrame(*ctx).count(kGreen, -1.0, -1.0, 0.34, 1.0);
    for (int i = 0; i < 3; ++i)
        agv::applyWindowKey(*ctx, 'w');
    const int after = renderFrame(*ctx).count(kGreen, -1.0, -1.0, 0.34, 1.0);
    const double areaRatio = std::pow(0.9, 6);
    EXPECT_NEAR(static_cast<double>(after) / before, areaRatio, 0.08);
}

}  // namespace
