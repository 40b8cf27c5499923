// The words for outcomes and refusals: the console's Japanese lines byte for byte, and the
// tools' English reasons.
#include "app/common/outcome_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace agv {
namespace {

std::string messages(const RunOutcome& outcome) {
    std::ostringstream out;
    printComputationMessages(out, outcome);
    return out.str();
}

TEST(OutcomeText, ComputationMessagesOfEachOutcome) {
    const std::string allDone =
        "\n      2DW1C 計算終わり\n      1FDW1FS 計算終わり\n      1RDW1FS 計算終わり";
    RunOutcome outcome;
    EXPECT_EQ(messages(outcome), allDone);
    outcome.status = RunStatus::kDiverged;
    EXPECT_EQ(messages(outcome), allDone);  // every type was computed
    outcome.vehicleType = 1;
    outcome.record = 57;
    outcome.time = 1.1432;
    EXPECT_EQ(outcomeReason(outcome),
              "type 1 diverged: its vehicle with feedback left the path after record 57 "
              "(t = 1.14 s)");

    outcome.status = RunStatus::kStoreOverflow;
    outcome.curveNumber = 15;
    outcome.vehicleType = 2;
    outcome.record = 3000;
    outcome.limit = 3000;
    EXPECT_EQ(messages(outcome),
              "\n      2DW1C 計算終わり"
              "\ncaltraj() I=15 AGV=2 刻み数NN=3000>=3000=MAX "
              "経路長長過ぎる．経路設定し直し");
    EXPECT_EQ(outcomeReason(outcome), "type 2 ran out of records on path 15 (record 3000 of 3000)");

    // A stopped run counts no type as computed.
    outcome.status = RunStatus::kStopped;
    outcome.record = 412;
    outcome.time = 8.24;
    EXPECT_EQ(messages(outcome), "");
    EXPECT_EQ(dialogueRetryText(outcome), "\nAGV=2 記録412(t=8.24[s])で計算を中断した");
    EXPECT_EQ(outcomeReason(outcome), "stopped on request: type 2 at record 412 (t = 8.24 s)");

    Refusal tooLong;
    tooLong.kind = RefusalKind::kPathTooLong;
    tooLong.curveNumber = 15;
    tooLong.value = 62.83185;
    tooLong.value2 = 60.0;
    EXPECT_EQ(refusalText(tooLong),
              "\n経路番号I=15 経路長sf=62.8319>60.0000=smax限界を超えている．経路設定し直し"
              "\n経路長過ぎる．sf=62.832[m]  設定し直し");
    EXPECT_EQ(refusalReason(tooLong),
              "path 15 is 62.8319 m long, more than the 60 m the store holds");
    // A length that is no number is said in words.
    tooLong.kind = RefusalKind::kNoPathLength;
    EXPECT_EQ(refusalText(tooLong), "\n経路番号I=15 経路長を計算できない．経路設定し直し");
    EXPECT_EQ(refusalReason(tooLong), "the length of path 15 cannot be computed");
}

TEST(OutcomeText, RefusalsInBothLanguages) {
    Refusal r;
    EXPECT_EQ(refusalText(r), "");
    r.kind = RefusalKind::kZeroConstant;
    r.name = "L";
    EXPECT_EQ(refusalText(r), "\n L= 0.00 = 0 では経路にならない　設定し直し");
    EXPECT_EQ(refusalReason(r), "L = 0 makes no path");
    r = Refusal{};
    r.kind = RefusalKind::kNoGains;
    r.value = 1e300;
    r.value2 = 1.0;
    EXPECT_EQ(refusalReason(r), "fn = 1e+300 and zeta = 1 give gains that are not finite");
    r.kind = RefusalKind::kZeroTread;
    r.value = -100.0;
    EXPECT_EQ(refusalText(r), "\n TRerr=-100.00% では前後車輪間(Tread)が0になる　設定し直し");
    // A law's parameter names itself in both languages.
    r = Refusal{};
    r.kind = RefusalKind::kBadLqrWeight;
    r.constantIndex = 3;
    r.value = 0.0;
    EXPECT_EQ(refusalText(r), "\n LQR重みR=0 は使えない(負・数でない・R=0)　設定し直し");
    EXPECT_EQ(refusalReason(r), "the LQR weight R = 0 is negative, no number, or R = 0");
    r.kind = RefusalKind::kBadLookahead;
    r.value = -0.5;
    EXPECT_EQ(refusalText(r), "\n 前方注視距離Ld=-0.500 <= 0 では追従できない　設定し直し");
}

}  // namespace
}  // namespace agv
