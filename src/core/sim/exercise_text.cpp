#include "sim/exercise_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "sim/scenario_text.h"

namespace agv {

namespace {

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
    if (!figureOfName(name, target.figure) || colon == std::string::npos) {
        why =
            "takes FIGURE:TYPE<=LIMIT, FIGURE:TYPE>=LIMIT or stable:TYPE (FIGURE: peak-dd, "
            "rms-dd, steady-dd, settling, correction)";
        return false;
    }
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
        why = std::string(figureName(target.figure)) + " takes <= or >= and a limit [" +
              figureUnit(target.figure) + "]";
        return false;
    }
    target.comparison = rest[op] == '<' ? Comparison::kAtMost : Comparison::kAtLeast;
    const std::string number = rest.substr(op + 2);
    char* end = nullptr;
    errno = 0;
    const double limit = std::strtod(number.c_str(), &end);
    if (number.empty() || number.front() == ' ' || number.front() == '+' ||
        end != number.c_str() + number.size() || errno == ERANGE || !std::isfinite(limit)) {
        why = std::string(figureName(target.figure)) + " takes a finite number as its limit [" +
              figureUnit(target.figure) + "]";
        return false;
    }
    target.limit = limit;
    return true;
}

}  // namespace

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
            free += std::string(free.empty() ? "" : ",") + textFieldName(static_cast<TextField>(n));
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

}  // namespace agv
