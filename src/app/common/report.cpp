#include "app/common/report.h"

#include "app/common/context.h"
#include "app/common/text_output.h"

namespace agv {

namespace {

/// Console shows ratios as percentages.
constexpr double kPercent = 100.0;

void printVehicleLines(const AgvContext& ctx) {
    std::ostream& out = *ctx.out;
    const SimulationSettings& s = ctx.model.settings;
    switch (ctx.view.vehicleType) {
        case k2DW1C:
            printText(out, "\n(1-1) 1:2DW1Cタイプ");
            break;
        case k1FDW1FS:
            printText(out, "\n(1-1) 2:1FDW1FSタイプ");
            break;
        case k1RDW1FS:
            printText(out, "\n(1-1) 3:1RDW1FSタイプ");
            break;
        default:
            break;
    }
    if (ctx.view.vehicleType == k2DW1C) {
        printText(out, "\n(1-2) 走行速度 Vw=%5.2f[m/s]＝一定", s.Vw);
    } else {
        // Both lines show the steering speed limit, as the report always has.
        printText(out, "\n(1-2) 駆動輪速度 Vd=%5.2f[rad/s]  通常は一定，κ急変化部では下げる",
                  s.omegaMax);
        printText(out, "\n(1-3) ステアリング速度最大 ω=%5.2f[rad/s]", s.omegaMax);
    }
}

/// The line of one of the errors 1 to 5 with its values.
void printErrorLine(const AgvContext& ctx, MechanismError error) {
    std::ostream& out = *ctx.out;
    const SimulationSettings& s = ctx.model.settings;
    switch (error) {
        case MechanismError::kRearWheels:
            printText(out,
                      "\n (2-1) 後車輪  左右の車輪半径誤差比率 err(RWH) (L,R)=(%5.2f %5.2f)(%%)",
                      kPercent * s.rearWheelErrL, kPercent * s.rearWheelErrR);
            break;
        case MechanismError::kFrontWheel:
            printText(out, "\n (2-2) 前車輪  ST車輪半径誤差比率 err(FWH)=%5.2f(%%)",
                      kPercent * s.frontWheelErr);
            break;
        case MechanismError::kSteerDrift:
            printText(out, "\n (2-3) ステアリング角のドリフト誤差 Δφ=%5.2f°",
                      s.steerDrift * kDegPerRad);
            break;
        case MechanismError::kWheelBaseTread:
            printText(out, "\n (2-4-1) ホイールベース誤差比率  err(WB)=%5.2f(%%)",
                      kPercent * s.WBerr);
            printText(out, "\n (2-4-2) トレッド誤差比率　      err(TR)=%5.2f(%%)",
                      kPercent * s.TRerr);
            break;
        case MechanismError::kSlip:
            printText(out, "\n (2-5) 駆動輪滑り率  SLIPerr=%5.2f(%%)", kPercent * s.SLIP);
            if (ctx.scenario.seed) {
                printText(out, "  乱数の種 seed=%lu",
                          static_cast<unsigned long>(*ctx.scenario.seed));
            }
            break;
        default:
            break;
    }
}

void printErrorLines(const AgvContext& ctx) {
    std::ostream& out = *ctx.out;
    const SimulationSettings& s = ctx.model.settings;
    printText(out, "\n(2)AGV機構誤差");
    switch (s.errorNumber) {
        case MechanismError::kNone:
            printText(out, " (2-0) 誤差なし");
            break;
        case MechanismError::kCombined:
            // Several errors at once: each on its line, in the order of their numbers.
            for (int n = 1; n <= kMaxErrorNumber; ++n) {
                if (hasError(s.errorsGiven, mechanismErrorOf(n))) {
                    printErrorLine(ctx, mechanismErrorOf(n));
                }
            }
            break;
        default:
            printErrorLine(ctx, s.errorNumber);
            break;
    }
}

void printPathLines(const AgvContext& ctx) {
    std::ostream& out = *ctx.out;
    const CurveParams& c = ctx.model.settings.curve;
    printText(out, "\n(3) CP運動（経路既知）");
    switch (ctx.model.settings.curveNumber) {
        case 1:
            printText(out, "\n (3-1)  余弦関数 y=A*(1-cos(2πx/L)) A=%4.2f L=%4.2f 波数n=%3.1f",
                      c.cosineA, c.cosineL, c.cosineN);
            break;
        case 2:
            printText(out, "\n (3-2)  サイクロイド y=A*(x-L/2π*sin(2πx/L)) A=%4.2f L=%4.2f",
                      c.cycloidA, c.cycloidL);
            break;
        case 3:
            printText(out, "\n (3-3)  2次関数 y=A*(x/L)^2 A=%4.2f L=%4.2f", c.quadraticA,
                      c.quadraticL);
            break;
        case 4:
            printText(out, "\n (3-4)  3次関数 y=A*(x/L)^3 A=%4.2f L=%4.2f", c.cubicA, c.cubicL);
            break;
        case 11:
            printText(out, "\n (3-11) 楕円 r=A*B/√{(Asinβ)^2+(Bcosβ)^2} A=%4.2f B=%4.2f",
                      c.ellipseA, c.ellipseB);
            break;
        case 12:
            printText(out, "\n (3-12) アルキメデス螺旋 r=A*(β/2π) A=%4.2f 巻数n=%4.2f", c.spiralA,
                      c.spiralN);
            break;
        case 13:
            printText(out, "\n (3-13) Cardioid r=A*(B-cosβ) A=%4.2f B=%4.2f", c.cardioidA,
                      c.cardioidB);
            break;
        case 14:
            printText(out, "\n (3-14) 正葉線 r=A*sin(nβ) A=%4.2f n=%4.2f", c.roseA, c.roseN);
            break;
        case 15:
            printText(out, "\n (3-15) 円弧 r=R R=%4.2f 巻数n=%4.2f", c.circleR, c.circleN);
            break;
        case 16:
            printText(out, "\n (3-16) 波打ち円 r=R+A*cos(nβ) R=2[m] A=%4.2f 波数n=%4.2f", c.wavyA,
                      c.wavyN);
            break;
        case 21:
            printText(out, "\n (3-21) 角の丸い正方形 L=%4.2f r=%4.2f", c.squareL, c.squareR);
            break;
        default:
            break;
    }
}

void printFeedbackLines(const AgvContext& ctx) {
    std::ostream& out = *ctx.out;
    const FeedbackGains& g = ctx.model.gains;
    printText(out, "\n(4-1) FBC系の固有振動数・減衰比  fn=%6.3f[Hz], ζ=%6.3f",
              ctx.model.settings.fn, ctx.model.settings.zeta);
    switch (ctx.view.vehicleType) {
        case k2DW1C:
            printText(out, "\n(4-2) ゲイン (Kd1,Kth1,KI1) =(%7.4f %7.4f %7.4f)", g.Kd1, g.Kth1,
                      g.KI1);
            break;
        case k1FDW1FS:
            printText(out, "\n(4-2) ゲイン (Kd2,Kth2,Kfi2)=(%7.4f %7.4f %7.4f)", g.Kd2, g.Kth2,
                      g.Kfi2);
            break;
        case k1RDW1FS:
            // Type 3's own gains under the labels the report has always used.
            printText(out, "\n(4-2) ゲイン (Kd1,Kth1,Kfi3)=(%7.4f %7.4f %7.4f)", g.Kd3, g.Kth3,
                      g.Kfi3);
            break;
        default:
            break;
    }
}

}  // namespace

void printConditions(const AgvContext& ctx) {
    std::ostream& out = *ctx.out;
    printText(out, "\n\n/*************** 設定したAGVの経路生成条件 ************************/");
    printVehicleLines(ctx);
    printErrorLines(ctx);
    printPathLines(ctx);
    if (ctx.model.settings.curve.ySign < 0.0) {
        printText(*ctx.out, "\n        x軸に対して鏡映した経路（時計回り）");
    }
    printFeedbackLines(ctx);
    printText(out, "\n/***********************************************************************/");
    printText(out, "\n");
}

void printPathLine(const AgvContext& ctx, int curveNumber) {
    std::ostream& out = *ctx.out;
    const CurveParams& c = ctx.model.settings.curve;
    switch (curveNumber) {
        case 1:
            printText(out,
                      "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A=%5.2f[m] L=%5.2f[m] 波数n=%3.1f",
                      c.cosineA, c.cosineL, c.cosineN);
            break;
        case 2:
            printText(out,
                      "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) A=%5.2f[m] L=%5.2f[m]",
                      c.cycloidA, c.cycloidL);
            break;
        case 3:
            printText(out, "\n I=3  : 2次関数 y=A*(x/L)^2 A=%5.2f[m] L=%5.2f[m]", c.quadraticA,
                      c.quadraticL);
            break;
        case 4:
            printText(out, "\n I=4  : 3次関数 y=A*(x/L)^3 A=%5.2f[m] L=%5.2f[m]", c.cubicA,
                      c.cubicL);
            break;
        case 11:
            printText(out, "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) A=%5.2f[m] B=%5.2f[m]",
                      c.ellipseA, c.ellipseB);
            break;
        case 12:
            printText(out, "\n I=12 : アルキメデス螺旋 r=A*β/2π Aと巻数 A=%5.2f[m] n=%7.4f",
                      c.spiralA, c.spiralN);
            break;
        case 13:
            printText(out, "\n I=13 : カーディオイド r=A(B-cosβ) A=%5.2f[m] B=%5.2f[m]",
                      c.cardioidA, c.cardioidB);
            break;
        case 14:
            printText(out, "\n I=14 : 正葉線 r=A*sin(nβ) A=%5.2f[m] n=%7.4f", c.roseA, c.roseN);
            break;
        case 15:
            printText(out, "\n I=15 : 円弧 r=R R=%5.2f[m] 巻数n=%7.4f", c.circleR, c.circleN);
            break;
        case 16:
            printText(out, "\n I=16 : 波打ち円 r=R+A*cos(nβ) R=2[m] A=%5.2f[m] 波数n=%7.4f",
                      c.wavyA, c.wavyN);
            break;
        case 21:
            printText(out, "\n I=21 : 角の丸い正方形 L=%5.2f[m] r=%5.2f[m]", c.squareL, c.squareR);
            break;
        default:
            break;
    }
}

}  // namespace agv
