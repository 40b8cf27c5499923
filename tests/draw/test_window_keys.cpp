// Window keys: their effect on the view state and what the callback does next.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/common/context.h"
#include "app/common/draw_context.h"
#include "app/console/window.h"
#include "draw/window_keys.h"

namespace {

using agv::KeyAction;

std::unique_ptr<agv::AgvContext> viewContext() {
    auto ctx = std::make_unique<agv::AgvContext>();
    agv::setViewDefaults(ctx->view);
    ctx->view.vehicleType = 1;
    ctx->data.store->recordCount[0] = 7;
    ctx->data.store->recordCount[1] = 300;
    ctx->data.store->recordCount[2] = 40;
    return ctx;
}

TEST(WindowKeys, TheoryOverlayIsOffAtStartAndToggledByT) {
    auto ctx = viewContext();
    EXPECT_FALSE(ctx->view.theoryOverlay);
    EXPECT_EQ(agv::applyWindowKey(*ctx, 't'), KeyAction::kRedraw);
    EXPECT_TRUE(ctx->view.theoryOverlay);
    agv::applyWindowKey(*ctx, 't');
    EXPECT_FALSE(ctx->view.theoryOverlay);
    EXPECT_EQ(agv::applyWindowKey(*ctx, 'T'), KeyAction::kNone);
}

TEST(WindowKeys, StepAdvancesThreeRecordsAndStopsAtTheLast) {
    auto ctx = viewContext();
    int expected[] = {3, 6, 7, 7};
    for (int e : expected) {
        EXPECT_EQ(agv::applyWindowKey(*ctx, 's'), KeyAction::kRedraw);
        EXPECT_EQ(ctx->view.motionIndex, e);
    }
    EXPECT_EQ(agv::applyWindowKey(*ctx, '0'), KeyAction::kRedraw);
    EXPECT_EQ(ctx->view.motionIndex, 0);
    // A run of a single record: the motion stays at record 0.
    ctx->data.store->recordCount[0] = 0;
    agv::applyWindowKey(*ctx, 's');
    EXPECT_EQ(ctx->view.motionIndex, 0);
}

TEST(WindowKeys, TypeKeysRestartTheMotionAndKeepZoomAndShift) {
    auto ctx = viewContext();
    agv::applyWindowKey(*ctx, 'W');
    agv::applyWindowKey(*ctx, 'Y');
    agv::applyWindowKey(*ctx, 's');
    for (char key : {'2', '3', '1'}) {
        EXPECT_EQ(agv::applyWindowKey(*ctx, key), KeyAction::kRedraw);
        EXPECT_EQ(ctx->view.vehicleType, key - '0');
        EXPECT_EQ(ctx->view.motionIndex, 0);
        EXPECT_DOUBLE_EQ(ctx->view.viewScale, 0.2 / 0.9);
        EXPECT_DOUBLE_EQ(ctx->view.viewOffsetY, 0.05);
    }
    // 's' then clamps to the type on show.
    agv::applyWindowKey(*ctx, '3');
    for (int i = 0; i < 20; ++i)
        agv::applyWindowKey(*ctx, 's');
    EXPECT_EQ(ctx->view.motionIndex, 40);
}

TEST(WindowKeys, ShiftAndZoom) {
    auto ctx = viewContext();
    for (int i = 0; i < 10; ++i)
        agv::applyWindowKey(*ctx, 'x');
    for (unsigned char key : {'X', 'y', 'y', 'w', 'W'})
        agv::applyWindowKey(*ctx, key);
    EXPECT_NEAR(ctx->view.viewOffsetX, -0.45, 1e-12);
    EXPECT_NEAR(ctx->view.viewOffsetY, -0.1, 1e-12);
    EXPECT_NEAR(ctx->view.viewScale, 0.2, 1e-12);  // 'w' then 'W' gives it back
    agv::applyWindowKey(*ctx, 'w');
    EXPECT_NEAR(ctx->view.viewScale, 0.18, 1e-12);
}

TEST(WindowKeys, EveryKeyIsStoredButOnlyTableKeysAct) {
    auto ctx = viewContext();
    agv::applyWindowKey(*ctx, 's');
    const agv::ViewState before = ctx->view;
    for (unsigned char key : {'S', 'C', 'E', 'F', '9', 'q', ' '}) {
        EXPECT_EQ(agv::applyWindowKey(*ctx, key), KeyAction::kNone);
        EXPECT_EQ(ctx->run.lastKey, static_cast<char>(key));
    }
    EXPECT_EQ(ctx->view.motionIndex, before.motionIndex);
    EXPECT_EQ(ctx->view.viewScale, before.viewScale);
    EXPECT_EQ(ctx->view.viewOffsetX, before.viewOffsetX);
    EXPECT_EQ(ctx->view.vehicleType, 1);
}

TEST(WindowKeys, ConsoleKeysRestartTheMotionAndEscapeEnds) {
    auto ctx = viewContext();
    for (char key : {'c', 'e', 'f'}) {
        agv::applyWindowKey(*ctx, 's');
        EXPECT_EQ(agv::applyWindowKey(*ctx, key), KeyAction::kDialogue);
        EXPECT_EQ(ctx->view.motionIndex, 0);
        EXPECT_EQ(ctx->run.lastKey, key);
    }
    EXPECT_EQ(agv::applyWindowKey(*ctx, 27), KeyAction::kExit);
    EXPECT_EQ(ctx->run.lastKey, 27);
}

}  // namespace
