#include "sim/exercise.h"

#include <cmath>
#include <limits>

#include "sim/following_figures.h"
#include "sim/scenario_text.h"

namespace agv {

namespace {

constexpr const char* kTextFieldNames[kTextFieldCount] = {
    "rear-wheels", "front-wheel", "drift", "wheelbase-tread", "slip",      "seed",
    "curve",       "fn",          "zeta",  "controller",      "lookahead", "stanley-gain",
    "lqr-weights", "mirror"};

struct FigureInfo {
    ExerciseFigure figure;
    const char* name;
    const char* unit;
};
constexpr FigureInfo kFigures[] = {
    {ExerciseFigure::kPeakDd, "peak-dd", "m"},
    {ExerciseFigure::kRmsDd, "rms-dd", "m"},
    {ExerciseFigure::kSteadyDd, "steady-dd", "m"},
    {ExerciseFigure::kSettlingTime, "settling", "s"},
    {ExerciseFigure::kCorrection, "correction", "rad"},
    {ExerciseFigure::kStable, "stable", ""},
};

const FigureInfo& infoOf(ExerciseFigure figure) {
    for (const FigureInfo& info : kFigures) {
        if (info.figure == figure) return info;
    }
    return kFigures[0];
}

/// Field's part of a scenario's canonical text; "" when the text leaves it out.
std::string fieldFragment(const Scenario& scenario, TextField field) {
    const std::string name = textFieldName(field);
    const std::string text = scenarioText(scenario);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string token = text.substr(start, end - start);
        if (token.substr(0, token.find('=')) == name) return token;
        start = end + 1;
    }
    return "";
}

bool fail(ExerciseError& error, const std::string& field, int index, const std::string& message) {
    error.field = field;
    error.targetIndex = index;
    error.message = message;
    return false;
}

}  // namespace

const char* textFieldName(TextField field) {
    const int n = static_cast<int>(field);
    return n >= 0 && n < kTextFieldCount ? kTextFieldNames[n] : "";
}

bool textFieldOfName(const std::string& name, TextField& field) {
    for (int n = 0; n < kTextFieldCount; ++n) {
        if (name == kTextFieldNames[n]) {
            field = static_cast<TextField>(n);
            return true;
        }
    }
    return false;
}

const char* figureName(ExerciseFigure figure) {
    return infoOf(figure).name;
}

const char* figureUnit(ExerciseFigure figure) {
    return infoOf(figure).unit;
}

bool figureOfName(const std::string& name, ExerciseFigure& figure) {
    for (const FigureInfo& info : kFigures) {
        if (name == info.name) {
            figure = info.figure;
            return true;
        }
    }
    return false;
}

bool checkExercise(const Model& model, const Exercise& exercise, ExerciseError& error,
                   Refusal& refusal) {
    refusal = Refusal{};
    for (std::size_t i = 0; i < exercise.targets.size(); ++i) {
        const ExerciseTarget& t = exercise.targets[i];
        const int index = static_cast<int>(i);
        if (t.vehicleType < 1 || t.vehicleType > 3) {
            return fail(error, "target", index, "names a vehicle type 1-3");
        }
        if (t.figure != ExerciseFigure::kStable && !(t.limit >= 0.0)) {
            return fail(error, "target", index,
                        std::string("needs a limit of 0 or more [") + figureUnit(t.figure) + "]");
        }
    }
    if (exercise.targets.empty()) return fail(error, "target", -1, "none given: name at least one");
    refusal = checkScenario(model, exercise.conditions);
    if (!refusal.accepted())
        return fail(error, "conditions", -1, "the fixed conditions are refused");
    return true;
}

AnswerRefusal checkAnswer(const Exercise& exercise, const Scenario& answer) {
    AnswerRefusal out;
    for (int n = 0; n < kTextFieldCount; ++n) {
        const TextField field = static_cast<TextField>(n);
        if (hasField(exercise.free, field)) continue;
        const std::string fixed = fieldFragment(exercise.conditions, field);
        if (fieldFragment(answer, field) != fixed) {
            out.refused = true;
            out.field = field;
            out.fixedText = fixed;
            return out;
        }
    }
    return out;
}

ExerciseVerdict judgeExercise(const Exercise& exercise, const TrajectoryStore& store, double dt) {
    ExerciseVerdict verdict;
    verdict.pass = true;
    for (const ExerciseTarget& target : exercise.targets) {
        TargetVerdict v;
        v.target = target;
        const int k = target.vehicleType - 1;
        v.diverged = store.diverged[k];
        v.divergedTime = store.divergedTime[k];
        v.measured = std::numeric_limits<double>::quiet_NaN();
        if (target.figure == ExerciseFigure::kStable) {
            v.pass = !v.diverged;
        } else if (!v.diverged) {
            const FollowingFigures f = followingFigures(store, k, dt);
            switch (target.figure) {
                case ExerciseFigure::kPeakDd:
                    v.measured = f.peakDd;
                    break;
                case ExerciseFigure::kRmsDd:
                    v.measured = f.rmsDd;
                    break;
                case ExerciseFigure::kSteadyDd:
                    v.measured = std::fabs(f.steadyDd);
                    break;
                case ExerciseFigure::kSettlingTime:
                    v.measured = f.settlingTime;
                    break;
                default:
                    v.measured = f.correctionIntegral;
                    break;
            }
            v.pass = target.comparison == Comparison::kAtMost ? v.measured <= target.limit
                                                              : v.measured >= target.limit;
        }
        verdict.pass = verdict.pass && v.pass;
        verdict.targets.push_back(v);
    }
    return verdict;
}

}  // namespace agv
