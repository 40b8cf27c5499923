// The path selection on the console: the menu, the constants, and every refusal.
#include "app/path_dialogue.h"

#include "app/dialogue.h"

#include <gtest/gtest.h>

#include <string>

#include "app/scripted_run.h"

namespace agv {
namespace {

const std::string kConstants = "\n 定数を設定　どのケースもA or B=0-10 間の値とする";
const std::string kCosinePrompt =
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) を選択　A,L,波数nを設定 A L n=";

using PathDialogue = ScriptedRun;

TEST_F(PathDialogue, CurveNumberAskedAgainUntilItIsACurve) {
    const bool ended = runScript("0\n-3\nabc\n99999999999\n7\n3\n1 2.5\n",
                                 [&](Console& c) { selectPath(ctx, c); });
    EXPECT_FALSE(ended);
    // Zero, negative and unreadable numbers show the menu again without a word.
    EXPECT_EQ(take(), kPathMenu + kPathMenu + kPathMenu + kPathMenu + kPathMenu + kConstants +
                          "\n I=7  やり直し" + kPathMenu + kConstants +
                          "\n I=3  : 2次関数 y=A*(x/L)^2 を選択　A L=");
    EXPECT_EQ(ctx.model.settings.curveNumber, 3);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.quadraticA, 1.0);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.quadraticL, 2.5);
    // The chosen curve is set up: its end lies at x = L.
    EXPECT_DOUBLE_EQ(ctx.model.path.pathEnd[3].x, 2.5);
}

TEST_F(PathDialogue, RefusedConstantsAskTheSamePromptAgain) {
    runScript("1\n0.5 -2 1\n-1 -1 -1\n0.5 0 1\n0.5 2.5 2\n",
              [&](Console& c) { selectPath(ctx, c); });
    EXPECT_EQ(take(), kPathMenu + kConstants + kCosinePrompt + "\n L=-2.00 < 0 設定し直し" +
                          kCosinePrompt + "\n A=-1.00 < 0 設定し直し" + kCosinePrompt +
                          "\n L= 0.00 = 0 では経路にならない　設定し直し" + kCosinePrompt);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cosineA, 0.5);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cosineL, 2.5);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cosineN, 2.0);
}

TEST_F(PathDialogue, AnswerLineGivesOnlyItsOwnNumbers) {
    // "0.7" alone sets A; L and n keep their values and "2" is not taken for L.
    runScript("1\n0.7\n2\n", [&](Console& c) { selectPath(ctx, c); });
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cosineA, 0.7);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cosineL, 2.0);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cosineN, 1.0);
    // Unreadable constants keep the old ones; blank lines are no answer.
    runScript("2\nxyz\n", [&](Console& c) { selectPath(ctx, c); });
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cycloidA, 2.0);
    runScript("2\n\n\n3 4\n", [&](Console& c) { selectPath(ctx, c); });
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cycloidA, 3.0);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.cycloidK, kTwoPi / 4.0);
}

TEST_F(PathDialogue, RefusalOfEachConstant) {
    struct Case {
        int curve;
        double values[3];
        const char* message;  // empty: accepted
    };
    const Case cases[] = {
        {1, {0.0, 2.0, 0.0}, ""},
        {1, {1.0, 2.0, -0.5}, "\n n=-0.50 < 0 設定し直し"},
        {2, {1.0, 0.0}, "\n L= 0.00 = 0 では経路にならない　設定し直し"},
        {3, {-2.0, 0.0}, "\n A=-2.00 < 0 設定し直し"},
        {4, {0.0, 0.0}, "\n L= 0.00 = 0 では経路にならない　設定し直し"},
        {11, {2.0, -1.0}, "\n B=-1.00 < 0 設定し直し"},
        {11, {0.0, 1.0}, "\n A= 0.00 = 0 では経路にならない　設定し直し"},
        {11, {2.0, 0.0}, "\n B= 0.00 = 0 では経路にならない　設定し直し"},
        {12, {0.0, 2.0}, "\n A= 0.00 = 0 では経路にならない　設定し直し"},
        {12, {1.0, -2.0}, "\n n=-2.00 < 0 設定し直し"},
        {13, {0.0}, "\n A= 0.00 = 0 では経路にならない　設定し直し"},
        {13, {-1.0}, "\n A=-1.00 < 0 設定し直し"},
        {14, {0.0, 2.0}, "\n A= 0.00 = 0 では経路にならない　設定し直し"},
        {14, {1.0, 0.0}, "\n n= 0.00 = 0 では経路にならない　設定し直し"},
        {15, {-5.0, 2.0}, "\n R=-5.00 < 0 設定し直し"},
        {15, {0.0, 2.0}, "\n R= 0.00 = 0 では経路にならない　設定し直し"},
        {16, {0.0, 0.0}, ""},
        {16, {-0.3, 5.0}, "\n A=-0.30 < 0 設定し直し"},
    };
    for (const Case& k : cases) {
        storeCurveConstants(ctx, k.curve, k.values);
        const bool accepted = acceptSetting(ctx, checkCurveConstants(ctx.model, k.curve));
        EXPECT_EQ(accepted, std::string(k.message).empty()) << "curve " << k.curve;
        EXPECT_EQ(take(), k.message) << "curve " << k.curve;
    }
}

TEST_F(PathDialogue, CircleRadiusRefusalAsksForBothConstantsAgain) {
    runScript("15\n-5 2\n0 1\n5 1.5\n", [&](Console& c) { selectPath(ctx, c); });
    const std::string prompt = "\n I=15 : 円弧 r=R を選択 R n(=任意正数)=";
    EXPECT_EQ(take(), kPathMenu + kConstants + prompt + "\n R=-5.00 < 0 設定し直し" + prompt +
                          "\n R= 0.00 = 0 では経路にならない　設定し直し" + prompt);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.circleR, 5.0);
    EXPECT_DOUBLE_EQ(ctx.model.settings.curve.circleN, 1.5);
}

TEST_F(PathDialogue, ConstantsStoredInTheOrderTheyAreAsked) {
    const int curves[] = {1, 2, 3, 4, 11, 12, 13, 14, 15, 16};
    for (int curve : curves) {
        const int count = curveConstantCount(curve);
        EXPECT_EQ(count, curve == 1 ? 3 : curve == 13 ? 1 : 2);
        const CurveParams before = ctx.model.settings.curve;
        const double values[3] = {curve + 0.25, curve + 0.5, curve + 0.75};
        storeCurveConstants(ctx, curve, values);
        double back[3] = {0.0, 0.0, 0.0};
        loadCurveConstants(ctx, curve, back);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(back[i], values[i]) << curve;
        ctx.model.settings.curve = before;
    }
    for (int notACurve : {0, 5, 17})
        EXPECT_EQ(curveConstantCount(notACurve), 0);
    const double circle[2] = {5.0, 1.9};
    storeCurveConstants(ctx, 15, circle);
    EXPECT_EQ(ctx.model.settings.curve.circleR, 5.0);
    EXPECT_EQ(ctx.model.settings.curve.circleN, 1.9);
    const double cardioid[1] = {0.7};
    storeCurveConstants(ctx, 13, cardioid);
    EXPECT_EQ(ctx.model.settings.curve.cardioidA, 0.7);
    EXPECT_EQ(ctx.model.settings.curve.cardioidB, 1.2);
}

}  // namespace
}  // namespace agv
