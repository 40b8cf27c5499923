// A pinned run drawn over the current picture: dashes that run on along a line, and the
// pinned trajectories and error series added to the picture without changing the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/common/draw_context.h"
#include "draw/pinned_overlay.h"
#include "draw/recording_backend.h"
#include "draw/render_support.h"

namespace {

using agv::Vec2;

double lengthOf(const std::vector<Vec2>& ends) {
    double total = 0.0;
    for (size_t i = 0; i + 1 < ends.size(); i += 2)
        total += std::hypot(ends[i + 1].x - ends[i].x, ends[i + 1].y - ends[i].y);
    return total;
}

TEST(DashedEnds, RunOnAcrossJointsAndStartAfreshAtBreaks) {
    // A line of 1 made of 200 segments shorter than a dash: dashes span joints.
    std::vector<Vec2> ends;
    for (int i = 0; i < 200; ++i) {
        ends.push_back({i * 0.005, 0.0});
        ends.push_back({(i + 1) * 0.005, 0.0});
    }
    const std::vector<Vec2> dashed = agv::dashedEnds(ends, 0.03, 0.02);
    EXPECT_NEAR(lengthOf(dashed), 0.6, 0.03 + 1e-9);
    for (const Vec2& p : dashed) {
        EXPECT_EQ(p.y, 0.0);
        EXPECT_TRUE(p.x >= 0.0 && p.x <= 1.0);
    }
    // Two separate short segments both start with a dash.
    const std::vector<Vec2> apart =
        agv::dashedEnds({{0, 0}, {0.01, 0}, {0, 1}, {0.01, 1}}, 0.03, 0.02);
    EXPECT_NEAR(lengthOf(apart), 0.02, 1e-12);
    EXPECT_TRUE(agv::dashedEnds(ends, 0.0, 0.02).empty());
}

// One lines record of the recording: its colour and points.
struct Lines {
    agv::Rgba color;
    std::vector<Vec2> points;
};

struct Recorded {
    std::vector<Lines> lines;
    std::vector<std::string> texts;
    std::vector<double> numbers;
};

Recorded record(const agv::AgvContext& ctx, const agv::TrajectoryStore* pinned) {
    agv::RecordingBackend b;
    agv::drawFrame(agv::sceneOf(ctx), b, pinned);
    Recorded r{{}, b.texts(), b.numbers()};
    const std::vector<double>& a = b.numbers();
    for (size_t i = 0; i < a.size();) {
        const int op = static_cast<int>(a[i]);
        if (op == agv::RecordingBackend::kClear) {
            i += 1;
        } else if (op == agv::RecordingBackend::kText) {
            i += 5;
        } else {
            const size_t head = op == agv::RecordingBackend::kLines ? 5 : 6;
            const size_t n = static_cast<size_t>(a[i + head]);
            if (op == agv::RecordingBackend::kLines) {
                Lines l{{static_cast<float>(a[i + 2]), static_cast<float>(a[i + 3]),
                         static_cast<float>(a[i + 4]), 0.0f},
                        {}};
                for (size_t k = 0; k < n; ++k)
                    l.points.push_back({a[i + head + 1 + 2 * k], a[i + head + 2 + 2 * k]});
                r.lines.push_back(l);
            }
            i += head + 1 + 2 * n;
        }
    }
    return r;
}

// Points of the lines in a colour, inside (panel) or outside the error panel's strip.
int pointsIn(const Recorded& r, agv::Rgba color, bool panel) {
    int n = 0;
    for (const Lines& l : r.lines) {
        if (!(l.color == color)) continue;
        for (const Vec2& p : l.points)
            n += (p.x > agv::kPanelOriginX - 0.01) == panel;
    }
    return n;
}

TEST(PinnedOverlay, AddsThePinnedRunDashedAndKeepsTheCurrentPicture) {
    const auto current = agvtest::computedContext('1', 5.0, -5.0);
    const auto pinned = agvtest::computedContext('1', 2.0, -2.0);
    current->view.motionIndex = current->data.store->recordCount[0];
    const Recorded alone = record(*current, nullptr);
    const Recorded both = record(*current, pinned->data.store.get());

    for (const agv::Rgba c : {agv::colorPinnedBlue, agv::colorPinnedGreen, agv::colorPinnedRed})
        EXPECT_EQ(pointsIn(alone, c, false) + pointsIn(alone, c, true), 0);
    // Both trajectories in the view and both error series in the panel.
    for (const agv::Rgba c : {agv::colorPinnedBlue, agv::colorPinnedGreen}) {
        EXPECT_GT(pointsIn(both, c, false), 20);
        EXPECT_GT(pointsIn(both, c, true), 20);
    }
    // The same path: no second path drawn.
    EXPECT_EQ(pointsIn(both, agv::colorPinnedRed, false), 0);
    EXPECT_NE(std::find(both.texts.begin(), both.texts.end(), "dashed: pinned run"),
              both.texts.end());
    // Every number of the current picture is still there, in its order.
    const std::vector<double>& a = alone.numbers;
    const std::vector<double>& b = both.numbers;
    size_t k = 0;
    for (size_t i = 0; i < b.size() && k < a.size(); ++i)
        k += b[i] == a[k];
    EXPECT_EQ(k, a.size());
    EXPECT_GT(b.size(), a.size());
}

TEST(PinnedOverlay, DrawsThePinnedPathWhereItDiffers) {
    const auto current = agvtest::computedContext('1', 5.0, -5.0);
    const auto other = agvtest::computedContext('1', 5.0, -5.0, 15);
    EXPECT_GT(pointsIn(record(*current, other->data.store.get()), agv::colorPinnedRed, false), 20);
}

}  // namespace
