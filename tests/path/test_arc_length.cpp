#include "path/arc_length.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "path/curves.h"
#include "sim/model.h"

namespace agv {
namespace {

constexpr int kCurves[] = {1, 2, 3, 4, 11, 12, 13, 14, 15, 16};

TEST(SplitInterval, WholeStepsOfAtLeastTheGivenSize) {
    double h = -1;
    int n = -1;
    splitInterval(0.00005, 0.002, h, n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(h, 0.0);
    splitInterval(0.001, 0.002, h, n);  // shorter than one step: one short step
    EXPECT_EQ(n, 1);
    EXPECT_EQ(h, 0.001);
    splitInterval(-0.01, 0.002, h, n);
    EXPECT_EQ(n, 5);
    EXPECT_DOUBLE_EQ(h, -0.002);
    splitInterval(0.0058, 0.002, h, n);  // 2 steps of 0.0029, not 3 shorter ones
    EXPECT_EQ(n, 2);
    EXPECT_DOUBLE_EQ(h, 0.0029);
    const double inf = std::numeric_limits<double>::infinity();
    for (double length : {1e300, inf, -inf, std::nan("")}) {
        splitInterval(length, 0.002, h, n);
        EXPECT_GE(n, 1) << length;
    }
}

TEST(PathLength, DefaultCurves) {
    const double expected[] = {2.927391,  3.026359, 2.957886, 2.365066,  9.688448,
                               12.862794, 8.919731, 9.688448, 12.566371, 14.187908};
    Model ctx;
    for (int k = 0; k < 10; ++k) {
        const int I = kCurves[k];
        setupPath(ctx, I);
        EXPECT_NEAR(ctx.path.pathEnd[I].sf, expected[k], 1e-6) << "I=" << I;
        EXPECT_EQ(ctx.path.pathEndReference[I].s, ctx.path.pathEnd[I].sf);
        const double forward = arcLength(ctx, 0.3, 1.7, I);
        EXPECT_NEAR(arcLength(ctx, 1.7, 0.3, I), -forward, 1e-12);
        EXPECT_EQ(arcLength(ctx, 0.9, 0.9, I), 0.0);
    }
}

TEST(PathLength, EndReferencePoints) {
    Model ctx;
    setupPath(ctx, 1);
    const ReferencePoint& c = ctx.path.pathEndReference[1];
    EXPECT_NEAR(c.s, 2.927391, 1e-6);
    EXPECT_NEAR(c.theta, 0.0, 1e-12);
    EXPECT_NEAR(c.x, 2.0, 1e-12);
    EXPECT_NEAR(c.y, 0.0, 1e-12);
    EXPECT_NEAR(c.phi, 1.370861, 1e-6);
    EXPECT_NEAR(c.kappa, 4.934802, 1e-6);
    EXPECT_EQ(c.p, 2.0);
    setupPath(ctx, 15);
    const ReferencePoint& r = ctx.path.pathEndReference[15];
    EXPECT_NEAR(r.s, 4 * kPi, 1e-9);
    EXPECT_NEAR(r.theta, 4 * kPi + kHalfPi, 1e-12);
    EXPECT_NEAR(r.x, 1.0, 1e-12);
    EXPECT_NEAR(r.y, 0.0, 1e-12);
    EXPECT_NEAR(r.phi, kPi / 4, 1e-12);
    EXPECT_NEAR(r.kappa, 1.0, 1e-12);
    EXPECT_NEAR(r.p, 4 * kPi, 1e-12);
}

TEST(ArcTable, DefaultCosine) {
    Model ctx;
    setupPath(ctx, 1);
    buildArcTable(ctx, 1);
    const ArcTable& t = ctx.path.arcTable;
    EXPECT_EQ(t.curveNumber, 1);
    EXPECT_NEAR(t.entry[1][0], 0.01, 1e-15);
    EXPECT_NEAR(t.entry[1][1], 0.0100041, 1e-7);
    EXPECT_EQ(t.entry[200][0], 2.0);
    EXPECT_NEAR(t.entry[200][1], ctx.path.pathEnd[1].sf, 1e-12);
    EXPECT_EQ(t.count, 301);  // 200 entries to the end, 100 beyond it
    EXPECT_NEAR(t.entry[300][0], 3.0, 1e-9);
    for (int j = 1; j < t.count; ++j)
        ASSERT_GT(t.entry[j][1], t.entry[j - 1][1]) << j;
}

TEST(ArcTable, LongRangeStopsAtCapacity) {
    Model ctx;
    ctx.settings.curve.spiralA = 0.3;
    ctx.settings.curve.spiralN = 6;  // β up to 37.7: more than 3000 entries
    setupPath(ctx, 12);
    buildArcTable(ctx, 12);
    EXPECT_EQ(ctx.path.arcTable.count, kArcTableCapacity);
    EXPECT_LT(ctx.path.arcTable.entry[kArcTableCapacity - 1][0], ctx.path.pathEndParam[12]);
    // Beyond the last entry the mapping steps on to the answer.
    const double sf = ctx.path.pathEnd[12].sf;
    const double p = paramAtArcLength(ctx, 33.0, sf - 0.05, 12);
    EXPECT_NEAR(arcLength(ctx, 0, p, 12), sf - 0.05, 1e-6);
}

// Each curve: arc lengths mapped to parameters and back, searched as the integrator
// does, from the previous answer less 0.1.
TEST(ParamAtArcLength, InvertsTheArcLength) {
    Model ctx;
    for (int I : kCurves) {
        SCOPED_TRACE(I);
        setupPath(ctx, I);
        buildArcTable(ctx, I);
        const double sf = ctx.path.pathEnd[I].sf;
        double previous = 0.0;
        for (double s = 0.013; s < sf; s += 0.237) {
            const double p = paramAtArcLength(ctx, previous - 0.1, s, I);
            ASSERT_NEAR(arcLength(ctx, 0.0, p, I), s, 1e-6) << s;
            previous = p;
        }
        EXPECT_EQ(paramAtArcLength(ctx, 0.5, 0.0, I), 0.0);
        if (I != 15) {
            EXPECT_EQ(paramAtArcLength(ctx, 0.5, sf - 0.5e-7, I), ctx.path.pathEndParam[I]);
            EXPECT_EQ(paramAtArcLength(ctx, 0.5, sf + 3, I), ctx.path.pathEndParam[I]);
        }
    }
    Model cosine;
    setupPath(cosine, 1);
    buildArcTable(cosine, 1);
    const double half = paramAtArcLength(cosine, -0.1, 1.4636955, 1);
    EXPECT_NEAR(half, 1.0, 2e-7);
    EXPECT_NEAR(arcLength(cosine, 0.0, half, 1), 1.4636955, 1e-7);
    // The circle needs no table: s / R, also past the end.
    cosine.settings.curve.circleR = 2.0;
    setupPath(cosine, 15);
    EXPECT_DOUBLE_EQ(paramAtArcLength(cosine, 0.0, 100.0, 15), 50.0);
}

TEST(ParamAtArcLength, StaleOrMissingTableStillGivesTheAnswer) {
    Model ctx;
    setupPath(ctx, 1);
    buildArcTable(ctx, 1);
    ctx.settings.curve.cosineA = 0.2;  // new constants: the table no longer fits
    setupPath(ctx, 1);
    double p = paramAtArcLength(ctx, 1.5, 2.0, 1);
    EXPECT_NEAR(arcLength(ctx, 0.0, p, 1), 2.0, 1e-7);
    setupPath(ctx, 3);  // table of another curve
    buildArcTable(ctx, 1);
    p = paramAtArcLength(ctx, 1.5, 2.0, 3);
    EXPECT_NEAR(arcLength(ctx, 0.0, p, 3), 2.0, 1e-7);
}

TEST(ParamAtArcLength, EndsOnEveryInput) {
    Model ctx;
    setupPath(ctx, 1);
    buildArcTable(ctx, 1);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    for (double s : {nan, inf, -inf, 1e300, -1e300, -1.0}) {
        for (double guess : {-0.1, 0.7, 5.0, nan, inf, -inf, 1e300}) {
            const double p = paramAtArcLength(ctx, guess, s, 1);
            if (std::isfinite(s)) {
                EXPECT_TRUE(std::isfinite(p)) << s << " " << guess;
            }
        }
    }
    // A guess beyond the answer: the forward search cannot find it, but ends.
    EXPECT_TRUE(std::isfinite(paramAtArcLength(ctx, 1.9, 0.5, 1)));
}

TEST(ParamAtArcLength, ZeroLengthPathsStayFinite) {
    struct Case {
        int I;
        void (*zero)(CurveParams&);
    };
    const Case cases[] = {{1, [](CurveParams& c) { c.cosineN = 0; }},
                          {12, [](CurveParams& c) { c.spiralN = 0; }},
                          {15, [](CurveParams& c) { c.circleN = 0; }},
                          {3, [](CurveParams& c) { c.quadraticA = 0; }},
                          {16, [](CurveParams& c) { c.wavyN = 0; }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.I);
        Model ctx;
        c.zero(ctx.settings.curve);
        setupPath(ctx, c.I);
        buildArcTable(ctx, c.I);
        const ReferencePoint& end = ctx.path.pathEndReference[c.I];
        for (double v : {end.s, end.theta, end.x, end.y, end.phi, end.kappa, end.p})
            EXPECT_TRUE(std::isfinite(v));
        for (int j = 0; j < ctx.path.arcTable.count; ++j)
            ASSERT_TRUE(std::isfinite(ctx.path.arcTable.entry[j][1])) << j;
        for (double s : {0.0, 0.01, 1.0})
            EXPECT_TRUE(std::isfinite(paramAtArcLength(ctx, -0.1, s, c.I))) << s;
    }
}

}  // namespace
}  // namespace agv

TEST(ArcLength, CircleSumsGiveTheBitsOfThePanelLoop) {
    // Speeds of every size, with values halfway between units of the sum and panel counts up
    // to those of a whole path: the sum in runs must equal the panel-by-panel loop.
    const double speeds[] = {0.0,    1.0,      0.002,         0.1,         3.0 + 0x1p-51,
                             1e-300, 4.9e-324, 1e300,         0x1.fp1000,  1.0 / 3.0,
                             12.5,   0x1p-60,  1.0 + 0x1p-52, 0.7 * 0x1p40};
    for (const double f : speeds) {
        for (const int panels : {1, 2, 7, 1000, 30457, 100003}) {
            double loop = 0.0;
            for (int i = 0; i < panels; ++i)
                loop = loop + f + 4.0 * f + f;
            const double runs = agv::kernels::uniformPanelSum(f, panels);
            EXPECT_EQ(std::memcmp(&loop, &runs, sizeof loop), 0) << f << " " << panels;
        }
    }
}

TEST(ArcLength, RepeatedAdditionsInRunsGiveTheBitsOfTheLoop) {
    // The parameters of the reference search's steps, forward and backward, across binades,
    // through zero and with steps halfway between units.
    const double starts[] = {0.0, 1e-310, -0.086989512699095536, 2.0, 59.9, -3.5, 1e8, 0x1p-40};
    const double steps[] = {0.02, -0.02, 1e-4, -1e-4, 0x1p-53, 0x1.8p-52, 1e-320, 0.3};
    for (const double start : starts) {
        for (const double step : steps) {
            for (const long count : {1L, 2L, 16L, 1024L, 5000L}) {
                double loop = start;
                for (long k = 0; k < count; ++k)
                    loop = loop + step;
                const double runs = agv::kernels::addRepeatedly(start, step, count);
                EXPECT_EQ(std::memcmp(&loop, &runs, sizeof loop), 0)
                    << start << " " << step << " " << count;
            }
        }
    }
}
