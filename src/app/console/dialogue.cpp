#include "app/console/dialogue.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/outcome_text.h"
#include "app/common/report.h"
#include "app/common/text_output.h"
#include "app/console/console.h"
#include "app/console/path_dialogue.h"
#include "sim/linear_theory.h"

namespace agv {

namespace {

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

/// Said after the condition report when a pole of the design has a positive real part.
const char* const kUnstableDesignLine =
    "\n注意：この fn, ζ の設計は不安定（実部が正の極がある）．FBCありの車両は経路から離れていく";

/// Said after the condition report when the poles decay but one leaves the stability
/// region of the integration step; formatted with the step [ms] and the limit of fn [Hz].
const char* const kStepLimitLine =
    "\n注意：この fn, ζ の設計は計算の刻み %g ms では不安定（fn が %.3f Hz を超える）．"
    "FBCありの車両は経路から離れていく";

/// Said when the predicted response of a design that holds reaches a steering or
/// correction limit of the model.
const char* const kBeyondLinearLine =
    "\n注意：この誤差と fn, ζ では操舵角・操舵角速度・補正量の予測が上限に達する．"
    "線形理論の予測は成り立たない";

/// The warnings of the linear theory (docs/theory.md) before computing, when the design
/// cannot hold the vehicle on the path.
void sayUnstableDesign(Console& console, const RunTheory& theory) {
    if (theory.any(Stability::kRightHalfPlane)) console.print("%s", kUnstableDesignLine);
    if (!theory.any(Stability::kIntegrationStep)) return;
    // The lowest limit of the types that the step fails.
    double limit = std::numeric_limits<double>::infinity();
    double step = 0.0;
    for (const TypeTheory& t : theory.types) {
        if (t.stability != Stability::kIntegrationStep) continue;
        step = t.step;
        if (std::fabs(t.stepLimitFn) < std::fabs(limit)) limit = t.stepLimitFn;
    }
    console.print(kStepLimitLine, 1000.0 * step, limit);
}

/// The warning when a limit of the model will act on the design's response.
void sayBeyondLinearRange(Console& console, const RunTheory& theory) {
    if (theory.anyBeyondLinearRange()) console.print("%s", kBeyondLinearLine);
}

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
    const SimulationSettings& s = ctx.model.settings;
    const WheelErrors wheels = listedWheelErrors(ctx);
    console.print("\n(1)軌道誤差設定");
    console.print("\n旧誤差 1.後車輪半径誤差比率(左右)=(%5.2f %5.2f)%%",
                  kRatioToPercent * wheels.rearL, kRatioToPercent * wheels.rearR);
    console.print("\n       2.前車輪半径誤差比率　　　= %5.2f%%", kRatioToPercent * wheels.front);
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
    Scenario& scenario = ctx.scenario;
    const MechanismError error = mechanismErrorOf(key - '0');
    // One error at a time: choosing one clears the others.
    scenario.errors = onlyError(error, 0.0, 0.0);
    console.print("     %cを選択", key);
    if (error == MechanismError::kNone) return;
    const ErrorPrompt& prompt = kErrorPrompts[key - '1'];
    for (;;) {
        console.print("%s", prompt.prompt);
        // A value that is not read is 0, the other errors' value.
        double values[2] = {0.0, 0.0};
        console.readNumbers(values, prompt.count);
        scenario.errors = onlyError(error, values[0], values[1]);
        if (acceptSetting(ctx, checkScenarioError(ctx.model, scenario))) return;
    }
}

/// Selects a path until one fits the trajectory store.
void choosePath(AgvContext& ctx, Console& console) {
    for (;;) {
        console.print("\n 下記の経路のどれかを選択");
        selectPath(ctx, console);
        const Refusal length = checkScenarioPath(ctx.model, ctx.scenario);
        if (length.accepted()) return;
        console.out() << refusalText(length);
    }
}

void askFeedbackDesign(AgvContext& ctx, Console& console) {
    for (;;) {
        console.print("\n(3) FB系の固有振動数と減衰比設定 fn ζ=");
        // A refused design is not kept: the next answer starts from the last accepted one.
        Scenario trial = ctx.scenario;
        double values[2] = {trial.fn, trial.zeta};
        console.readNumbers(values, 2);
        trial.fn = values[0];
        trial.zeta = values[1];
        if (acceptSetting(ctx, checkScenarioDesign(ctx.model, trial))) {
            ctx.scenario = trial;
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

}  // namespace

bool acceptSetting(AgvContext& ctx, const Refusal& refusal) {
    *ctx.out << refusalText(refusal);
    return refusal.accepted();
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
                printPathLine(ctx, ctx.model.settings.curveNumber);
                if (askYes(console, "\nCP経路変更する？　yes:y   no:n  ")) choosePath(ctx, console);
                step = Step::kFeedbackQuestion;
                break;
            case Step::kPathAgain:
                console.print("\n\n(2) 旧経路 :");
                printPathLine(ctx, ctx.model.settings.curveNumber);
                choosePath(ctx, console);
                step = Step::kFeedbackQuestion;
                break;
            case Step::kFeedbackQuestion:
                console.print("\n(3) 旧系の固有振動数と減衰比 fn=%6.3f ζ=%6.3f",
                              ctx.model.settings.fn, ctx.model.settings.zeta);
                if (askYes(console, "\nFBゲイン変更する？　yes:y   no:n  ")) {
                    askFeedbackDesign(ctx, console);
                }
                step = Step::kCompute;
                break;
            case Step::kFeedbackAgain:
                console.print("\n(3) 旧FB系の固有振動数と減衰比 fn=%6.3f ζ=%6.3f",
                              ctx.model.settings.fn, ctx.model.settings.zeta);
                askFeedbackDesign(ctx, console);
                step = Step::kCompute;
                break;
            case Step::kCompute:
                // Every section has passed its check: the whole scenario goes to the model.
                applyScenario(ctx.model, ctx.scenario);
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
        const RunTheory theory = runTheory(ctx.model);
        sayUnstableDesign(console, theory);
        sayBeyondLinearRange(console, theory);
        console.print("\n\n　　　只今計算中．．．．．．．\n");
        const RunOutcome outcome = computeTrajectories(ctx);
        printComputationMessages(console.out(), outcome);
        console.out() << dialogueRetryText(outcome);
        if (outcome.status == RunStatus::kStoreOverflow) {
            askFrom(ctx, console, Step::kPathAgain);
            continue;
        }
        // A diverged type shows its records up to where it left the path.
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
