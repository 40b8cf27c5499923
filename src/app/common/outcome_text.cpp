#include "app/common/outcome_text.h"

#include "app/common/text_output.h"

#include <cmath>
#include <sstream>
#include "sim/model.h"

namespace agv {

namespace {

/// Completion message of each vehicle type.
constexpr const char* kDoneMessage[kVehicleTypeCount] = {
    "\n      2DW1C 計算終わり",
    "\n      1FDW1FS 計算終わり",
    "\n      1RDW1FS 計算終わり",
};

}  // namespace

void printComputationMessages(std::ostream& out, const RunOutcome& outcome) {
    const bool overflow = outcome.status == RunStatus::kStoreOverflow;
    // A stopped run's records are not used: no type counts as computed.
    const int computed = outcome.status == RunStatus::kStopped ? 0
                         : overflow                            ? outcome.vehicleType - 1
                                                               : kVehicleTypeCount;
    for (int k = 0; k < computed; ++k)
        printText(out, "%s", kDoneMessage[k]);
    if (overflow) {
        printText(out, "\ncaltraj() I=%d AGV=%d 刻み数NN=%d>=%d=MAX 経路長長過ぎる．経路設定し直し",
                  outcome.curveNumber, outcome.vehicleType, outcome.record,
                  static_cast<int>(outcome.limit));
    }
}

std::string dialogueRetryText(const RunOutcome& outcome) {
    switch (outcome.status) {
        case RunStatus::kStoreOverflow:
            return formatText("\ndialogue() I=%d 経路長長過ぎる．経路設定し直し",
                              outcome.curveNumber);
        case RunStatus::kDiverged:
            return formatText(
                "\nAGV=%d 記録%d(t=%.2f[s])の後，FBC付きAGVが経路を外れた．"
                "計算が発散した（誤差またはFBゲインが大き過ぎる）",
                outcome.vehicleType, outcome.record, outcome.time);
        case RunStatus::kStopped:
            return formatText("\nAGV=%d 記録%d(t=%.2f[s])で計算を中断した", outcome.vehicleType,
                              outcome.record, outcome.time);
        default:
            return "";
    }
}

std::string outcomeReason(const RunOutcome& outcome) {
    switch (outcome.status) {
        case RunStatus::kDone:
            return "";
        case RunStatus::kStoreOverflow:
            return formatText("type %d ran out of records on path %d (record %d of %d)",
                              outcome.vehicleType, outcome.curveNumber, outcome.record,
                              static_cast<int>(outcome.limit));
        case RunStatus::kDiverged:
            return divergenceReason(outcome.vehicleType, outcome.record, outcome.time);
        case RunStatus::kStopped:
            return formatText("stopped on request: type %d at record %d (t = %.2f s)",
                              outcome.vehicleType, outcome.record, outcome.time);
    }
    return "";
}

std::string divergenceReason(int type, int record, double time) {
    return formatText(
        "type %d diverged: its vehicle with feedback left the path after record %d (t = %.2f s)",
        type, record, time);
}

namespace {

/// The LQR weights by their index in Qd,Qth,Qphi,R.
const char* lqrWeightName(int index) {
    static const char* const kNames[] = {"Qd", "Qth", "Qphi", "R"};
    constexpr int kCount = static_cast<int>(sizeof kNames / sizeof kNames[0]);
    return index >= 0 && index < kCount ? kNames[index] : "?";
}

}  // namespace

std::string refusalText(const Refusal& r) {
    switch (r.kind) {
        case RefusalKind::kNone:
            return "";
        case RefusalKind::kNegativeConstant:
            return formatText("\n %s=%5.2f < 0 設定し直し", r.name, r.value);
        case RefusalKind::kZeroConstant:
            return formatText("\n %s=%5.2f = 0 では経路にならない　設定し直し", r.name, r.value);
        case RefusalKind::kNoPath:
            return formatText("\n I=%d の定数では経路にならない　設定し直し", r.curveNumber);
        case RefusalKind::kZeroWheelBase:
            return formatText("\n WBerr=%5.2f%% では後車輪間(WheelBase)が0になる　設定し直し",
                              r.value);
        case RefusalKind::kZeroTread:
            return formatText("\n TRerr=%5.2f%% では前後車輪間(Tread)が0になる　設定し直し",
                              r.value);
        case RefusalKind::kZeroFn:
            return formatText("\n fn=%6.3f = 0 ではゲインを設計できない　設定し直し", r.value);
        case RefusalKind::kZeroZeta:
            return formatText("\n ζ=%6.3f = 0 ではゲインを設計できない　設定し直し", r.value);
        case RefusalKind::kNoGains:
            return formatText("\n fn=%6.3f ζ=%6.3f ではゲインが求まらない　設定し直し", r.value,
                              r.value2);
        case RefusalKind::kNoSuchError:
            return "\n 0-5のどれかを選択(0:誤差なし) Error Number=";
        case RefusalKind::kErrorNotFinite:
            return formatText("\n 誤差%dの値が数でない　設定し直し", errorNumberOf(r.error));
        case RefusalKind::kNoSuchCurve:
            return formatText("\n I=%d  やり直し", r.curveNumber);
        case RefusalKind::kPathTooLong:
            return formatText(
                       "\n経路番号I=%d 経路長sf=%7.4f>%7.4f=smax限界を超えている．経路設定し直し",
                       r.curveNumber, r.value, r.value2) +
                   formatText("\n経路長過ぎる．sf=%6.3f[m]  設定し直し", r.value);
        case RefusalKind::kNoPathLength:
            return formatText("\n経路番号I=%d 経路長を計算できない．経路設定し直し", r.curveNumber);
        case RefusalKind::kTooManyRecords:
            return formatText(
                "\n経路番号I=%d 刻み数NN>%.0f=MAX 曲がりで遅くなり走り切れない．経路設定し直し",
                r.curveNumber, r.value2);
        case RefusalKind::kBadLookahead:
            return formatText("\n 前方注視距離Ld=%6.3f <= 0 では追従できない　設定し直し", r.value);
        case RefusalKind::kBadStanleyGain:
            return formatText("\n Stanleyゲインk=%6.3f <= 0 では横ずれを戻せない　設定し直し",
                              r.value);
        case RefusalKind::kBadLqrWeight:
            return formatText("\n LQR重み%s=%g は使えない(負・数でない・R=0)　設定し直し",
                              lqrWeightName(r.constantIndex), r.value);
        case RefusalKind::kNoLqrGains:
            return "\n このLQR重みではリッカチ方程式が解けずゲインが求まらない　設定し直し";
    }
    return "";
}

std::string refusalReason(const Refusal& r) {
    switch (r.kind) {
        case RefusalKind::kNone:
            return "";
        case RefusalKind::kNegativeConstant:
            return formatText("%s = %g is negative", r.name, r.value);
        case RefusalKind::kZeroConstant:
            return formatText("%s = 0 makes no path", r.name);
        case RefusalKind::kNoPath:
            return formatText("these constants of curve %d make no path", r.curveNumber);
        case RefusalKind::kZeroWheelBase:
            return formatText("a WheelBase error of %g %% leaves a WheelBase of 0", r.value);
        case RefusalKind::kZeroTread:
            return formatText("a Tread error of %g %% leaves a Tread of 0", r.value);
        case RefusalKind::kZeroFn:
            return "fn = 0 gives no feedback gains";
        case RefusalKind::kZeroZeta:
            return "zeta = 0 gives no feedback gains";
        case RefusalKind::kNoGains:
            return formatText("fn = %g and zeta = %g give gains that are not finite", r.value,
                              r.value2);
        case RefusalKind::kNoSuchError:
            return "the error number must be 0 to 5";
        case RefusalKind::kErrorNotFinite:
            return formatText("the value of error %d (%s) is not a finite number",
                              errorNumberOf(r.error), mechanismErrorInfo(r.error)->name);
        case RefusalKind::kNoSuchCurve:
            return formatText("%d is not a curve number (1-4, 11-16, 21)", r.curveNumber);
        case RefusalKind::kPathTooLong:
            return formatText("path %d is %.6g m long, more than the %.6g m the store holds",
                              r.curveNumber, r.value, r.value2);
        case RefusalKind::kNoPathLength:
            return formatText("the length of path %d cannot be computed", r.curveNumber);
        case RefusalKind::kTooManyRecords:
            return formatText(
                "path %d would take type 2 (1FDW1FS), slowed down in its bends, more than the "
                "%.0f records the store holds",
                r.curveNumber, r.value2);
        case RefusalKind::kBadLookahead:
            return formatText("the look-ahead distance %g m is not a positive number", r.value);
        case RefusalKind::kBadStanleyGain:
            return formatText("the Stanley gain %g 1/s is not a positive number", r.value);
        case RefusalKind::kBadLqrWeight:
            return formatText("the LQR weight %s = %g is negative, no number, or R = 0",
                              lqrWeightName(r.constantIndex), r.value);
        case RefusalKind::kNoLqrGains:
            return "these LQR weights give no stabilising solution of the Riccati equation "
                   "(Qd and Qphi must be positive)";
    }
    return "";
}

}  // namespace agv
