#include "path/path_length.h"

#include <gtest/gtest.h>

#include <cmath>

#include "path/arc_length.h"
#include "sim/model.h"

namespace agv {
namespace {

TEST(CheckPathLength, RefusesPathsLongerThanTheStore) {
    Model model;
    model.settings.curve.circleR = 5.0;
    model.settings.curve.circleN = 2.0;
    setupPath(model, 15);
    model.path.pathEnd[15].sf = 0.0;  // the check stores the length it computes
    RunOutcome check = checkPathLength(model, 15);
    EXPECT_EQ(check.status, RunStatus::kPathTooLong);
    EXPECT_EQ(check.curveNumber, 15);
    EXPECT_NEAR(check.length, 62.8319, 1e-4);
    EXPECT_DOUBLE_EQ(check.limit, 60.0);
    EXPECT_NEAR(model.path.pathEnd[15].sf, 62.8319, 1e-4);

    model.settings.curve.circleN = 1.9;
    setupPath(model, 15);
    EXPECT_TRUE(checkPathLength(model, 15).done());
    EXPECT_NEAR(model.path.pathEnd[15].sf, 59.6903, 1e-4);
}

TEST(CheckPathLength, DefaultPathFitsAndBadInputIsRefused) {
    Model model;
    setupPath(model, 1);
    EXPECT_TRUE(checkPathLength(model, 1).done());
    EXPECT_NEAR(model.path.pathEnd[1].sf, 2.9274, 1e-4);
    EXPECT_FALSE(checkPathLength(model, 7).done());  // not a curve: nothing to check
    // A length that is not a number must not pass as short enough.
    model.settings.curve.spiralN = std::nan("");
    setupPath(model, 12);
    const RunOutcome check = checkPathLength(model, 12);
    EXPECT_EQ(check.status, RunStatus::kPathTooLong);
    EXPECT_EQ(check.curveNumber, 12);
}

}  // namespace
}  // namespace agv
