// Exercises: their text, their refusals, and the verdict on real runs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "app/common/random_table_file.h"
#include "sim/caltraj.h"
#include "sim/exercise_text.h"
#include "sim/following_figures.h"

namespace {

using agv::Exercise;
using agv::ExerciseError;

Exercise parsed(const std::string& text) {
    Exercise exercise;
    ExerciseError error;
    EXPECT_TRUE(agv::parseExerciseText(text, exercise, error)) << error.field << error.message;
    return exercise;
}

ExerciseError parseError(const std::string& text) {
    Exercise exercise;
    ExerciseError error;
    EXPECT_FALSE(agv::parseExerciseText(text, exercise, error)) << text;
    return error;
}

struct Checked {
    std::unique_ptr<agv::Model> model = std::make_unique<agv::Model>();
    Checked() {
        std::string error;
        EXPECT_TRUE(agv::loadRandomTables(model->tables, error)) << error;
    }
    /// The field at fault ("" when the exercise is sound) and the target's index.
    std::string fault(const Exercise& exercise, int* index = nullptr) const {
        ExerciseError error;
        agv::Refusal refusal;
        if (agv::checkExercise(*model, exercise, error, refusal)) return "";
        if (index) *index = error.targetIndex;
        return error.field;
    }
};

/// The answer computed and judged on its own records, recorded every dt [s].
agv::ExerciseVerdict judged(const Exercise& exercise, const agv::Scenario& answer,
                            agv::RunData& data, double* dt = nullptr) {
    auto model = std::make_unique<agv::Model>();
    std::string error;
    EXPECT_TRUE(agv::loadRandomTables(model->tables, error)) << error;
    EXPECT_TRUE(agv::checkScenario(*model, answer).accepted());
    agv::applyScenario(*model, answer);
    agv::caltraj(*model, data);
    if (dt) *dt = model->settings.dt;
    return agv::judgeExercise(exercise, *data.store, model->settings.dt);
}

TEST(ExerciseText, ReadsBackToTheSameTextInCanonicalOrder) {
    const Exercise e = parsed(
        "target=settling:2<=2 zeta=0.7 free=zeta,fn drift=8 target=stable:3 "
        "target=rms-dd:1>=1e-3 curve=16");
    const std::string canonical = agv::exerciseText(e);
    EXPECT_EQ(canonical,
              "drift=8 curve=16 zeta=0.7 free=fn,zeta target=settling:2<=2 target=stable:3 "
              "target=rms-dd:1>=0.001");
    EXPECT_EQ(agv::exerciseText(parsed(canonical)), canonical);
    EXPECT_EQ(e.targets.size(), 3u);
    EXPECT_EQ(e.targets[2].comparison, agv::Comparison::kAtLeast);
}

TEST(ExerciseText, RefusalsNameTheFieldAtFault) {
    EXPECT_EQ(parseError("free=fn,speed target=stable:1").field, "free");
    EXPECT_EQ(parseError("free=fn free=zeta target=stable:1").field, "free");
    const ExerciseError target = parseError("target=stable:1 target=peak-dd:2<0.1");
    EXPECT_EQ(target.field, "target");
    EXPECT_EQ(target.targetIndex, 1);
    EXPECT_EQ(parseError("target=peak-dd:2<=nan").field, "target");
    EXPECT_EQ(parseError("target=stable:2<=1").field, "target");
    EXPECT_EQ(parseError("target=speed:2<=1").field, "target");
    EXPECT_EQ(parseError("drift=x target=stable:1").field, "drift");

    const Checked check;
    EXPECT_EQ(check.fault(parsed("drift=2 target=stable:1")), "");
    int index = -1;
    EXPECT_EQ(check.fault(parsed("target=stable:1 target=settling:4<=1"), &index), "target");
    EXPECT_EQ(index, 1);
    EXPECT_EQ(check.fault(parsed("target=peak-dd:1<=-0.1")), "target");
    Exercise nan = parsed("target=peak-dd:1<=0.1");
    nan.targets[0].limit = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(check.fault(nan), "target");
    EXPECT_EQ(check.fault(parsed("free=fn")), "target");
    EXPECT_EQ(check.fault(parsed("fn=0 target=stable:1")), "conditions");
}

TEST(ExerciseAnswer, FieldsNotFreeAreRefusedWithTheirFixedValue) {
    const Exercise e = parsed("drift=8 curve=16 free=fn,zeta target=stable:2");
    agv::Scenario answer = e.conditions;
    answer.fn = 3.0;
    answer.zeta = 0.7;
    EXPECT_FALSE(agv::checkAnswer(e, answer).refused);

    answer.errors.drift = 7.0;
    agv::AnswerRefusal refusal = agv::checkAnswer(e, answer);
    EXPECT_TRUE(refusal.refused);
    EXPECT_EQ(refusal.field, agv::TextField::kDrift);
    EXPECT_EQ(refusal.fixedText, "drift=8");

    answer = e.conditions;
    answer.mirror = true;
    refusal = agv::checkAnswer(e, answer);
    EXPECT_EQ(refusal.field, agv::TextField::kMirror);
    EXPECT_EQ(refusal.fixedText, "");
}

TEST(ExerciseVerdict, JudgesTheRunsOwnFigures) {
    // The steering drift on the wavy circle: the start design leaves more than 1 cm and
    // does not settle; a faster, less damped one does both.
    const Exercise e = parsed(
        "drift=8 curve=16 free=fn,zeta target=peak-dd:2<=0.01 target=settling:2<=2 "
        "target=stable:2");
    agv::RunData start;
    double dt = 0.0;
    const agv::ExerciseVerdict failed = judged(e, e.conditions, start, &dt);
    EXPECT_FALSE(failed.pass);
    EXPECT_FALSE(failed.targets[0].pass);
    EXPECT_GT(failed.targets[0].measured, 0.01);
    EXPECT_EQ(failed.targets[0].measured, agv::followingFigures(*start.store, 1, dt).peakDd);
    EXPECT_FALSE(failed.targets[1].pass);
    EXPECT_TRUE(failed.targets[2].pass);

    agv::Scenario answer = e.conditions;
    answer.fn = 3.0;
    answer.zeta = 0.7;
    agv::RunData better;
    const agv::ExerciseVerdict passed = judged(e, answer, better);
    EXPECT_TRUE(passed.pass);
    EXPECT_LT(passed.targets[1].measured, 2.0);
}

TEST(ExerciseVerdict, ATypeThatLeavesThePathFailsEveryTargetOnIt) {
    const Exercise e =
        parsed("drift=2 free=fn target=stable:2 target=peak-dd:2<=1 target=peak-dd:3<=1");
    agv::Scenario answer = e.conditions;
    answer.fn = 5.0;
    agv::RunData data;
    const agv::ExerciseVerdict verdict = judged(e, answer, data);
    ASSERT_TRUE(data.store->diverged[1]);
    EXPECT_FALSE(verdict.targets[0].pass);
    EXPECT_FALSE(verdict.targets[1].pass);
    EXPECT_TRUE(verdict.targets[1].diverged);
    EXPECT_TRUE(std::isnan(verdict.targets[1].measured));
    EXPECT_TRUE(verdict.targets[2].pass);
    EXPECT_FALSE(verdict.pass);
}

}  // namespace
