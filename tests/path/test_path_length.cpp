#include "path/path_length.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app/context.h"
#include "path/arc_length.h"

namespace agv {
namespace {

struct CapturedContext {
    AgvContext ctx;
    std::ostringstream text;
    CapturedContext() { ctx.out = &text; }
};

TEST(CheckPathLength, RefusesPathsLongerThanTheStore) {
    CapturedContext c;
    c.ctx.settings.curve.circleR = 5.0;
    c.ctx.settings.curve.circleN = 2.0;
    setupPath(c.ctx, 15);
    c.ctx.path.pathEnd[15].sf = 0.0;  // the check stores the length it computes
    EXPECT_EQ(checkPathLength(c.ctx, 15), 0);
    EXPECT_EQ(c.text.str(),
              "\n経路番号I=15 経路長sf=62.8319>60.0000=smax限界を超えている．経路設定し直し");
    EXPECT_NEAR(c.ctx.path.pathEnd[15].sf, 62.8319, 1e-4);

    c.text.str("");
    c.ctx.settings.curve.circleN = 1.9;
    setupPath(c.ctx, 15);
    EXPECT_EQ(checkPathLength(c.ctx, 15), 1);
    EXPECT_NEAR(c.ctx.path.pathEnd[15].sf, 59.6903, 1e-4);
    EXPECT_EQ(c.text.str(), "");
}

TEST(CheckPathLength, DefaultPathFitsAndBadInputIsRefused) {
    CapturedContext c;
    setupPath(c.ctx, 1);
    EXPECT_EQ(checkPathLength(c.ctx, 1), 1);
    EXPECT_NEAR(c.ctx.path.pathEnd[1].sf, 2.9274, 1e-4);
    EXPECT_EQ(checkPathLength(c.ctx, 7), 0);  // not a curve: nothing to check
    EXPECT_EQ(c.text.str(), "");
    // A length that is not a number must not pass as short enough.
    c.ctx.settings.curve.spiralN = std::nan("");
    setupPath(c.ctx, 12);
    EXPECT_EQ(checkPathLength(c.ctx, 12), 0);
    EXPECT_NE(c.text.str().find("I=12"), std::string::npos);
}

}  // namespace
}  // namespace agv
