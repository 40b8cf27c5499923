#include "app/dialogue.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/console.h"
#include "app/context.h"
#include "app/report.h"
#include "app/text_output.h"
#include "draw/view_state.h"
#include "path/arc_length.h"
#include "path/path_dialogue.h"
#include "path/path_length.h"
#include "sim/caltraj.h"
#include "sim/feedback.h"

namespace agv {

namespace {

/// Console percentages to stored ratios.
constexpr double kPercentToRatio = 0.01;
/// Stored ratios to console percentages.
constexpr double kRatioToPercent = 100.0;

/// The prompt of error number '1' to '5' (printed as it stands) and how many values it reads.
struct ErrorPrompt {
    const char* prompt;
    int count;
};

const ErrorPrompt kErrorPrompts[] = {
    {"\n後車輪半径の誤差比率設定　RearWheelerr 左 右(%)=", 2},
    {"\n前ST車輪半径の誤差比率設定　FrontWheelerr(%)=", 1},
    {"\nステアリング角のドリフト設定　φerror(deg)=", 1},
    {"\n後車輪間(WheelBase)誤差と前後車輪間(Tread)誤差の比率設定　WBerr TRerr(%)=", 2},
    {"\n駆動車輪滑りによる速度誤差比率設定　SLIP(%)=", 1},
};

const char* const kLegendLines[] = {
    "\n\n(1) 理論経路（赤)",
    "\n(2) 誤差のあるAGVでFBCなし走行軌道(青)",
    "\n(3) 誤差のあるAGVでFBCあり走行軌道(緑)",
    "\n・経路，終点位置姿勢の変更はキーで選択",
    "\n(1) 描画画面上でキーによる操作選択",
    "\n      'c' 'e' 'f' : CP経路・AGV誤差・FBゲインの変更のために文字画面へ",
    "\n(2) 描画の選択",
    "\n(2-1) '1' '2' '3' : AGVのタイプ選択",
    "\n(2-2) 's'    ：運動継続",
    "\n(2-3) '0'    ：運動初期に戻す",
    "\n(2-4) 'x' 'X' 'y' 'Y'：ロボット図の左右上下移動",
    "\n(2-5) 'w' 'W'：ロボット図の縮小拡大",
    "\n(3)   ESC    ：終了",
};

/// Where the dialogue starts and goes on.
enum class Step {
    kErrors,            // section 1
    kPathQuestion,      // "change the path?"
    kPathAgain,         // the path asked at once ('c', or after a cut-off computation)
    kFeedbackQuestion,  // "change the gains?"
    kFeedbackAgain,     // the design asked at once ('f')
    kCompute,
};

Step entryStep(const RunState& run) {
    if (run.computeCount == 0) return Step::kErrors;
    switch (run.lastKey) {
        case 'c':
            return Step::kPathAgain;
        case 'f':
            return Step::kFeedbackAgain;
        default:
            return Step::kErrors;
    }
}

bool isErrorNumber(char key) {
    return key >= '0' && key <= '5';
}

void printErrorListing(AgvContext& ctx, Console& console) {
    const SimulationSettings& s = ctx.settings;
    console.print("\n(1)軌道誤差設定");
    console.print("\n旧誤差 1.後車輪半径誤差比率(左右)=(%5.2f %5.2f)%%",
                  kRatioToPercent * s.rearWheelErrL, kRatioToPercent * s.rearWheelErrR);
    console.print("\n       2.前車輪半径誤差比率　　　= %5.2f%%",
                  kRatioToPercent * s.frontWheelErr);
    console.print("\n       3.ステアリングドリフト角  = %5.2f°", s.steerDrift * kDegPerRad);
    console.print("\n       4.WheelBase,Tread誤差比率 =(%5.2f %5.2f)%%", kRatioToPercent * s.WBerr,
                  kRatioToPercent * s.TRerr);
    console.print("\n       5.駆動車輪ランダム滑りの速度誤差比率 =%5.2f%%",
                  kRatioToPercent * s.SLIP);
    console.print("\n上記のどれかの誤差を１種だけ選択して変更(他は誤差=０)");
    console.print("\n 0-5のどれかを選択(0:誤差なし) Error Number=");
}

void askMechanismError(AgvContext& ctx, Console& console) {
    char key;
    do {
        printErrorListing(ctx, console);
        key = console.readKey();
    } while (!isErrorNumber(key));
    applyErrorChoice(ctx, key, 0.0, 0.0);
    console.print("     %cを選択", key);
    if (key == '0') return;
    const ErrorPrompt& prompt = kErrorPrompts[key - '1'];
    for (;;) {
        console.print("%s", prompt.prompt);
        // A value that is not read stays at the 0 the choice has just set.
        double values[2] = {0.0, 0.0};
        console.readNumbers(values, prompt.count);
        if (checkErrorChoice(ctx, key, values[0], values[1])) {
            applyErrorChoice(ctx, key, values[0], values[1]);
            return;
        }
    }
}

/// Selects a path until one fits the trajectory store.
void choosePath(AgvContext& ctx, Console& console) {
    for (;;) {
        console.print("\n 下記の経路のどれかを選択");
        // The selection has set the path up already.
        selectPath(ctx, console);
        const int curve = ctx.settings.curveNumber;
        if (checkPathLength(ctx, curve) != 0) return;
        console.print("\n経路長過ぎる．sf=%6.3f[m]  設定し直し",
                      ctx.path.pathEndReference[curve].s);
    }
}

void askFeedbackDesign(AgvContext& ctx, Console& console) {
    for (;;) {
        console.print("\n(3) FB系の固有振動数と減衰比設定 fn ζ=");
        double values[2] = {ctx.settings.fn, ctx.settings.zeta};
        console.readNumbers(values, 2);
        if (checkFeedbackDesign(ctx, values[0], values[1])) {
            applyFeedbackDesign(ctx, values[0], values[1]);
            return;
        }
    }
}

/// Asks a yes/no question; only 'y' is yes.
bool askYes(Console& console, const char* question) {
    console.print("%s", question);
    const char key = console.readKey();
    console.print("%c", key);
    return key == 'y';
}

/// The legend, the key help and the key that hands over to the window.
void finishPass(Console& console) {
    console.print("\n　　   　  計算終了  ");
    for (const char* line : kLegendLines)
        console.print("%s", line);
    console.print("\n\n任意キーで描画画面へ       ");
    const char key = console.readKey();
    console.print(" %c", key);
    console.out().flush();
}

bool gainsAreFinite(const FeedbackGains& g) {
    const double values[] = {g.omegaN2, g.twoZetaOmegaN, g.Kd1, g.Kth1, g.KI1, g.Kd2,
                             g.Kth2,    g.Kfi2,          g.Kd3, g.Kth3, g.Kfi3};
    return std::all_of(std::begin(values), std::end(values),
                       [](double v) { return std::isfinite(v); });
}

}  // namespace

void applyErrorChoice(AgvContext& ctx, char errorNumber, double value1, double value2) {
    SimulationSettings& s = ctx.settings;
    s.errorNumber = errorNumber;
    clearMechanismErrors(s);
    switch (errorNumber) {
        case '1':
            s.rearWheelErrL = value1 * kPercentToRatio;
            s.rearWheelErrR = value2 * kPercentToRatio;
            break;
        case '2':
            s.frontWheelErr = value1 * kPercentToRatio;
            break;
        case '3':
            s.steerDrift = value1 * kRadPerDeg;
            break;
        case '4':
            s.WBerr = value1 * kPercentToRatio;
            s.TRerr = value2 * kPercentToRatio;
            s.treadActual = (1.0 + s.TRerr) * s.tread;
            s.wheelBaseActual = (1.0 + s.WBerr) * s.wheelBase;
            break;
        case '5':
            s.SLIP = value1 * kPercentToRatio;
            break;
        default:
            break;
    }
}

bool checkErrorChoice(AgvContext& ctx, char errorNumber, double value1, double value2) {
    if (errorNumber != '4') return true;
    const SimulationSettings& s = ctx.settings;
    // Both dimensions divide the heading rates of the erroneous vehicles.
    if ((1.0 + value1 * kPercentToRatio) * s.wheelBase == 0.0) {
        printText(*ctx.out, "\n WBerr=%5.2f%% では後車輪間(WheelBase)が0になる　設定し直し",
                  value1);
        return false;
    }
    if ((1.0 + value2 * kPercentToRatio) * s.tread == 0.0) {
        printText(*ctx.out, "\n TRerr=%5.2f%% では前後車輪間(Tread)が0になる　設定し直し", value2);
        return false;
    }
    return true;
}

void applyFeedbackDesign(AgvContext& ctx, double fn, double zeta) {
    ctx.settings.fn = fn;
    ctx.settings.zeta = zeta;
    ctx.settings.omegaN = kTwoPi * fn;
    designGains(ctx);
}

bool checkFeedbackDesign(AgvContext& ctx, double fn, double zeta) {
    // Both divide in the gain design.
    if (fn == 0.0) {
        printText(*ctx.out, "\n fn=%6.3f = 0 ではゲインを設計できない　設定し直し", fn);
        return false;
    }
    if (zeta == 0.0) {
        printText(*ctx.out, "\n ζ=%6.3f = 0 ではゲインを設計できない　設定し直し", zeta);
        return false;
    }
    // Extreme values overflow or underflow into gains that are no numbers: try the design
    // and put the old one back.
    const SimulationSettings savedSettings = ctx.settings;
    const FeedbackGains savedGains = ctx.gains;
    applyFeedbackDesign(ctx, fn, zeta);
    const bool finite = gainsAreFinite(ctx.gains);
    ctx.settings = savedSettings;
    ctx.gains = savedGains;
    if (!finite) {
        printText(*ctx.out, "\n fn=%6.3f ζ=%6.3f ではゲインが求まらない　設定し直し", fn, zeta);
    }
    return finite;
}

int computeTrajectories(AgvContext& ctx) {
    const int curve = ctx.settings.curveNumber;
    buildArcTable(ctx, curve);
    const int result = caltraj(ctx, curve);
    if (result >= kStoreOverflow) return result;
    // The (x, y) of the theoretical trajectory, records 0 to recordCount, of one type.
    auto points = std::make_unique<double[][2]>(kMaxRecords);
    for (int t = 0; t < kVehicleTypeCount; ++t) {
        const int last = std::clamp(ctx.store->recordCount[t], 0, kMaxRecords - 1);
        for (int i = 0; i <= last; ++i) {
            points[i][0] = ctx.store->theoryTraj[t][i][kPoseX];
            points[i][1] = ctx.store->theoryTraj[t][i][kPoseY];
        }
        findPlotRange(last, points.get(), ctx.view.plotRange[t]);
    }
    ctx.run.computeCount += 1;
    ctx.view.viewScale = kViewScaleInitial;
    ctx.view.motionIndex = 0;
    ctx.settings.vehicleType = k2DW1C;
    return result;
}

bool trajectoriesAreFinite(const AgvContext& ctx) {
    const TrajectoryStore& store = *ctx.store;
    auto finite = [](const auto& record, int count) {
        for (int i = 0; i < count; ++i) {
            if (!std::isfinite(record[i])) return false;
        }
        return true;
    };
    for (int t = 0; t < kVehicleTypeCount; ++t) {
        if (!std::isfinite(store.endTime[t])) return false;
        const int last = std::clamp(store.recordCount[t], 0, kMaxRecords - 1);
        for (int n = 0; n <= last; ++n) {
            if (!finite(store.theoryTraj[t][n], kPoseFields) ||
                !finite(store.noFbcTraj[t][n], kPoseFields) ||
                !finite(store.fbcTraj[t][n], kPoseFields) ||
                !finite(store.fbcRefTraj[t][n], kPoseFields) ||
                !finite(store.noFbcDiff[t][n], kPoseFields) ||
                !finite(store.fbcDiff[t][n], kPoseFields) || !finite(store.noFbcErr[t][n], 2) ||
                !finite(store.fbcErr[t][n], 2)) {
                return false;
            }
        }
    }
    return true;
}

namespace {

/// Asks the questions from `step` on, until the conditions of a computation are set.
void askFrom(AgvContext& ctx, Console& console, Step step) {
    for (;;) {
        switch (step) {
            case Step::kErrors:
                askMechanismError(ctx, console);
                step = Step::kPathQuestion;
                break;
            case Step::kPathQuestion:
                console.print("\n(2) 旧経路 :");
                printPathLine(ctx, ctx.settings.curveNumber);
                if (askYes(console, "\nCP経路変更する？　yes:y   no:n  ")) choosePath(ctx, console);
                step = Step::kFeedbackQuestion;
                break;
            case Step::kPathAgain:
                console.print("\n\n(2) 旧経路 :");
                printPathLine(ctx, ctx.settings.curveNumber);
                choosePath(ctx, console);
                step = Step::kFeedbackQuestion;
                break;
            case Step::kFeedbackQuestion:
                console.print("\n(3) 旧系の固有振動数と減衰比 fn=%6.3f ζ=%6.3f", ctx.settings.fn,
                              ctx.settings.zeta);
                if (askYes(console, "\nFBゲイン変更する？　yes:y   no:n  ")) {
                    askFeedbackDesign(ctx, console);
                }
                step = Step::kCompute;
                break;
            case Step::kFeedbackAgain:
                console.print("\n(3) 旧FB系の固有振動数と減衰比 fn=%6.3f ζ=%6.3f", ctx.settings.fn,
                              ctx.settings.zeta);
                askFeedbackDesign(ctx, console);
                step = Step::kCompute;
                break;
            case Step::kCompute:
                return;
        }
    }
}

}  // namespace

void askConditions(AgvContext& ctx, Console& console) {
    console.print("\n\n移動ロボット(AGV)の機構誤差による軌道誤差とフィードバック制御");
    console.print("\n　AGV機構誤差，FBゲインを変えて軌道誤差を見る．");
    askFrom(ctx, console, entryStep(ctx.run));
}

void dialogue(AgvContext& ctx, Console& console) {
    askConditions(ctx, console);
    for (;;) {
        printConditions(ctx);
        console.print("\n");
        console.print("\n\n　　　只今計算中．．．．．．．\n");
        if (computeTrajectories(ctx) >= kStoreOverflow) {
            console.print("\ndialogue() I=%d 経路長長過ぎる．経路設定し直し",
                          ctx.settings.curveNumber);
            askFrom(ctx, console, Step::kPathAgain);
            continue;
        }
        if (!trajectoriesAreFinite(ctx)) {
            // Nothing of this computation can be shown: all conditions are asked
            // again, since both the errors and the gains can be the cause.
            console.print("\n計算が発散した（誤差またはFBゲインが大き過ぎる）　設定し直し");
            askFrom(ctx, console, Step::kErrors);
            continue;
        }
        finishPass(console);
        return;
    }
}

void runDialogue(AgvContext& ctx, Console& console) {
    try {
        dialogue(ctx, console);
    } catch (const InputEnded&) {
        exitAtEndOfInput(console);
    }
}

}  // namespace agv
