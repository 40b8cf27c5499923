#include "path/curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "path/arc_length.h"
#include "path/curve_kernels.h"
#include "sim/model.h"

namespace agv {
namespace {

constexpr int kCurves[] = {1, 2, 3, 4, 11, 12, 13, 14, 15, 16};

struct Pose {
    double x, y, theta;
};

Pose tangentPose(const Model& ctx, double p, int I) {
    double pt[2];
    double d[3];
    curvePoint(ctx, p, I, pt);
    curveTangent(ctx, p, I, d);
    return {pt[0], pt[1], d[2]};
}

TEST(CurveValues, GraphCurvesAtDefaults) {
    Model ctx;
    prepareCurve(ctx, 1);
    double pt[2];
    EXPECT_NEAR(curvePoint(ctx, 1.0, 1, pt), 1.0, 1e-12);
    EXPECT_NEAR(curveCurvature(ctx, 0.0, 1), 4.934802, 1e-6);
    EXPECT_NEAR(curveCurvature(ctx, 1.0, 1), -4.934802, 1e-6);

    prepareCurve(ctx, 2);
    EXPECT_NEAR(curvePoint(ctx, 2.0, 2, pt), 2.0, 1e-12);  // rises A over L
    double d[3];
    EXPECT_NEAR(curveTangent(ctx, 2.0, 2, d), 0.0, 1e-12);  // flat at both ends

    prepareCurve(ctx, 3);
    EXPECT_NEAR(curveCurvature(ctx, 0.0, 3), 1.0, 1e-12);
    EXPECT_NEAR(ctx.path.pathEnd[3].theta, 1.107149, 1e-6);
    EXPECT_NEAR(tangentPose(ctx, 2.0, 3).theta, ctx.path.pathEnd[3].theta, 1e-12);
}

TEST(CurveValues, PolarCurvesAtDefaults) {
    Model ctx;
    prepareCurve(ctx, 11);
    Pose q = tangentPose(ctx, kHalfPi, 11);
    EXPECT_NEAR(q.x, 0.0, 1e-12);
    EXPECT_NEAR(q.y, 1.0, 1e-12);  // passes (0, B)

    prepareCurve(ctx, 12);
    EXPECT_NEAR(curveCurvature(ctx, 0.0, 12), 4.0 * kPi, 1e-9);
    const PathEnd& spiral = ctx.path.pathEnd[12];
    EXPECT_NEAR(spiral.x, 2.0, 1e-12);
    EXPECT_NEAR(spiral.y, 0.0, 1e-12);
    EXPECT_NEAR(spiral.theta, 14.057757, 1e-6);

    prepareCurve(ctx, 13);
    q = tangentPose(ctx, 0.0, 13);
    EXPECT_NEAR(q.x, 0.2, 1e-12);
    EXPECT_NEAR(q.y, 0.0, 1e-12);
    EXPECT_NEAR(q.theta, kHalfPi, 1e-12);
    EXPECT_NEAR(curveCurvature(ctx, 0.0, 13), -20.0, 1e-9);
    EXPECT_NEAR(ctx.path.pathStartPose[13].x, 0.2, 1e-12);

    ctx.settings.curve.circleR = 2.5;
    prepareCurve(ctx, 15);
    for (double b : {0.0, 1.0, 7.0}) {
        EXPECT_NEAR(curveCurvature(ctx, b, 15), 0.4, 1e-12);
        EXPECT_NEAR(tangentPose(ctx, b, 15).theta, b + kHalfPi, 1e-12);
    }

    prepareCurve(ctx, 16);  // whole n = 5
    const PathEnd& wavy = ctx.path.pathEnd[16];
    EXPECT_NEAR(wavy.x, 2.3, 1e-9);
    EXPECT_NEAR(wavy.y, 0.0, 1e-12);
    EXPECT_NEAR(wavy.theta, kHalfPi + kTwoPi, 1e-9);
}

TEST(CurveValues, CardioidCuspIsLimited) {
    Model ctx;
    ctx.settings.curve.cardioidB = 1.0;
    prepareCurve(ctx, 13);
    EXPECT_DOUBLE_EQ(curveCurvature(ctx, 0.0, 13), 50.0);
    EXPECT_TRUE(std::isfinite(curvatureRate(ctx, 0.0, 13)));
}

// The rose's tangent angle must stay continuous through every pass through the origin
// and arrive at the end heading of the preparation.
TEST(RoseTangent, ContinuousUpToTheEndHeading) {
    struct Case {
        double n, betaEnd, thetaEnd;
    };
    const Case cases[] = {{2.0, kTwoPi, 6 * kPi},       {3.0, kPi, 4 * kPi},
                          {0.5, 4 * kPi, 6 * kPi},      {1.0, kPi, 2 * kPi},
                          {4.0, kTwoPi, 10 * kPi},      {7.0, kPi, 8 * kPi},
                          {1.0 / 3.0, 3 * kPi, 4 * kPi}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        Model ctx;
        ctx.settings.curve.roseN = c.n;
        prepareCurve(ctx, 14);
        EXPECT_NEAR(ctx.path.pathEndParam[14], c.betaEnd, 1e-12);
        EXPECT_NEAR(ctx.path.pathEnd[14].theta, c.thetaEnd, 1e-9);
        const int samples = 20000;
        double previous = tangentPose(ctx, 0.0, 14).theta;
        double largestJump = 0.0;
        for (int i = 1; i < samples; ++i) {
            const double theta = tangentPose(ctx, c.betaEnd * i / samples, 14).theta;
            largestJump = std::fmax(largestJump, std::fabs(theta - previous));
            previous = theta;
        }
        EXPECT_LT(largestJump, 0.1);
        EXPECT_NEAR(previous, c.thetaEnd, 0.1);
    }
    Model ctx;  // defaults: n = 2
    prepareCurve(ctx, 14);
    for (double b : {kHalfPi - 1e-4, kHalfPi + 1e-4})
        EXPECT_NEAR(tangentPose(ctx, b, 14).theta, 1.5 * kPi, 1e-3);
    for (double b : {1.5 * kPi - 1e-4, 1.5 * kPi + 1e-4})
        EXPECT_NEAR(tangentPose(ctx, b, 14).theta, 4.5 * kPi, 1e-3);
}

TEST(RoseTangent, BoundaryAndAbsurdN) {
    Model ctx;
    ctx.settings.curve.roseN = 0.99;  // between the two rules: taken as one petal
    prepareCurve(ctx, 14);
    EXPECT_EQ(ctx.settings.curve.roseWholeN, 1);
    EXPECT_NEAR(ctx.path.pathEndParam[14], kPi, 1e-12);
    EXPECT_TRUE(std::isfinite(ctx.path.pathEnd[14].theta));

    for (double n : {0.0, 1e-300, 1e300}) {
        SCOPED_TRACE(n);
        ctx.settings.curve.roseN = n;
        prepareCurve(ctx, 14);
        double d[3];
        curveTangent(ctx, 1.0, 14, d);
    }
    ctx.settings.curve.roseN = 1e6;  // a million petals: the pass count is direct
    prepareCurve(ctx, 14);
    EXPECT_NEAR(ctx.path.pathEnd[14].theta, 2e6 * kPi + 2 * kPi, 1e-3);
}

// Derivatives, curvature, speed and curvature rate against central differences of the
// lower-order routines, for every curve.
TEST(CurveDerivatives, AgreeWithDifferences) {
    Model ctx;
    const double h = 1e-5;
    for (int I : kCurves) {
        setupPath(ctx, I);
        const double pEnd = ctx.path.pathEndParam[I];
        for (double f : {0.13, 0.41, 0.77}) {
            SCOPED_TRACE(testing::Message() << "I=" << I << " f=" << f);
            const double p = f * pEnd;
            double a[2], b[2], d[3], da[3], db[3], dd[2];
            curvePoint(ctx, p - h, I, a);
            curvePoint(ctx, p + h, I, b);
            curveTangent(ctx, p, I, d);
            curveTangent(ctx, p - h, I, da);
            curveTangent(ctx, p + h, I, db);
            curveSecondDerivative(ctx, p, I, dd);
            for (int k = 0; k < 2; ++k) {
                EXPECT_NEAR(d[k], (b[k] - a[k]) / (2 * h), 1e-6);
                EXPECT_NEAR(dd[k], (db[k] - da[k]) / (2 * h), 1e-5);
            }
            EXPECT_NEAR(std::remainder(d[2] - std::atan2(d[1], d[0]), 2 * kPi), 0.0, 1e-9);
            const double speed = std::hypot(d[0], d[1]);
            EXPECT_NEAR(curveSpeed(ctx, p, I), speed, 1e-12);
            const double kappa = (d[0] * dd[1] - d[1] * dd[0]) / (speed * speed * speed);
            EXPECT_NEAR(curveCurvature(ctx, p, I), kappa, 1e-9);
            const double rate =
                (curveCurvature(ctx, p + 1e-4, I) - curveCurvature(ctx, p - 1e-4, I)) /
                (2e-4 * speed);
            EXPECT_NEAR(curvatureRate(ctx, p, I), rate, 1e-4 * (1 + std::fabs(rate)));
        }
    }
}

/// Bits of a double, so that comparisons tell -0 from 0.
std::uint64_t bits(double v) {
    std::uint64_t b = 0;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The combined evaluations give the values of the single routines, bit for bit, and the
// derivative bounds hold wherever the curve is sampled, also for steep and many-turn curves.
TEST(CurveEvaluation, CombinedValuesAndBoundsAgreeWithTheCurve) {
    struct Variant {
        int I;
        void (*adjust)(CurveParams&);
    };
    const Variant variants[] = {
        {1, [](CurveParams&) {}},
        {1, [](CurveParams& c) { c.cosineA = 5.0, c.cosineL = 0.5, c.cosineN = 3.5; }},
        {2, [](CurveParams&) {}},
        {3, [](CurveParams&) {}},
        {4, [](CurveParams& c) { c.cubicA = 3.0; }},
        {11, [](CurveParams& c) { c.ellipseA = 3.0, c.ellipseB = 0.5; }},
        {12, [](CurveParams& c) { c.spiralN = 4.0; }},
        {13, [](CurveParams& c) { c.cardioidB = 1.0; }},
        {14, [](CurveParams& c) { c.roseN = 0.5; }},
        {14, [](CurveParams& c) { c.roseA = 20.0, c.roseN = 7.0; }},
        {15, [](CurveParams& c) { c.circleR = 4.7, c.circleN = 1.9; }},
        {16, [](CurveParams& c) { c.wavyN = 3.5; }},
    };
    for (const Variant& v : variants) {
        Model ctx;
        v.adjust(ctx.settings.curve);
        setupPath(ctx, v.I);
        const double pEnd = ctx.path.pathEndParam[v.I];
        const double p0 = -0.3;
        const double p1 = pEnd + 1.2;
        const CurveBounds b = curveDerivativeBounds(ctx, p0, p1, v.I);
        const double step = (p1 - p0) / 997.0;
        for (double p = p0; p <= p1; p += step) {
            SCOPED_TRACE(testing::Message() << "I=" << v.I << " p=" << p);
            double pt[2], slope[2], ref[2], d[3], dd[2];
            const double r = curvePointSlope(ctx, p, v.I, pt, slope);
            EXPECT_EQ(bits(r), bits(curvePoint(ctx, p, v.I, ref)));
            EXPECT_EQ(bits(pt[0]), bits(ref[0]));
            EXPECT_EQ(bits(pt[1]), bits(ref[1]));
            curveTangent(ctx, p, v.I, d);
            EXPECT_EQ(bits(slope[0]), bits(d[0]));
            EXPECT_EQ(bits(slope[1]), bits(d[1]));
            double theta = 0.0, kappa = 0.0;
            curveHeadingCurvature(ctx, p, v.I, theta, kappa);
            EXPECT_EQ(bits(theta), bits(d[2]));
            EXPECT_EQ(bits(kappa), bits(curveCurvature(ctx, p, v.I)));

            curveSecondDerivative(ctx, p, v.I, dd);
            EXPECT_LE(std::hypot(d[0], d[1]), b.speed);
            EXPECT_LE(std::hypot(dd[0], dd[1]), b.bend);
            EXPECT_LE(std::fabs(pt[0]) + std::fabs(pt[1]), b.size);
        }
        // A wider interval never gives smaller bounds.
        const CurveBounds wide = curveDerivativeBounds(ctx, p0 - 5.0, p1 + 5.0, v.I);
        EXPECT_GE(wide.speed, b.speed);
        EXPECT_GE(wide.bend, b.bend);
    }
    // Constants that give no bound give no finite one.
    Model ctx;
    ctx.settings.curve.cubicL = 0.0;
    EXPECT_FALSE(curveDerivativeBounds(ctx, 0.0, 1.0, 4).bend < 1e300);
    EXPECT_FALSE(curveDerivativeBounds(ctx, 0.0, std::nan(""), 15).bend < 1e300);
}

// The speed of a flat cosine (A = ±0), which skips the sine, is the bits of the formula.
TEST(CurveSpeed, FlatCosineIsTheFormula) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const double A : {0.0, -0.0, 1e-300}) {
        for (const double k : {3.1, -0.7, 1e308, inf}) {
            for (const double x : {0.0, -0.0, 0.25, 59.9, -3.0, 1e10}) {
                CurveParams c;
                c.cosineA = A;
                c.cosineK = k;
                const double y1 = kernels::graphAt<1, false>(c, x).y1;
                const double formula = std::sqrt(1.0 + y1 * y1);
                const double speed = kernels::speedAt<1>(c, x);
                std::uint64_t a = 0, b = 0;
                std::memcpy(&a, &formula, sizeof a);
                std::memcpy(&b, &speed, sizeof b);
                EXPECT_EQ(a, b) << "A " << A << " k " << k << " x " << x;
            }
        }
    }
}

TEST(CurveNumbers, ValidNumbersAndPathMakingConstants) {
    for (int I = -2; I < 20; ++I) {
        const bool valid = (I >= 1 && I <= 4) || (I >= 11 && I <= 16);
        EXPECT_EQ(isCurveNumber(I), valid) << I;
        EXPECT_EQ(curveMakesPath(CurveParams{}, I), valid) << I;
    }
    auto refused = [](int I, void (*change)(CurveParams&)) {
        CurveParams c;
        change(c);
        return !curveMakesPath(c, I);
    };
    EXPECT_TRUE(refused(1, [](CurveParams& c) { c.cosineL = 0; }));
    EXPECT_TRUE(refused(2, [](CurveParams& c) { c.cycloidL = 0; }));
    EXPECT_TRUE(refused(3, [](CurveParams& c) { c.quadraticL = 0; }));
    EXPECT_TRUE(refused(4, [](CurveParams& c) { c.cubicL = 0; }));
    EXPECT_TRUE(refused(11, [](CurveParams& c) { c.ellipseA = 0; }));
    EXPECT_TRUE(refused(11, [](CurveParams& c) { c.ellipseB = 0; }));
    EXPECT_TRUE(refused(12, [](CurveParams& c) { c.spiralA = 0; }));
    EXPECT_TRUE(refused(13, [](CurveParams& c) { c.cardioidA = 0; }));
    EXPECT_TRUE(refused(14, [](CurveParams& c) { c.roseA = 0; }));
    EXPECT_TRUE(refused(14, [](CurveParams& c) { c.roseN = 0; }));
    EXPECT_TRUE(refused(15, [](CurveParams& c) { c.circleR = 0; }));
    EXPECT_TRUE(refused(12, [](CurveParams& c) { c.spiralN = NAN; }));
    // Constants whose derived values overflow or vanish.
    EXPECT_TRUE(refused(2, [](CurveParams& c) { c.cycloidL = 1e-308; }));
    EXPECT_TRUE(refused(1, [](CurveParams& c) { c.cosineL = 1e-308; }));
    EXPECT_TRUE(refused(11, [](CurveParams& c) { c.ellipseA = 1e-200; }));
    EXPECT_TRUE(refused(11, [](CurveParams& c) { c.ellipseB = 1e200; }));
    EXPECT_FALSE(refused(1, [](CurveParams& c) {
        c.cosineA = 0;
        c.cosineN = 0;
    }));
    EXPECT_FALSE(refused(3, [](CurveParams& c) { c.quadraticA = 0; }));
    EXPECT_FALSE(refused(12, [](CurveParams& c) { c.spiralN = 0; }));
    EXPECT_FALSE(refused(15, [](CurveParams& c) { c.circleN = 0; }));
    EXPECT_FALSE(refused(16, [](CurveParams& c) {
        c.wavyA = 0;
        c.wavyN = 0;
    }));
    EXPECT_FALSE(refused(1, [](CurveParams& c) { c.cosineL = -1; }));  // sign not judged
}

TEST(CurveNumbers, InvalidNumbersGiveZerosAndTouchNothing) {
    Model ctx;
    setupPath(ctx, 1);
    buildArcTable(ctx, 1);
    // Byte images of everything the path routines may write.
    auto image = [&ctx] {
        std::vector<unsigned char> bytes(sizeof(PathTables) + sizeof(CurveParams));
        std::memcpy(bytes.data(), &ctx.path, sizeof(PathTables));
        std::memcpy(bytes.data() + sizeof(PathTables), &ctx.settings.curve, sizeof(CurveParams));
        return bytes;
    };
    const std::vector<unsigned char> before = image();
    for (int I : {-1, 0, 5, 10, 17, 1000}) {
        SCOPED_TRACE(I);
        double pt[2] = {7, 7}, d[3] = {7, 7, 7}, dd[2] = {7, 7};
        EXPECT_EQ(curvePoint(ctx, 0.5, I, pt), 0.0);
        EXPECT_EQ(curveTangent(ctx, 0.5, I, d), 0.0);
        EXPECT_EQ(curveSecondDerivative(ctx, 0.5, I, dd), 0.0);
        EXPECT_EQ(pt[0] + pt[1] + d[0] + d[1] + d[2] + dd[0] + dd[1], 0.0);
        EXPECT_EQ(curveCurvature(ctx, 0.5, I), 0.0);
        EXPECT_EQ(curveSpeed(ctx, 0.5, I), 0.0);
        EXPECT_EQ(curvatureRate(ctx, 0.5, I), 0.0);
        EXPECT_EQ(arcLength(ctx, 0.0, 1.0, I), 0.0);
        EXPECT_EQ(paramAtArcLength(ctx, 0.0, 1.0, I), 0.0);
        prepareCurve(ctx, I);
        setupPath(ctx, I);
        buildArcTable(ctx, I);
    }
    EXPECT_TRUE(image() == before);
}

}  // namespace
}  // namespace agv
