// Bytes as the command line of agvsim-batch (arguments split at zero bytes). Fails when
// an accepted option carries a number that is not finite or out of its range.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/batch/options.h"
#include "sim/exercise_text.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "accepted options with %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words{"agvsim-batch"};
    std::string word;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& w : words)
        argv.push_back(w.c_str());
    argv.push_back(nullptr);

    agv::BatchOptions options;
    std::string error;
    if (!agv::parseBatchOptions(static_cast<int>(words.size()), argv.data(), options, error)) {
        require(!error.empty() && error.find('\n') == std::string::npos, "a bad refusal text");
        return 0;
    }
    require(std::isfinite(options.errorValue1) && std::isfinite(options.errorValue2),
            "a non-finite error value");
    require(std::isfinite(options.fn) && std::isfinite(options.zeta), "a non-finite fn or zeta");
    for (const double p : options.curveParams)
        require(std::isfinite(p), "a non-finite curve constant");
    require(options.errorNumber >= 0 && options.errorNumber <= 5, "an error number out of range");
    require(options.vehicleType >= 1 && options.vehicleType <= 3, "a type out of range");
    require(options.frameEvery >= 1 && options.motionIndex >= -1, "a bad frame request");
    require(std::abs(options.zoomSteps) <= 1000 && std::abs(options.shiftX) <= 1000 &&
                std::abs(options.shiftY) <= 1000,
            "key presses out of range");
    if (options.exerciseGiven) {
        for (const agv::ExerciseTarget& t : options.exercise.targets)
            require(std::isfinite(t.limit), "a non-finite target limit");
        // The canonical text of an exercise reads back to itself.
        const std::string text = agv::exerciseText(options.exercise);
        agv::Exercise again;
        agv::ExerciseError bad;
        require(agv::parseExerciseText(text, again, bad) && agv::exerciseText(again) == text,
                "an exercise text that does not read back");
    }
    return 0;
}
