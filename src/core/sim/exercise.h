// An exercise: fixed conditions (also the student's start values), the fields of the
// scenario text a student may change, and targets on figures of one vehicle type's run; an
// answer checked against the fixed fields and a finished run judged on the targets. Its one
// line of text is sim/exercise_text.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/scenario.h"
#include "sim/trajectory_store.h"

namespace agv {

/// The fields of a scenario text, in the order the text writes them.
enum class TextField : int {
    kRearWheels,
    kFrontWheel,
    kDrift,
    kWheelBaseTread,
    kSlip,
    kSeed,
    kCurve,
    kFn,
    kZeta,
    kController,
    kLookahead,
    kStanleyGain,
    kLqrWeights,
    kMirror,
};
inline constexpr int kTextFieldCount = 14;

/// A field's name in a scenario text ("drift").
const char* textFieldName(TextField field);
/// The field of a name; false for a name that is none.
bool textFieldOfName(const std::string& name, TextField& field);

/// Set of text fields (bit n: TextField n).
using TextFieldSet = std::uint32_t;
inline bool hasField(TextFieldSet set, TextField field) {
    return (set >> static_cast<int>(field) & 1u) != 0;
}

/// A figure of one vehicle type's run that a target judges.
enum class ExerciseFigure : int {
    kPeakDd,        ///< largest |dd| with feedback [m]
    kRmsDd,         ///< RMS dd [m]
    kSteadyDd,      ///< |steady offset| [m]
    kSettlingTime,  ///< settling time [s]
    kCorrection,    ///< ∫|correction| dt [rad]
    kStable,        ///< the run ends without leaving the path (no limit)
};

/// A figure's name in the text ("peak-dd") and its unit ("m"; "" for stable).
const char* figureName(ExerciseFigure figure);
const char* figureUnit(ExerciseFigure figure);
/// The figure of a name; false for a name that is none.
bool figureOfName(const std::string& name, ExerciseFigure& figure);

enum class Comparison { kAtMost, kAtLeast };

struct ExerciseTarget {
    ExerciseFigure figure = ExerciseFigure::kPeakDd;
    /// Vehicle type 1-3.
    int vehicleType = 1;
    Comparison comparison = Comparison::kAtMost;
    /// The bound in the figure's unit; unused for stable.
    double limit = 0.0;
};

struct Exercise {
    /// The fixed conditions, also the student's start values.
    Scenario conditions;
    /// The fields the student may change.
    TextFieldSet free = 0;
    std::vector<ExerciseTarget> targets;
};

/// Why a text or an exercise is refused: the field at fault as written ("free", "target",
/// or a scenario field), for a target its index among the targets (else -1), and what is
/// wrong.
struct ExerciseError {
    std::string field;
    int targetIndex = -1;
    std::string message;
};

/// The first fault of an exercise: a target's type outside 1-3, a limit that is negative or
/// no number, no targets, then fixed conditions that checkScenario refuses (refusal holds
/// them, field names "conditions"). True when it is sound.
bool checkExercise(const Model& model, const Exercise& exercise, ExerciseError& error,
                   Refusal& refusal);

/// An answer that changes a field not free: the field and its fixed value as the text
/// writes it ("" when the text leaves the field out: its default, or an error not given).
struct AnswerRefusal {
    bool refused = false;
    TextField field = TextField::kRearWheels;
    std::string fixedText;
};

/// Compares the answer with the fixed conditions on every field not free, in the text's
/// order; the first that differs refuses it.
AnswerRefusal checkAnswer(const Exercise& exercise, const Scenario& answer);

/// One target judged on a run.
struct TargetVerdict {
    ExerciseTarget target;
    bool pass = false;
    /// The figure of the run; NaN for stable and for a type that left the path.
    double measured = 0.0;
    /// The type's vehicle with feedback left the path (time: start of that step [s]).
    bool diverged = false;
    double divergedTime = 0.0;
};

struct ExerciseVerdict {
    std::vector<TargetVerdict> targets;
    /// Every target met.
    bool pass = false;
};

/// Judges the targets on a finished run's records, recorded every dt [s] (a type that left
/// the path fails every target on it).
ExerciseVerdict judgeExercise(const Exercise& exercise, const TrajectoryStore& store, double dt);

}  // namespace agv
