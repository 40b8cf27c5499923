// The condition report and the path line, byte for byte.
#include "app/common/report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "draw/captions.h"

namespace agv {
namespace {

class ReportTest : public testing::Test {
  protected:
    ReportTest() { ctx.out = &out; }
    std::string take() {
        std::string text = out.str();
        out.str("");
        return text;
    }
    AgvContext ctx;
    std::ostringstream out;
};

const std::string kFooter =
    "\n/***********************************************************************/\n";

TEST_F(ReportTest, VehicleTypesOneAndThree) {
    ctx.model.gains = FeedbackGains{};
    ctx.model.gains.Kd1 = 1.5;
    ctx.model.gains.Kth1 = -2.25;
    ctx.model.gains.KI1 = 100.0;
    ctx.model.gains.Kd3 = 3.0;
    ctx.model.gains.Kth3 = 4.0;
    ctx.model.gains.Kfi3 = 5.0;
    ctx.model.settings.fn = 0.5;
    ctx.model.settings.zeta = 0.7071;
    ctx.view.vehicleType = k2DW1C;
    printConditions(ctx);
    std::string text = take();
    EXPECT_NE(
        text.find("\n(1-1) 1:2DW1Cタイプ\n(1-2) 走行速度 Vw= 1.00[m/s]＝一定\n(2)AGV機構誤差"),
        std::string::npos);
    EXPECT_NE(text.find("\n(4-1) FBC系の固有振動数・減衰比  fn= 0.500[Hz], ζ= 0.707"
                        "\n(4-2) ゲイン (Kd1,Kth1,KI1) =( 1.5000 -2.2500 100.0000)" +
                        kFooter),
              std::string::npos);

    ctx.view.vehicleType = k1RDW1FS;
    printConditions(ctx);
    text = take();
    EXPECT_NE(text.find("\n(1-1) 3:1RDW1FSタイプ"
                        "\n(1-2) 駆動輪速度 Vd= 2.00[rad/s]  通常は一定，κ急変化部では下げる"
                        "\n(1-3) ステアリング速度最大 ω= 2.00[rad/s]\n(2)"),
              std::string::npos);
    // Type 3's own gains, under the labels Kd1 and Kth1.
    EXPECT_NE(text.find("\n(4-2) ゲイン (Kd1,Kth1,Kfi3)=( 3.0000  4.0000  5.0000)"),
              std::string::npos);
}

TEST_F(ReportTest, MechanismErrorLines) {
    SimulationSettings& s = ctx.model.settings;
    struct Case {
        int number;
        std::string lines;
    };
    s.rearWheelErrL = 0.012;
    s.rearWheelErrR = -0.05;
    s.frontWheelErr = 0.1;
    s.steerDrift = 2.0 * kRadPerDeg;
    s.WBerr = 0.1;
    s.TRerr = 0.0;
    s.SLIP = 0.05;
    const Case cases[] = {
        {0, " (2-0) 誤差なし"},
        {1, "\n (2-1) 後車輪  左右の車輪半径誤差比率 err(RWH) (L,R)=( 1.20 -5.00)(%)"},
        {2, "\n (2-2) 前車輪  ST車輪半径誤差比率 err(FWH)=10.00(%)"},
        {3, "\n (2-3) ステアリング角のドリフト誤差 Δφ= 2.00°"},
        // Both lines, although the Tread error is 0.
        {4,
         "\n (2-4-1) ホイールベース誤差比率  err(WB)=10.00(%)"
         "\n (2-4-2) トレッド誤差比率　      err(TR)= 0.00(%)"},
        {5, "\n (2-5) 駆動輪滑り率  SLIPerr= 5.00(%)"},
        {-1, ""},
        {7, ""},
    };
    for (const Case& c : cases) {
        s.errorNumber = static_cast<MechanismError>(c.number);
        s.errorsGiven = c.number > 0 && c.number <= 5 ? errorBit(s.errorNumber) : 0;
        printConditions(ctx);
        const std::string expected = "\n(2)AGV機構誤差" + c.lines + "\n(3) CP運動（経路既知）";
        EXPECT_NE(take().find(expected), std::string::npos) << "error number " << c.number;
    }
}

TEST_F(ReportTest, BothWordingsOfEveryCurve) {
    CurveParams& c = ctx.model.settings.curve;
    c.cosineA = 1.25, c.cosineL = 3.5, c.cosineN = 2.0;
    c.cycloidA = 0.5, c.cycloidL = 12.25;
    c.quadraticA = 1.0, c.quadraticL = 4.0;
    c.cubicA = 0.25, c.cubicL = 3.0;
    c.ellipseA = 3.0, c.ellipseB = 1.5;
    c.spiralA = 0.8, c.spiralN = 2.5;
    c.cardioidA = 1.1;
    c.roseA = 2.0, c.roseN = 0.5;
    c.circleR = 5.0, c.circleN = 1.9;
    c.wavyA = 0.3, c.wavyN = 5.0;
    struct Case {
        int curve;
        const char* report;
        const char* pathLine;
    };
    const Case cases[] = {
        {1, "\n (3-1)  余弦関数 y=A*(1-cos(2πx/L)) A=1.25 L=3.50 波数n=2.0",
         "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A= 1.25[m] L= 3.50[m] 波数n=2.0"},
        {2, "\n (3-2)  サイクロイド y=A*(x-L/2π*sin(2πx/L)) A=0.50 L=12.25",
         "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) A= 0.50[m] L=12.25[m]"},
        {3, "\n (3-3)  2次関数 y=A*(x/L)^2 A=1.00 L=4.00",
         "\n I=3  : 2次関数 y=A*(x/L)^2 A= 1.00[m] L= 4.00[m]"},
        {4, "\n (3-4)  3次関数 y=A*(x/L)^3 A=0.25 L=3.00",
         "\n I=4  : 3次関数 y=A*(x/L)^3 A= 0.25[m] L= 3.00[m]"},
        {11, "\n (3-11) 楕円 r=A*B/√{(Asinβ)^2+(Bcosβ)^2} A=3.00 B=1.50",
         "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) A= 3.00[m] B= 1.50[m]"},
        {12, "\n (3-12) アルキメデス螺旋 r=A*(β/2π) A=0.80 巻数n=2.50",
         "\n I=12 : アルキメデス螺旋 r=A*β/2π Aと巻数 A= 0.80[m] n= 2.5000"},
        {13, "\n (3-13) Cardioid r=A*(B-cosβ) A=1.10 B=1.20",
         "\n I=13 : カーディオイド r=A(B-cosβ) A= 1.10[m] B= 1.20[m]"},
        {14, "\n (3-14) 正葉線 r=A*sin(nβ) A=2.00 n=0.50",
         "\n I=14 : 正葉線 r=A*sin(nβ) A= 2.00[m] n= 0.5000"},
        {15, "\n (3-15) 円弧 r=R R=5.00 巻数n=1.90", "\n I=15 : 円弧 r=R R= 5.00[m] 巻数n= 1.9000"},
        {16, "\n (3-16) 波打ち円 r=R+A*cos(nβ) R=2[m] A=0.30 波数n=5.00",
         "\n I=16 : 波打ち円 r=R+A*cos(nβ) R=2[m] A= 0.30[m] 波数n= 5.0000"},
    };
    for (const Case& k : cases) {
        ctx.model.settings.curveNumber = k.curve;
        printConditions(ctx);
        EXPECT_NE(take().find(std::string("\n(3) CP運動（経路既知）") + k.report + "\n(4-1)"),
                  std::string::npos)
            << "curve " << k.curve;
        printPathLine(ctx, k.curve);
        EXPECT_EQ(take(), k.pathLine);
    }
    for (int notACurve : {0, 5, 10, 17, -1}) {
        printPathLine(ctx, notACurve);
        EXPECT_EQ(take(), "");
        ctx.model.settings.curveNumber = notACurve;
        printConditions(ctx);
        EXPECT_NE(take().find("\n(3) CP運動（経路既知）\n(4-1)"), std::string::npos);
    }
}

}  // namespace
}  // namespace agv

namespace agv {
namespace {

TEST_F(ReportTest, CombinedErrorsEachOnTheirLineAndTheMirroredPath) {
    Scenario scenario;
    giveError(scenario.errors, MechanismError::kSlip, 3.0);
    giveError(scenario.errors, MechanismError::kRearWheels, 1.0, -2.0);
    scenario.seed = 12;
    scenario.mirror = true;
    ASSERT_TRUE(useScenario(ctx, scenario).accepted());
    printConditions(ctx);
    EXPECT_NE(take().find("\n(2)AGV機構誤差"
                          "\n (2-1) 後車輪  左右の車輪半径誤差比率 err(RWH) (L,R)=( 1.00 -2.00)(%)"
                          "\n (2-5) 駆動輪滑り率  SLIPerr= 3.00(%)  乱数の種 seed=12"
                          "\n(3) CP運動（経路既知）"
                          "\n (3-1)  余弦関数 y=A*(1-cos(2πx/L)) A=0.50 L=2.00 波数n=1.0"
                          "\n        x軸に対して鏡映した経路（時計回り）\n(4-1)"),
              std::string::npos);
    ErrorCaption caption;
    ASSERT_TRUE(errorCaption(ctx.model.settings, caption));
    EXPECT_STREQ(caption.caption, "Combined AGV Errors");
    EXPECT_EQ(caption.value, "(1+5)");
}

}  // namespace
}  // namespace agv
