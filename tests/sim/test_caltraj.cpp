#include "sim/caltraj.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/common/random_table_file.h"
#include "noise/slip_noise.h"
#include "sim/records_needed.h"
#include "sim/scenario.h"
#include "sim_test_support.h"

namespace {

using simtest::SimContext;

constexpr double kDt = 0.02;

using agv::MechanismError;

/// A computation on curve I with the given error setting, and its outcome.
struct Computation : SimContext {
    agv::RunOutcome outcome;
    using SimContext::SimContext;
    Computation& compute(int curve) {
        prepare(curve);
        outcome = agv::caltraj(model, data);
        return *this;
    }
    const agv::TrajectoryStore& store() const { return *data.store; }
};

bool sameRecords(const agv::PoseRecord* a, const agv::PoseRecord* b, int count) {
    return std::memcmp(a, b, sizeof(agv::PoseRecord) * count) == 0;
}

TEST(Caltraj, DefaultCosine) {
    Computation run;
    run.compute(1);
    const agv::TrajectoryStore& st = run.store();
    const double sf = run.model.path.pathEnd[1].sf;

    // Type 1 drives at Vw: one record per 2 cm, the end record within the last interval.
    EXPECT_EQ(st.recordCount[0], 147);
    EXPECT_GT(st.endTime[0], (st.recordCount[0] - 1) * kDt);
    EXPECT_LE(st.endTime[0], st.recordCount[0] * kDt);
    // Type 2 slows down where its steering rate is limited; its final step is several
    // sub-steps long, so it ends after recordCount·dt.
    EXPECT_EQ(st.recordCount[1], 275);
    EXPECT_NEAR(st.endTime[1], 5.5157, 1e-4);
    EXPECT_TRUE(run.outcome.done());
    EXPECT_EQ(run.outcome.vehicleType, 3);

    for (int k = 0; k < 3; ++k) {
        const int last = st.recordCount[k];
        // Type 2 arrives at the path end only up to the linear interpolation of the
        // final step, because its speed changes during it.
        EXPECT_NEAR(st.theoryTraj[k][last][agv::kPoseS], sf, k == 1 ? 1e-5 : 1e-9);
        EXPECT_NEAR(st.theoryTraj[k][last][agv::kPoseX], 2.0, k == 1 ? 1e-5 : 1e-6);
        // Record 0 is the start pose with no errors.
        EXPECT_EQ(st.fbcTraj[k][0][agv::kPoseX], 0.0);
        EXPECT_EQ(st.fbcErr[k][0][0], 0.0);
        EXPECT_NEAR(st.theoryTraj[k][0][agv::kPosePhi], std::atan(4.934802), 1e-6);
        // The FBC vehicle stays on the path.
        for (int n = 0; n <= last; ++n)
            EXPECT_LT(std::fabs(st.fbcErr[k][n][0]), 1e-3);
    }
}

TEST(Caltraj, ASlowFinalStepIsTakenInSubSteps) {
    // On a small cardioid type 2 crawls through the inner point and reaches the end about
    // 30 s after its last whole sub-step; one step across that time left absurd poses.
    Computation run;
    run.scenario.curve.cardioidA = 0.05;
    run.compute(13);
    ASSERT_TRUE(run.outcome.done());
    const agv::TrajectoryStore& st = run.store();
    const agv::PathEnd& end = run.model.path.pathEnd[13];
    const int last = st.recordCount[1];
    EXPECT_GT(st.endTime[1] - last * kDt, 20.0);
    // The red vehicle ends at the path end, the green one (lost in the inner loop) near it.
    const agv::PoseRecord& red = st.theoryTraj[1][last];
    const agv::PoseRecord& green = st.fbcTraj[1][last];
    EXPECT_LT(std::hypot(red[agv::kPoseX] - end.x, red[agv::kPoseY] - end.y), 0.01);
    EXPECT_NEAR(red[agv::kPoseS], end.sf, 0.1);
    EXPECT_LT(std::hypot(green[agv::kPoseX] - end.x, green[agv::kPoseY] - end.y), 1.0);
    for (const agv::PoseRecord* pose : {&red, &green})
        EXPECT_LT(std::fabs((*pose)[agv::kPosePhi]), agv::kHalfPi);
}

TEST(Caltraj, WithoutErrorTheBlueVehicleIsTheRedOne) {
    for (const int curve : {1, 11}) {
        Computation run;
        run.compute(curve);
        const agv::TrajectoryStore& st = run.store();
        for (int k = 0; k < 3; ++k) {
            for (int n = 0; n <= st.recordCount[k]; ++n) {
                for (int j = 0; j < agv::kPoseFields; ++j) {
                    // Type 1 splits its speed into two wheel speeds and back: rounding only.
                    if (k == 0) {
                        EXPECT_NEAR(st.noFbcDiff[k][n][j], 0.0, 1e-12);
                    } else {
                        EXPECT_EQ(st.noFbcDiff[k][n][j], 0.0);
                    }
                }
            }
        }
        // Type 1 never changes speed.
        for (int n = 1; n < st.recordCount[0]; ++n)
            EXPECT_NEAR(st.theoryTraj[0][n][agv::kPoseS], n * kDt, 1e-8);
    }
}

TEST(Caltraj, ErrorsOfOtherMechanismsChangeNothing) {
    Computation none;
    none.compute(1);
    struct Case {
        MechanismError error;
        int type;
    };
    for (const Case c : {Case{MechanismError::kFrontWheel, 1}, Case{MechanismError::kFrontWheel, 3},
                         Case{MechanismError::kSteerDrift, 1}}) {
        // 20 % on the front wheel, a drift of about 0.1 rad.
        Computation run(c.error, c.error == MechanismError::kFrontWheel   ? 20.0
                                 : c.error == MechanismError::kSteerDrift ? 5.73
                                                                          : 0.0);
        run.compute(1);
        const int k = c.type - 1;
        const int count = run.store().recordCount[k] + 1;
        ASSERT_EQ(count, none.store().recordCount[k] + 1);
        EXPECT_TRUE(
            sameRecords(run.store().noFbcTraj[k].data(), none.store().noFbcTraj[k].data(), count))
            << "type " << c.type;
        EXPECT_TRUE(
            sameRecords(run.store().fbcTraj[k].data(), none.store().fbcTraj[k].data(), count))
            << "type " << c.type;
    }
}

TEST(Caltraj, FbcSteeringStaysWithinItsLimits) {
    Computation run(MechanismError::kSteerDrift, 20.0);
    run.compute(1);
    const agv::TrajectoryStore& st = run.store();
    for (int k = 1; k < 3; ++k) {
        double fastest = 0.0;
        for (int n = 1; n <= st.recordCount[k]; ++n) {
            const double dt = n < st.recordCount[k] ? kDt : st.endTime[k] - (n - 1) * kDt;
            const double phi = st.fbcTraj[k][n][agv::kPosePhi];
            const double rate = std::fabs(phi - st.fbcTraj[k][n - 1][agv::kPosePhi]) / dt;
            EXPECT_LE(rate, 3.0 + 1e-9) << "type " << k + 1 << " record " << n;
            EXPECT_LE(std::fabs(phi), 1.55);
            fastest = std::fmax(fastest, rate);
        }
        EXPECT_GT(fastest, 2.9) << "the drift should drive the steering into its rate limit";
    }
}

TEST(Caltraj, TooManyRecordsStopTheComputation) {
    struct Case {
        double R, n;
        int failingType;
    };
    // 62 m: type 1 itself runs out. 59.69 m: type 1 fits, type 2 is slower and does
    // not. 59.995 m: type 1 fills record 2999 and its end record would be one past.
    for (const Case c :
         {Case{4.7, 2.1, 1}, Case{5.0, 1.9, 2}, Case{5.0, 59.995 / 10.0 / agv::kPi, 1}}) {
        Computation run;
        run.scenario.curve.circleR = c.R;
        run.scenario.curve.circleN = c.n;
        run.compute(15);
        EXPECT_EQ(run.outcome.status, agv::RunStatus::kStoreOverflow) << "R=" << c.R;
        EXPECT_EQ(run.outcome.curveNumber, 15);
        EXPECT_EQ(run.outcome.vehicleType, c.failingType) << "R=" << c.R;
        EXPECT_EQ(run.outcome.record, 3000);
        EXPECT_EQ(run.outcome.limit, 3000.0);
        if (c.failingType == 2) {
            EXPECT_EQ(run.store().recordCount[0], 2985);
        }
    }
}

TEST(Caltraj, AStopRequestEndsTheRunAndTheNextRunIsWhole) {
    Computation whole;
    whole.compute(1);
    // Types one after another: a stop asked once type 1 is complete ends type 2 at once.
    Computation run;
    run.prepare(1);
    std::atomic<bool> stop{false};
    const auto stopAfter = [&](int) { stop = true; };
    run.outcome =
        agv::caltraj(run.model, run.data, agv::TypeScheduling::kOneAfterAnother, stopAfter, &stop);
    EXPECT_EQ(run.outcome.status, agv::RunStatus::kStopped);
    EXPECT_EQ(run.outcome.vehicleType, 2);
    EXPECT_EQ(run.outcome.record, 0);
    const int last = whole.store().recordCount[0];
    ASSERT_EQ(run.store().recordCount[0], last);
    EXPECT_TRUE(
        sameRecords(run.store().fbcTraj[0].data(), whole.store().fbcTraj[0].data(), last + 1));
    // Side by side, a stop asked before the start ends every type at its first record.
    run.outcome = agv::caltraj(run.model, run.data, agv::TypeScheduling::kConcurrent, {}, &stop);
    EXPECT_EQ(run.outcome.status, agv::RunStatus::kStopped);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(run.store().recordCount[k], 0);
    // The stopped runs leave nothing behind that changes the next one.
    stop = false;
    run.outcome = agv::caltraj(run.model, run.data, agv::TypeScheduling::kConcurrent, {}, &stop);
    ASSERT_TRUE(run.outcome.done());
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(run.store().recordCount[k], whole.store().recordCount[k]);
        EXPECT_TRUE(sameRecords(run.store().fbcTraj[k].data(), whole.store().fbcTraj[k].data(),
                                whole.store().recordCount[k] + 1));
    }
}

TEST(Caltraj, RecordsAtLeastBoundTheRecordsOfType2) {
    // Every curve at its start-up constants, and petals and waves close to the store's limit.
    struct Case {
        int curve;
        double agv::CurveParams::*first;
        double agv::CurveParams::*second;
        double a, b;
    };
    const Case cases[] = {{1, nullptr, nullptr, 0, 0},
                          {2, nullptr, nullptr, 0, 0},
                          {3, nullptr, nullptr, 0, 0},
                          {4, nullptr, nullptr, 0, 0},
                          {11, nullptr, nullptr, 0, 0},
                          {12, nullptr, nullptr, 0, 0},
                          {13, nullptr, nullptr, 0, 0},
                          {14, &agv::CurveParams::roseA, &agv::CurveParams::roseN, 0.2, 4.0},
                          {15, nullptr, nullptr, 0, 0},
                          {16, &agv::CurveParams::wavyA, &agv::CurveParams::wavyN, 0.3, 10.0}};
    for (const Case& c : cases) {
        Computation run;
        if (c.first != nullptr) {
            run.scenario.curve.*c.first = c.a;
            run.scenario.curve.*c.second = c.b;
        }
        run.compute(c.curve);
        ASSERT_TRUE(run.outcome.done()) << c.curve;
        const double bound = agv::recordsAtLeast(run.model.settings, c.curve, agv::kMaxRecords);
        const int records = run.store().recordCount[1];
        EXPECT_LE(bound, records) << c.curve;
        EXPECT_GE(bound, 0.97 * records) << c.curve;
    }
}

TEST(Caltraj, TinyCirclesThatFitTheStoreAreAcceptedAndComputed) {
    // Type 2 crawls around a circle of a few millimetres; the end of the path, where the
    // loop hands over to the final step, needs no records of its own.
    for (const double R : {0.002, 0.001}) {
        Computation run;
        run.scenario.curve.circleR = R;
        run.scenario.curve.circleN = R == 0.002 ? 9.7 : 10.17;
        run.scenario.curveNumber = 15;
        ASSERT_TRUE(agv::checkScenario(run.model, run.scenario).accepted()) << R;
        run.compute(15);
        EXPECT_TRUE(run.outcome.done()) << R;
        if (R == 0.002) {
            EXPECT_EQ(run.store().recordCount[1], 2948);
        }
    }
}

TEST(Caltraj, ZeroLengthPaths) {
    Computation cosine;
    cosine.scenario.curve.cosineN = 0.0;
    cosine.compute(1);
    Computation circle;
    circle.scenario.curve.circleN = 0.0;
    circle.compute(15);
    for (const Computation* run : {&cosine, &circle}) {
        EXPECT_TRUE(run->outcome.done());
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(run->store().recordCount[k], 1);
            EXPECT_EQ(run->store().endTime[k], 0.0);
            EXPECT_TRUE(sameRecords(run->store().theoryTraj[k].data(),
                                    run->store().theoryTraj[k].data() + 1, 1));
        }
    }
}

TEST(Caltraj, FeedbackEndsCloserToThePathThanNone) {
    struct Case {
        MechanismError error;
        /// Percent, degrees for the drift.
        double value1, value2;
    };
    const Case cases[] = {
        {MechanismError::kRearWheels, 2.0, 0.0},      {MechanismError::kFrontWheel, 2.0, 0.0},
        {MechanismError::kSteerDrift, 2.0, 0.0},      {MechanismError::kWheelBaseTread, 5.0, 0.0},
        {MechanismError::kWheelBaseTread, 0.0, -5.0}, {MechanismError::kSlip, 5.0, 0.0},
    };
    for (const Case& k : cases) {
        Computation run(k.error, k.value1, k.value2);
        std::string error;
        ASSERT_TRUE(agv::loadRandomTables(run.model.tables, error)) << error;
        run.compute(16);
        ASSERT_TRUE(run.outcome.done());
        for (int t = 0; t < agv::kVehicleTypeCount; ++t) {
            const int last = run.store().recordCount[t];
            const double blue = std::fabs(run.store().noFbcErr[t][last][0]);
            const double green = std::fabs(run.store().fbcErr[t][last][0]);
            // Only an error that acts on this mechanism moves its blue vehicle.
            if (blue < 1e-6) continue;
            EXPECT_LT(green, 0.2 * blue)
                << "error " << static_cast<int>(k.error) << " type " << t + 1;
        }
    }
}

TEST(Caltraj, ExtremeSettingsGiveFiniteRecordsAndDivergingDesignsStop) {
    struct Case {
        const char* name;
        int error;
        double v1, v2, fn, zeta;
        bool diverges;
    };
    const Case cases[] = {
        {"wheels 50/-50 %", 1, 0.5, -0.5, 1, 1, false},
        {"wheels 10/-10 %, fn 3, zeta 0.7", 1, 0.1, -0.1, 3, 0.7, false},
        {"wheels stopped", 1, -1, -1, 1, 1, false},
        {"front -300 %", 2, -3, 0, 1, 1, false},
        {"drift 180 deg", 3, agv::kPi, 0, 1, 1, true},
        {"geometry -99 %", 4, -0.99, -0.99, 1, 1, false},
        {"geometry -150 %", 4, -1.5, -1.5, 1, 1, false},
        {"slip 50 %", 5, 0.5, 0, 1, 1, false},
        {"zeta -1", 1, 0.05, -0.03, 1, -1, true},
        {"zeta -100", 1, 0.05, -0.03, 1, -100, true},
        {"fn 10", 1, 0.05, -0.03, 10, 1, true},
        {"fn 0.01", 1, 0.05, -0.03, 0.01, 1, false},
    };
    for (const Case& c : cases) {
        // The values as ratios (radians for the drift), in the scenario's percent and degrees.
        const double unit = c.error == 3 ? 1.0 / agv::kRadPerDeg : 100.0;
        Computation run(agv::mechanismErrorOf(c.error), c.v1 * unit, c.v2 * unit);
        if (c.error == 5) {
            std::string error;
            ASSERT_TRUE(agv::loadRandomTables(run.model.tables, error)) << error;
        }
        run.design(c.fn, c.zeta);
        run.compute(1);
        const agv::TrajectoryStore& st = run.store();
        EXPECT_EQ(run.outcome.status,
                  c.diverges ? agv::RunStatus::kDiverged : agv::RunStatus::kDone)
            << c.name;
        if (c.diverges) {
            // The first type that left the path, stopped before the path end.
            const int k = run.outcome.vehicleType - 1;
            ASSERT_TRUE(k >= 0 && k < 3) << c.name;
            EXPECT_TRUE(st.diverged[k]) << c.name;
            EXPECT_EQ(st.recordCount[k], run.outcome.record) << c.name;
            EXPECT_GE(run.outcome.time, run.outcome.record * kDt - 1e-12) << c.name;
            EXPECT_LT(run.outcome.time, (run.outcome.record + 1) * kDt) << c.name;
        }
        for (int k = 0; k < 3; ++k) {
            if (!c.diverges) {
                EXPECT_FALSE(st.diverged[k]) << c.name;
            }
            for (int n = 0; n <= st.recordCount[k]; ++n) {
                bool finite = true;
                for (int j = 0; j < agv::kPoseFields; ++j) {
                    for (const auto* array : {st.theoryTraj, st.noFbcTraj, st.fbcTraj,
                                              st.fbcRefTraj, st.noFbcDiff, st.fbcDiff})
                        finite = finite && std::isfinite(array[k][n][j]);
                }
                for (int j = 0; j < 2; ++j)
                    finite = finite && std::isfinite(st.noFbcErr[k][n][j]) &&
                             std::isfinite(st.fbcErr[k][n][j]);
                ASSERT_TRUE(finite) << c.name << ": type " << k + 1 << " record " << n;
            }
        }
    }
}

}  // namespace
