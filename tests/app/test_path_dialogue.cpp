// The path selection on the console: the menu, the constants, and every refusal.
#include "app/console/path_dialogue.h"
#include "path/curve_catalog.h"
#include "sim/scenario.h"

#include "app/console/dialogue.h"

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
    EXPECT_EQ(ctx.scenario.curveNumber, 3);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.quadraticA, 1.0);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.quadraticL, 2.5);
}

TEST_F(PathDialogue, RefusedConstantsAskTheSamePromptAgain) {
    runScript("1\n0.5 -2 1\n-1 -1 -1\n0.5 0 1\n0.5 2.5 2\n",
              [&](Console& c) { selectPath(ctx, c); });
    EXPECT_EQ(take(), kPathMenu + kConstants + kCosinePrompt + "\n L=-2.00 < 0 設定し直し" +
                          kCosinePrompt + "\n A=-1.00 < 0 設定し直し" + kCosinePrompt +
                          "\n L= 0.00 = 0 では経路にならない　設定し直し" + kCosinePrompt);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cosineA, 0.5);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cosineL, 2.5);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cosineN, 2.0);
}

TEST_F(PathDialogue, AnswerLineGivesOnlyItsOwnNumbers) {
    // "0.7" alone sets A; L and n keep their values and "2" is not taken for L.
    runScript("1\n0.7\n2\n", [&](Console& c) { selectPath(ctx, c); });
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cosineA, 0.7);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cosineL, 2.0);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cosineN, 1.0);
    // Unreadable constants keep the old ones; blank lines are no answer.
    runScript("2\nxyz\n", [&](Console& c) { selectPath(ctx, c); });
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cycloidA, 2.0);
    runScript("2\n\n\n3 4\n", [&](Console& c) { selectPath(ctx, c); });
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cycloidA, 3.0);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.cycloidL, 4.0);
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
        Scenario scenario;
        scenario.curveNumber = k.curve;
        setCurveConstants(scenario, k.curve, k.values, kMaxCurveConstants);
        const bool accepted = acceptSetting(ctx, checkScenarioCurve(scenario));
        EXPECT_EQ(accepted, std::string(k.message).empty()) << "curve " << k.curve;
        EXPECT_EQ(take(), k.message) << "curve " << k.curve;
    }
}

TEST_F(PathDialogue, CircleRadiusRefusalAsksForBothConstantsAgain) {
    runScript("15\n-5 2\n0 1\n5 1.5\n", [&](Console& c) { selectPath(ctx, c); });
    const std::string prompt = "\n I=15 : 円弧 r=R を選択 R n(=任意正数)=";
    EXPECT_EQ(take(), kPathMenu + kConstants + prompt + "\n R=-5.00 < 0 設定し直し" + prompt +
                          "\n R= 0.00 = 0 では経路にならない　設定し直し" + prompt);
    EXPECT_EQ(ctx.scenario.curveNumber, 15);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.circleR, 5.0);
    EXPECT_DOUBLE_EQ(ctx.scenario.curve.circleN, 1.5);
}

TEST(ScenarioConstants, StoredInTheOrderTheDialogueAsks) {
    for (const CurveInfo& info : kCurveCatalog) {
        Scenario scenario;
        const double values[3] = {info.number + 0.25, info.number + 0.5, info.number + 0.75};
        // A short answer keeps the constants it does not give.
        setCurveConstants(scenario, info.number, values, info.constantCount - 1);
        double back[3] = {0.0, 0.0, 0.0};
        curveConstantsOf(scenario, info.number, back);
        const double startup = Scenario{}.curve.*(info.constants[info.constantCount - 1].field);
        for (int i = 0; i + 1 < info.constantCount; ++i)
            EXPECT_EQ(back[i], values[i]) << info.number;
        EXPECT_EQ(back[info.constantCount - 1], startup) << info.number;
    }
    Scenario circle;
    const double rn[2] = {5.0, 1.9};
    setCurveConstants(circle, 15, rn, 2);
    EXPECT_EQ(circle.curve.circleR, 5.0);
    EXPECT_EQ(circle.curve.circleN, 1.9);
}

}  // namespace
}  // namespace agv
