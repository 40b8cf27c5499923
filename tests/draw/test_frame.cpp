// The whole frame as rendered: background, grid, trajectories, path marks, the plot
// panel background, and how motion, shift and zoom change the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/console/window.h"
#include "draw/frame.h"
#include "draw/render_support.h"

namespace {

using agv::Vec2;
using namespace agvtest;

// Window x of the black runs along the row at height y, left of x = 0.3.
std::vector<double> blackRuns(const Picture& pic, double y) {
    std::vector<double> runs;
    const int row = Picture::row(y);
    bool inRun = false;
    for (int col = 0; col < Picture::column(0.3); ++col) {
        const bool black = pic.pixel(col, row) == kBlack;
        if (black && !inRun) runs.push_back(col);
        inRun = black;
    }
    return runs;
}

// Red pixels in the column through the window point, within 10 pixels above and below.
int redThickness(const Picture& pic, Vec2 w) {
    int n = 0;
    const int col = Picture::column(w.x), row = Picture::row(w.y);
    for (int r = row - 10; r <= row + 10; ++r)
        n += pic.pixel(col, r) == kRed;
    return n;
}

class RenderedFrame : public ::testing::Test {
  protected:
    void SetUp() override { ctx_ = computedContext('1', 5.0, -5.0); }
    const agv::PoseRecord* theory() const { return ctx_->data.store->theoryTraj[0].data(); }
    int last() const { return ctx_->data.store->recordCount[0]; }
    std::unique_ptr<agv::AgvContext> ctx_;
};

TEST_F(RenderedFrame, ShowsTheGridTheWholeRedPathAndThePathMarks) {
    const Picture pic = renderFrame(*ctx_);  // record 0
    // White background between grid lines; the 1 m grid through the view origin.
    EXPECT_EQ(pic.at(-0.8, -0.8), kWhite);
    EXPECT_TRUE(pic.near(kBlack, -0.7, -0.8, 1));
    EXPECT_TRUE(pic.near(kBlack, -0.8, -0.5, 1));
    // The red path is whole at record 0, over the start of the trails.
    int probed = 0;
    for (int i = 3; i <= last() - 3; i += 5) {
        const Vec2 w = windowOf(*ctx_, theory()[i][agv::kPoseX], theory()[i][agv::kPoseY]);
        if (w.x > 0.34) continue;
        ++probed;
        EXPECT_EQ(pic.at(w.x, w.y), kRed) << "record " << i;
    }
    EXPECT_GT(probed, 20);
    // Black marks at the start and the end of the path.
    const agv::PathPose& start = ctx_->model.path.pathStartPose[1];
    const agv::PathEnd& end = ctx_->model.path.pathEnd[1];
    for (Vec2 w : {windowOf(*ctx_, start.x, start.y), windowOf(*ctx_, end.x, end.y)}) {
        EXPECT_EQ(pic.at(w.x + 0.004, w.y + 0.004), kBlack);
    }
}

TEST_F(RenderedFrame, TrailsGrowWithTheMotionUpToTheShownRecord) {
    const agv::PoseRecord* blue = ctx_->data.store->noFbcTraj[0].data();
    const int i = last() * 3 / 4;
    const Vec2 w = windowOf(*ctx_, blue[i][agv::kPoseX], blue[i][agv::kPoseY]);
    const Vec2 r = windowOf(*ctx_, theory()[i][agv::kPoseX], theory()[i][agv::kPoseY]);
    ASSERT_GT(std::hypot(w.x - r.x, w.y - r.y), 0.02);  // the blue trail runs apart

    EXPECT_FALSE(renderFrame(*ctx_).near(kBlue, w.x, w.y, 2));
    ctx_->view.motionIndex = i - 10;
    EXPECT_FALSE(renderFrame(*ctx_).near(kBlue, w.x, w.y, 2));
    ctx_->view.motionIndex = last();
    EXPECT_TRUE(renderFrame(*ctx_).near(kBlue, w.x, w.y, 1));
}

TEST_F(RenderedFrame, ZoomChangesTheGridButNotTheTrajectoryWidth) {
    // The cosine path is level at its top, x = 1 m: find that record.
    int top = 0;
    for (int i = 0; i <= last(); ++i) {
        if (theory()[i][agv::kPoseY] > theory()[top][agv::kPoseY]) top = i;
    }
    for (int presses = 0; presses <= 3; presses += 3) {
        for (int k = 0; k < presses; ++k)
            agv::applyWindowKey(*ctx_, 'w');
        const double scale = ctx_->view.viewScale;
        const Picture pic = renderFrame(*ctx_);
        const Vec2 o = windowOf(*ctx_, 0.0, 0.0);
        // Along a row between two horizontal grid lines, the vertical lines stand one
        // scale apart.
        const auto runs = blackRuns(pic, o.y - 4.5 * scale);
        ASSERT_GT(runs.size(), 3u);
        for (size_t j = 1; j < runs.size(); ++j) {
            EXPECT_NEAR(runs[j] - runs[j - 1], scale * 400.0, 1.0) << "after " << presses;
        }
        const Vec2 w = windowOf(*ctx_, theory()[top][agv::kPoseX], theory()[top][agv::kPoseY]);
        const int thickness = redThickness(pic, w);
        EXPECT_GE(thickness, 3) << "after " << presses;
        EXPECT_LE(thickness, 4) << "after " << presses;
    }
}

TEST_F(RenderedFrame, PlotPanelHidesTheViewAndNeverMoves) {
    ctx_->view.motionIndex = last();
    const Picture plain = renderFrame(*ctx_);
    for (int k = 0; k < 12; ++k)
        agv::applyWindowKey(*ctx_, 'X');
    agv::applyWindowKey(*ctx_, 'W');
    agv::applyWindowKey(*ctx_, 'y');
    const Picture moved = renderFrame(*ctx_);
    // The moved view runs into the panel edge...
    const auto coloured = [](const Picture& p) {
        return p.count(kRed, 0.33, -1.0, 0.349, 1.0) + p.count(kGreen, 0.33, -1.0, 0.349, 1.0) +
               p.count(kBlue, 0.33, -1.0, 0.349, 1.0);
    };
    EXPECT_GT(coloured(moved), 50);
    // ...and not one pixel right of it changes.
    int differing = 0;
    for (int row = 0; row < agv::kWindowSize; ++row) {
        for (int col = Picture::column(0.351); col < agv::kWindowSize; ++col) {
            differing += plain.pixel(col, row) != moved.pixel(col, row);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(moved.at(0.37, -0.99), kWhite);
}

TEST(RenderedFrameWithoutRun, FreshContextDrawsWhiteWithGrid) {
    agv::AgvContext ctx;
    agv::setViewDefaults(ctx.view);
    ctx.view.vehicleType = 1;
    const Picture pic = renderFrame(ctx);
    EXPECT_EQ(pic.at(-0.8, -0.8), kWhite);
    EXPECT_TRUE(pic.near(kBlack, -0.7, -0.8, 1));
    EXPECT_EQ(pic.at(0.6, 0.5), kWhite);
}

}  // namespace
