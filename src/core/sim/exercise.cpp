#include "sim/exercise.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "sim/following_figures.h"

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

std::vector<std::string> words(const std::string& text, char separator) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

/// The name of a text field ("drift" of "drift=2", "mirror" of "mirror").
std::string nameOf(const std::string& token) {
    return token.substr(0, token.find('='));
}

/// Field's part of a scenario's canonical text; "" when the text leaves it out.
std::string fieldFragment(const Scenario& scenario, TextField field) {
    const std::string name = textFieldName(field);
    for (const std::string& token : words(scenarioText(scenario), ' ')) {
        if (nameOf(token) == name) return token;
    }
    return "";
}

bool fail(ExerciseError& error, const std::string& field, int index, const std::string& message) {
    error.field = field;
    error.targetIndex = index;
    error.message = message;
    return false;
}

/// Reads a target "FIGURE:TYPE<=LIMIT", ">=" or "stable:TYPE".
bool readTarget(const std::string& text, ExerciseTarget& target, std::string& why) {
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    const FigureInfo* info = nullptr;
    for (const FigureInfo& f : kFigures) {
        if (name == f.name) info = &f;
    }
    if (info == nullptr || colon == std::string::npos) {
        why =
            "takes FIGURE:TYPE<=LIMIT, FIGURE:TYPE>=LIMIT or stable:TYPE (FIGURE: peak-dd, "
            "rms-dd, steady-dd, settling, correction)";
        return false;
    }
    target.figure = info->figure;
    const std::string rest = text.substr(colon + 1);
    const std::size_t op = rest.find_first_of("<>");
    const std::string type = rest.substr(0, op);
    if (type.size() != 1 || type[0] < '0' || type[0] > '9') {
        why = "names the vehicle type by one digit 1-3 after ':'";
        return false;
    }
    target.vehicleType = type[0] - '0';
    if (target.figure == ExerciseFigure::kStable) {
        if (op != std::string::npos) {
            why = "stable takes no limit";
            return false;
        }
        return true;
    }
    if (op == std::string::npos || op + 1 >= rest.size() || rest[op + 1] != '=') {
        why = std::string(info->name) + " takes <= or >= and a limit [" + info->unit + "]";
        return false;
    }
    target.comparison = rest[op] == '<' ? Comparison::kAtMost : Comparison::kAtLeast;
    const std::string number = rest.substr(op + 2);
    char* end = nullptr;
    errno = 0;
    const double limit = std::strtod(number.c_str(), &end);
    if (number.empty() || number.front() == ' ' || number.front() == '+' ||
        end != number.c_str() + number.size() || errno == ERANGE || !std::isfinite(limit)) {
        why = std::string(info->name) + " takes a finite number as its limit [" + info->unit + "]";
        return false;
    }
    target.limit = limit;
    return true;
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

std::string targetText(const ExerciseTarget& target) {
    std::string text =
        std::string(figureName(target.figure)) + ":" + std::to_string(target.vehicleType);
    if (target.figure == ExerciseFigure::kStable) return text;
    return text + (target.comparison == Comparison::kAtMost ? "<=" : ">=") +
           shortestDecimal(target.limit);
}

std::string exerciseText(const Exercise& exercise) {
    std::string text = scenarioText(exercise.conditions);
    const auto add = [&text](const std::string& field) {
        text += (text.empty() ? "" : " ") + field;
    };
    std::string free;
    for (int n = 0; n < kTextFieldCount; ++n) {
        if (hasField(exercise.free, static_cast<TextField>(n))) {
            free += (free.empty() ? "" : ",") + std::string(kTextFieldNames[n]);
        }
    }
    if (!free.empty()) add("free=" + free);
    for (const ExerciseTarget& target : exercise.targets)
        add("target=" + targetText(target));
    return text;
}

bool parseExerciseText(const std::string& text, Exercise& exercise, ExerciseError& error) {
    exercise = Exercise{};
    std::string scenario;
    bool freeSeen = false;
    for (const std::string& token : words(text, ' ')) {
        if (token.empty()) continue;
        const std::string name = nameOf(token);
        const std::string value = token.size() > name.size() ? token.substr(name.size() + 1) : "";
        if (name == "free") {
            if (freeSeen) return fail(error, name, -1, "given more than once");
            freeSeen = true;
            for (const std::string& item : words(value, ',')) {
                TextField field;
                if (!textFieldOfName(item, field)) {
                    return fail(error, name, -1,
                                "names no field of a scenario: '" + item +
                                    "' (rear-wheels, front-wheel, drift, wheelbase-tread, slip, "
                                    "seed, curve, fn, zeta, controller, lookahead, stanley-gain, "
                                    "lqr-weights, mirror)");
                }
                exercise.free |= 1u << static_cast<int>(field);
            }
        } else if (name == "target") {
            ExerciseTarget target;
            std::string why;
            const int index = static_cast<int>(exercise.targets.size());
            if (!readTarget(value, target, why)) return fail(error, name, index, why);
            exercise.targets.push_back(target);
        } else {
            scenario += (scenario.empty() ? "" : " ") + token;
        }
    }
    ScenarioTextError bad;
    if (!parseScenarioText(scenario, exercise.conditions, bad)) {
        return fail(error, bad.field, -1, bad.message);
    }
    return true;
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
