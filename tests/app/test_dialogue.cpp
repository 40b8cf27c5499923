// The console dialogue driven by scripts: its sections, entries, refusals, the cut-off
// computation, end of input, and arbitrary input.
#include "app/console/dialogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>

#include "app/scripted_run.h"
#include "sim/trajectory_store.h"

namespace agv {
namespace {

const std::string kHeader =
    "\n\n移動ロボット(AGV)の機構誤差による軌道誤差とフィードバック制御"
    "\n　AGV機構誤差，FBゲインを変えて軌道誤差を見る．";
const std::string kStartListing =
    "\n(1)軌道誤差設定"
    "\n旧誤差 1.後車輪半径誤差比率(左右)=( 0.00  0.00)%"
    "\n       2.前車輪半径誤差比率　　　=  0.00%"
    "\n       3.ステアリングドリフト角  =  0.00°"
    "\n       4.WheelBase,Tread誤差比率 =( 0.00  0.00)%"
    "\n       5.駆動車輪ランダム滑りの速度誤差比率 = 5.00%"
    "\n上記のどれかの誤差を１種だけ選択して変更(他は誤差=０)"
    "\n 0-5のどれかを選択(0:誤差なし) Error Number=";
const std::string kStartPath =
    "\n(2) 旧経路 :"
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A= 0.50[m] L= 2.00[m] 波数n=1.0"
    "\nCP経路変更する？　yes:y   no:n  ";
const std::string kFeedbackQuestion =
    "\n(3) 旧系の固有振動数と減衰比 fn= 1.000 ζ= 1.000"
    "\nFBゲイン変更する？　yes:y   no:n  ";
const std::string kFeedbackPrompt = "\n(3) FB系の固有振動数と減衰比設定 fn ζ=";
const std::string kComputing = "\n\n\n　　　只今計算中．．．．．．．\n";
const std::string kTypesDone =
    "\n      2DW1C 計算終わり\n      1FDW1FS 計算終わり\n      1RDW1FS 計算終わり";
const std::string kLegend =
    "\n　　   　  計算終了  "
    "\n\n(1) 理論経路（赤)"
    "\n(2) 誤差のあるAGVでFBCなし走行軌道(青)"
    "\n(3) 誤差のあるAGVでFBCあり走行軌道(緑)"
    "\n・経路，終点位置姿勢の変更はキーで選択"
    "\n(1) 描画画面上でキーによる操作選択"
    "\n      'c' 'e' 'f' : CP経路・AGV誤差・FBゲインの変更のために文字画面へ"
    "\n(2) 描画の選択"
    "\n(2-1) '1' '2' '3' : AGVのタイプ選択"
    "\n(2-2) 's'    ：運動継続"
    "\n(2-3) '0'    ：運動初期に戻す"
    "\n(2-4) 'x' 'X' 'y' 'Y'：ロボット図の左右上下移動"
    "\n(2-5) 'w' 'W'：ロボット図の縮小拡大"
    "\n(3)   ESC    ：終了"
    "\n\n任意キーで描画画面へ       ";
const std::string kChoosePath = "\n 下記の経路のどれかを選択";

class Dialogue : public ScriptedRun {
  protected:
    bool run(const std::string& script) {
        return runScript(script, [&](Console& c) { dialogue(ctx, c); });
    }
    /// A completed first pass with no error and the default path.
    void firstPass() {
        ASSERT_FALSE(run("0 n n x"));
        take();
    }
};

TEST_F(Dialogue, FirstPassWordForWord) {
    EXPECT_FALSE(run("0\nn\nn\nx\n"));
    const std::string report =
        "\n\n/*************** 設定したAGVの経路生成条件 ************************/"
        "\n(1-1) 2:1FDW1FSタイプ"
        "\n(1-2) 駆動輪速度 Vd= 2.00[rad/s]  通常は一定，κ急変化部では下げる"
        "\n(1-3) ステアリング速度最大 ω= 2.00[rad/s]"
        "\n(2)AGV機構誤差 (2-0) 誤差なし"
        "\n(3) CP運動（経路既知）"
        "\n (3-1)  余弦関数 y=A*(1-cos(2πx/L)) A=0.50 L=2.00 波数n=1.0"
        "\n(4-1) FBC系の固有振動数・減衰比  fn= 1.000[Hz], ζ= 1.000"
        "\n(4-2) ゲイン (Kd2,Kth2,Kfi2)=(248.0502 118.4353 18.8496)"
        "\n/***********************************************************************/\n";
    EXPECT_EQ(take(), kHeader + kStartListing + "     0を選択" + kStartPath + "n" +
                          kFeedbackQuestion + "n" + report + kComputing + kTypesDone + kLegend +
                          " x");
    EXPECT_EQ(ctx.model.settings.errorNumber, agv::mechanismErrorOf(0));
    EXPECT_EQ(ctx.model.settings.SLIP, 0.0);
    EXPECT_EQ(ctx.view.vehicleType, k2DW1C);
    EXPECT_EQ(ctx.view.viewScale, 0.2);
    EXPECT_EQ(ctx.view.motionIndex, 0);
    EXPECT_EQ(ctx.run.computeCount, 1);
    // The plot range covers records 0 to recordCount: on the cosine path x grows from 0
    // to 2 m and y stays between 0 and 1 m, so the last record holds the largest value.
    for (int t = 0; t < kVehicleTypeCount; ++t) {
        const double lastX = ctx.data.store->theoryTraj[t][ctx.data.store->recordCount[t]][kPoseX];
        EXPECT_NEAR(lastX, 2.0, 1e-4) << t;
        EXPECT_EQ(ctx.view.plotRange[t].max, lastX) << t;
        EXPECT_EQ(ctx.view.plotRange[t].maxAbs, lastX) << t;
        EXPECT_NEAR(ctx.view.plotRange[t].min, 0.0, 1e-12) << t;
    }
}

TEST_F(Dialogue, MechanismErrorChoices) {
    // A key outside 0 to 5 shows the listing again and is not echoed.
    EXPECT_FALSE(run("9 3\n2\nn n x"));
    std::string text = take();
    EXPECT_EQ(countOf(text, "\n(1)軌道誤差設定"), 2);
    EXPECT_NE(text.find("Error Number=\n(1)軌道誤差設定"), std::string::npos);
    EXPECT_NE(
        text.find("Error Number=     3を選択\nステアリング角のドリフト設定　φerror(deg)=\n(2)"),
        std::string::npos);
    EXPECT_DOUBLE_EQ(ctx.model.settings.steerDrift, 2.0 * kRadPerDeg);
    EXPECT_NE(text.find("\n(2)AGV機構誤差\n (2-3) ステアリング角のドリフト誤差 Δφ= 2.00°"),
              std::string::npos);

    ctx.run.lastKey = 'e';
    EXPECT_FALSE(run("4\n10 -5\nn n x"));
    text = take();
    EXPECT_NE(text.find("3.ステアリングドリフト角  =  2.00°"), std::string::npos);
    EXPECT_DOUBLE_EQ(ctx.model.settings.wheelBaseActual, 1.1);
    EXPECT_DOUBLE_EQ(ctx.model.settings.treadActual, 0.95);
    EXPECT_EQ(ctx.model.settings.steerDrift, 0.0);

    // Any later choice restores the nominal WheelBase and Tread; an unreadable value is 0.
    ctx.run.lastKey = 'e';
    EXPECT_FALSE(run("2\nabc 3\nn n x"));
    text = take();
    EXPECT_NE(text.find("4.WheelBase,Tread誤差比率 =(10.00 -5.00)%"), std::string::npos);
    EXPECT_EQ(ctx.model.settings.wheelBaseActual, 1.0);
    EXPECT_EQ(ctx.model.settings.treadActual, 1.0);
    EXPECT_EQ(ctx.model.settings.WBerr, 0.0);
    EXPECT_EQ(ctx.model.settings.frontWheelErr, 0.0);
    EXPECT_EQ(ctx.model.settings.errorNumber, agv::mechanismErrorOf(2));
}

TEST_F(Dialogue, ZeroWheelBaseOrTreadIsRefused) {
    EXPECT_FALSE(run("4\n-100 5\n5 -100\n-50 20\nn n x"));
    const std::string prompt =
        "\n後車輪間(WheelBase)誤差と前後車輪間(Tread)誤差の比率設定　WBerr TRerr(%)=";
    EXPECT_NE(
        take().find(prompt + "\n WBerr=-100.00% では後車輪間(WheelBase)が0になる　設定し直し" +
                    prompt + "\n TRerr=-100.00% では前後車輪間(Tread)が0になる　設定し直し" +
                    prompt + "\n(2) 旧経路 :"),
        std::string::npos);
    EXPECT_DOUBLE_EQ(ctx.model.settings.wheelBaseActual, 0.5);
    EXPECT_DOUBLE_EQ(ctx.model.settings.treadActual, 1.2);
}

TEST_F(Dialogue, OnlyLowerCaseYIsYes) {
    EXPECT_FALSE(run("0 Y N x"));
    const std::string text = take();
    EXPECT_NE(text.find(kStartPath + "Y" + kFeedbackQuestion + "N\n\n/****"), std::string::npos);
    EXPECT_EQ(text.find(kChoosePath), std::string::npos);
    EXPECT_EQ(text.find(kFeedbackPrompt), std::string::npos);
}

TEST_F(Dialogue, FeedbackDesignAndItsRefusals) {
    EXPECT_FALSE(run("0 n y\n0 1\n1 0\n1e200 1\nabc\n2 0.5\nx"));
    const std::string text = take();
    // 1e200 Hz overflows the gains.
    char overflow[512];
    std::snprintf(overflow, sizeof overflow,
                  "\n fn=%6.3f ζ= 1.000 ではゲインが求まらない　設定し直し", 1e200);
    EXPECT_NE(text.find(kFeedbackQuestion + "y" + kFeedbackPrompt +
                        "\n fn= 0.000 = 0 ではゲインを設計できない　設定し直し" + kFeedbackPrompt +
                        "\n ζ= 0.000 = 0 ではゲインを設計できない　設定し直し" + kFeedbackPrompt +
                        overflow + kFeedbackPrompt + "\n\n/****"),
              std::string::npos);
    // "abc" keeps fn = 1 and ζ = 1, which are accepted; the '2' of the next line is then
    // the final key.
    EXPECT_EQ(countOf(text, kFeedbackPrompt), 4);
    EXPECT_EQ(text.substr(text.size() - 2), " 2");
    EXPECT_EQ(ctx.model.settings.fn, 1.0);
    EXPECT_EQ(ctx.model.settings.zeta, 1.0);

    ctx.run.lastKey = 'f';
    EXPECT_FALSE(run("2 0.5\nx"));
    EXPECT_EQ(ctx.model.settings.fn, 2.0);
    EXPECT_EQ(ctx.model.settings.zeta, 0.5);
    EXPECT_EQ(ctx.model.settings.omegaN, kTwoPi * 2.0);
    const double wn = kTwoPi * 2.0;
    EXPECT_DOUBLE_EQ(ctx.model.gains.Kfi2, 2.0 * 0.5 * wn + wn);
    EXPECT_NE(take().find("fn= 2.000[Hz], ζ= 0.500"), std::string::npos);
}

TEST_F(Dialogue, UnstableDesignIsSaidBeforeComputing) {
    // ζ < 0 puts poles of every type on the right half plane (docs/theory.md).
    run("0 n y\n1 -0.5\nx");
    EXPECT_NE(take().find("\n注意：この fn, ζ の設計は不安定（実部が正の極がある）．"
                          "FBCありの車両は経路から離れていく\n\n　　　只今計算中"),
              std::string::npos);
    ctx.run.lastKey = 'f';
    run("1 0.3\nx");
    EXPECT_EQ(take().find("不安定"), std::string::npos);
    // Poles that decay, but too fast for the 4 ms step: the limit of fn is said.
    ctx.run.lastKey = 'f';
    run("4.3 1\nx");
    const std::string said = take();
    EXPECT_NE(said.find("\n注意：この fn, ζ の設計は計算の刻み 4 ms では不安定（fn が 4.200 Hz を"
                        "超える）．FBCありの車両は経路から離れていく\n\n　　　只今計算中"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("実部が正の極"), std::string::npos);
    // A design that holds, but a drift of 20° asks the steering for more than it can.
    ctx.run.lastKey = 'e';
    run("3\n20\nn y\n4 1\nx");
    const std::string beyond = take();
    EXPECT_NE(beyond.find("\n注意：この誤差と fn, ζ では操舵角・操舵角速度・補正量の予測が上限に"
                          "達する．線形理論の予測は成り立たない\n\n　　　只今計算中"),
              std::string::npos)
        << beyond;
    EXPECT_EQ(beyond.find("不安定"), std::string::npos);
}

TEST_F(Dialogue, DivergedComputationShowsItsRecordsUpToThere) {
    // A slip of 1.7e308 % drives the erroneous vehicles beyond the range of numbers at once.
    EXPECT_FALSE(run("5\n1.7e308\nn n\nx"));
    const std::string text = take();
    EXPECT_NE(
        text.find(kTypesDone + "\nAGV=1 記録0(t=0.00[s])の後，FBC付きAGVが経路を外れた．" +
                  "計算が発散した（誤差またはFBゲインが大き過ぎる）" + "\n　　   　  計算終了"),
        std::string::npos)
        << text;
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(ctx.data.store->diverged[k]);
        EXPECT_EQ(ctx.data.store->recordCount[k], 0);
        EXPECT_TRUE(recordsAreFinite(*ctx.data.store, k));
    }
}

TEST_F(Dialogue, TooLongPathsAreRefusedBeforeAndDuringTheComputation) {
    EXPECT_FALSE(run("1\n3 -2\ny\n15\n5 2\n15\n5 1.9\n15\n10 0.95\nn\n1\n0.5 2 1\nn\nx\n"));
    const std::string text = take();
    // The check before computing: R = 5, n = 2 is 62.83 m long.
    EXPECT_NE(
        text.find("\n経路番号I=15 経路長sf=62.8319>60.0000=smax限界を超えている．経路設定し直し"
                  "\n経路長過ぎる．sf=62.832[m]  設定し直し" +
                  kChoosePath + kPathMenu),
        std::string::npos);
    // n = 1.9 passes it, but type 2, slower in the bend, would need more than 3000 records.
    EXPECT_NE(
        text.find("\n経路番号I=15 刻み数NN>3000=MAX 曲がりで遅くなり走り切れない．経路設定し直し" +
                  kChoosePath + kPathMenu),
        std::string::npos);
    // R = 10, n = 0.95 stays below the lower bound of the records, and type 2 runs out.
    EXPECT_NE(
        text.find("\ncaltraj() I=15 AGV=2 刻み数NN=3000>=3000=MAX 経路長長過ぎる．経路設定し直し"
                  "\ndialogue() I=15 経路長長過ぎる．経路設定し直し"
                  "\n\n(2) 旧経路 :\n I=15 : 円弧 r=R R=10.00[m] 巻数n= 0.9500" +
                  kChoosePath + kPathMenu),
        std::string::npos);
    // The errors stand; the feedback question follows the new path.
    EXPECT_EQ(countOf(text, "\n(1)軌道誤差設定"), 1);
    EXPECT_EQ(countOf(text, "\n(3) 旧系の固有振動数と減衰比"), 2);
    EXPECT_EQ(countOf(text, "計算終了"), 1);
    EXPECT_EQ(ctx.run.computeCount, 1);
    EXPECT_EQ(ctx.model.settings.curveNumber, 1);
    EXPECT_EQ(ctx.model.settings.errorNumber, agv::mechanismErrorOf(1));
    EXPECT_DOUBLE_EQ(ctx.model.settings.rearWheelErrR, -0.02);
}

TEST_F(Dialogue, LengthLimitOnBothSidesAndHugeConstants) {
    // R = 10: n = 0.95652 is 60.0999 m long, n = 0.95334 is 59.90 m; input ends after it.
    EXPECT_TRUE(run("0\ny\n15\n10 0.95652\n15\n10 0.95334\n"));
    std::string text = take();
    EXPECT_EQ(countOf(text, "経路長sf=60.0999>60.0000=smax"), 1);
    EXPECT_EQ(countOf(text, "smax限界"), 1);
    EXPECT_EQ(ctx.scenario.curve.circleN, 0.95334);
    // The 59.90 m pass the length check; type 2, a little slower, needs 3000 records at least.
    EXPECT_EQ(countOf(text, "刻み数NN>3000=MAX"), 1);
    EXPECT_EQ(checkScenarioPath(ctx.model, ctx.scenario).kind, RefusalKind::kTooManyRecords);
    // A length of 10^9 m is refused at once, on a lower bound of it.
    EXPECT_TRUE(run("0\ny\n3\n1 1e9\n"));
    text = take();
    EXPECT_NE(text.find("経路番号I=3 経路長sf=1000000000.0000>60.0000=smax"), std::string::npos)
        << text;
}

TEST_F(Dialogue, EntryKeysRunTheirSections) {
    firstPass();
    ctx.view.vehicleType = k1RDW1FS;

    ctx.run.lastKey = 'c';
    EXPECT_FALSE(run("3\n1 2\nn x"));
    std::string text = take();
    EXPECT_EQ(
        text.rfind(kHeader + "\n\n(2) 旧経路 :" +
                       "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A= 0.50[m] L= 2.00[m] 波数n=1.0" +
                       kChoosePath + kPathMenu,
                   0),
        0u);
    EXPECT_EQ(text.find("(1)軌道誤差設定"), std::string::npos);
    EXPECT_NE(text.find(kFeedbackQuestion), std::string::npos);
    EXPECT_EQ(ctx.model.settings.curveNumber, 3);
    EXPECT_EQ(ctx.model.settings.errorNumber, agv::mechanismErrorOf(0));
    EXPECT_EQ(ctx.view.vehicleType, k2DW1C);

    ctx.run.lastKey = 'f';
    EXPECT_FALSE(run("1.5 0.8\nx"));
    text = take();
    EXPECT_EQ(text.rfind(kHeader + "\n(3) 旧FB系の固有振動数と減衰比 fn= 1.000 ζ= 1.000" +
                             kFeedbackPrompt + "\n\n/****",
                         0),
              0u);
    EXPECT_EQ(ctx.model.settings.curveNumber, 3);

    // 'e' and any other key start with the errors.
    for (char key : {'e', 'x'}) {
        ctx.run.lastKey = key;
        EXPECT_FALSE(run("0 n n x"));
        EXPECT_EQ(take().rfind(kHeader + "\n(1)軌道誤差設定", 0), 0u);
    }
    EXPECT_EQ(ctx.run.computeCount, 5);
}

TEST_F(Dialogue, ListingAfterSlipShowsTheWheelErrorsItWrote) {
    EXPECT_FALSE(run("5\n5\nn n x"));
    take();
    const SimulationSettings& s = ctx.model.settings;
    const WheelErrors slip = ctx.data.lastWheels;
    EXPECT_NE(slip.rearL, 0.0);
    EXPECT_NE(slip.rearR, 0.0);
    EXPECT_NE(slip.front, 0.0);
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "\n旧誤差 1.後車輪半径誤差比率(左右)=(%5.2f %5.2f)%%"
                  "\n       2.前車輪半径誤差比率　　　= %5.2f%%",
                  100.0 * slip.rearL, 100.0 * slip.rearR, 100.0 * slip.front);
    ctx.run.lastKey = 'e';
    EXPECT_FALSE(run("0 n n x"));
    EXPECT_NE(take().find(expected), std::string::npos);
    EXPECT_EQ(s.rearWheelErrL, 0.0);
    EXPECT_EQ(s.frontWheelErr, 0.0);
}

TEST_F(Dialogue, EndOfInputAtEveryKindOfQuestion) {
    struct Case {
        const char* script;
        std::string lastText;
    };
    const Case cases[] = {
        {"", " 0-5のどれかを選択(0:誤差なし) Error Number="},
        {"1\n", "     1を選択\n後車輪半径の誤差比率設定　RearWheelerr 左 右(%)="},
        {"0\n", "CP経路変更する？　yes:y   no:n  "},
        {"0 y\n", kPathMenu},
        {"0 y\n12\n", "\n I=12 : アルキメデス螺旋 r=A*(β/2π) を選択 Aと巻数(任意正数)入力 A n="},
        {"0 n\n", "FBゲイン変更する？　yes:y   no:n  "},
        {"0 n y\n", kFeedbackPrompt},
        {"0 n n\n", kLegend},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(run(c.script)) << c.script;
        const std::string text = take();
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), c.lastText.size())), c.lastText)
            << c.script;
    }
    // The last script got as far as the final key: the computation was done.
    EXPECT_EQ(ctx.run.computeCount, 1);
}

bool allFinite(std::initializer_list<double> values) {
    for (double v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

void expectSoundState(const AgvContext& ctx, const std::string& script, bool completed) {
    const SimulationSettings& s = ctx.model.settings;
    const CurveParams& c = s.curve;
    EXPECT_TRUE(allFinite({s.wheelBaseActual, s.treadActual, s.rearWheelErrL, s.rearWheelErrR,
                           s.frontWheelErr, s.steerDrift, s.WBerr, s.TRerr, s.SLIP, s.fn, s.zeta,
                           s.omegaN}))
        << script;
    EXPECT_TRUE(
        allFinite({c.cosineA,    c.cosineL,    c.cosineN,         c.cycloidA,        c.cycloidL,
                   c.quadraticA, c.quadraticL, c.cubicA,          c.cubicL,          c.ellipseA,
                   c.ellipseB,   c.spiralA,    c.spiralN,         c.cardioidA,       c.roseA,
                   c.roseN,      c.circleR,    c.circleN,         c.wavyA,           c.wavyN,
                   c.cosineK,    c.cycloidK,   c.ellipseASquared, c.ellipseBSquared, c.spiralRate}))
        << script;
    const FeedbackGains& g = ctx.model.gains;
    EXPECT_TRUE(allFinite({g.Kd1, g.Kth1, g.KI1, g.Kd2, g.Kth2, g.Kfi2, g.Kd3, g.Kth3, g.Kfi3}))
        << script;
    EXPECT_TRUE(agv::errorNumberOf(s.errorNumber) >= -1 && agv::errorNumberOf(s.errorNumber) <= 5)
        << script;
    if (!completed) return;
    const TrajectoryStore& store = *ctx.data.store;
    for (int t = 0; t < kVehicleTypeCount; ++t) {
        ASSERT_GE(store.recordCount[t], store.diverged[t] ? 0 : 1) << script;
        ASSERT_LT(store.recordCount[t], kMaxRecords) << script;
        EXPECT_TRUE(allFinite({ctx.view.plotRange[t].maxAbs, store.endTime[t]})) << script;
        bool finite = true;
        for (int n = 0; n <= store.recordCount[t]; ++n) {
            for (int slot = 0; slot < kPoseFields; ++slot) {
                finite =
                    finite && allFinite({store.theoryTraj[t][n][slot], store.noFbcTraj[t][n][slot],
                                         store.fbcTraj[t][n][slot], store.fbcRefTraj[t][n][slot]});
            }
            finite = finite && allFinite({store.noFbcErr[t][n][0], store.noFbcErr[t][n][1],
                                          store.fbcErr[t][n][0], store.fbcErr[t][n][1]});
        }
        EXPECT_TRUE(finite) << "type " << t + 1 << " after: " << script;
    }
}

TEST_F(Dialogue, ArbitraryInputAlwaysEndsAndLeavesNumbers) {
    std::mt19937 random(20240611u);
    const char* const tokens[] = {"0",   "1",   "2",     "3", "4",  "5",  "y",  "Y",  "n",
                                  "N",   "c",   "e",     "f", "x",  " ",  "\n", "\t", "abc",
                                  "nan", "inf", "1e999", "-", "+.", "e5", "0x", "１"};
    const int curves[] = {-1, 0, 1, 2, 3, 4, 7, 11, 12, 13, 14, 15, 16, 17};
    const char entries[] = {'c', 'e', 'f', 'x'};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // A sample in the suite; the dialogue fuzz target tries millions.
    constexpr int kCases = 50;
    for (int i = 0; i < kCases; ++i) {
        std::string script;
        const int pieces = 1 + pick(40);
        for (int p = 0; p < pieces; ++p) {
            char number[32];
            switch (pick(5)) {
                case 0:
                    script += static_cast<char>(pick(256));
                    break;
                case 1:
                    script += tokens[pick(sizeof tokens / sizeof *tokens)];
                    break;
                case 2:
                    std::snprintf(number, sizeof number, " %.4g", (pick(2001) - 1000) * 0.15);
                    script += number;
                    break;
                case 3:
                    std::snprintf(number, sizeof number, "\n%d\n", curves[pick(14)]);
                    script += number;
                    break;
                default:
                    std::snprintf(number, sizeof number, " %.3g\n", (pick(601) - 100) * 0.01);
                    script += number;
                    break;
            }
        }
        ctx.run.lastKey = entries[pick(4)];
        const bool ended = run(script);
        take();
        // The trajectories are shown only after a completed dialogue; at the end of input
        // the program stops instead.
        expectSoundState(ctx, script, !ended);
        // The program stops at the end of input, so the next script starts a new run.
        if (ended) restart();
        if (testing::Test::HasFailure()) break;
    }
}

}  // namespace
}  // namespace agv
