#include "app/batch/exercise_report.h"

#include <cstdio>

#include "app/common/text_output.h"

namespace agv {

namespace {

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

void writeExerciseVerdict(std::ostream& out, const ExerciseVerdict& verdict) {
    printText(out, "exercise targets (docs/exercises.md):\n");
    printText(out, "  %-20s%-18s%-30s%s\n", "target", "limit", "measured", "verdict");
    int met = 0;
    for (const TargetVerdict& v : verdict.targets) {
        const ExerciseTarget& t = v.target;
        const bool stable = t.figure == ExerciseFigure::kStable;
        const std::string unit = std::string(" ") + figureUnit(t.figure);
        const std::string name =
            std::string(figureName(t.figure)) + " type " + std::to_string(t.vehicleType);
        const std::string limit = stable ? ""
                                         : (t.comparison == Comparison::kAtMost ? "<= " : ">= ") +
                                               formatted("%.9g", t.limit) + unit;
        const std::string measured =
            v.diverged ? "left the path at " + formatted("%.4f", v.divergedTime) + " s"
            : stable   ? "stable"
                       : formatted("%.9g", v.measured) + unit;
        printText(out, "  %-20s%-18s%-30s%s\n", name.c_str(), limit.c_str(), measured.c_str(),
                  v.pass ? "PASS" : "FAIL");
        met += v.pass ? 1 : 0;
    }
    printText(out, "verdict: %s, %d of %d targets met\n", verdict.pass ? "PASS" : "FAIL", met,
              static_cast<int>(verdict.targets.size()));
}

std::string answerRefusalText(const AnswerRefusal& refusal) {
    const std::string name = textFieldName(refusal.field);
    return "the answer changes " + name + ", which the exercise " +
           (refusal.fixedText.empty() ? "leaves at its default (none for an error or the seed)"
                                      : "fixes at " + refusal.fixedText);
}

std::string exerciseErrorText(const ExerciseError& error) {
    std::string where = "'" + error.field + "'";
    if (error.targetIndex >= 0) where += " " + std::to_string(error.targetIndex + 1);
    return where + " " + error.message;
}

}  // namespace agv
