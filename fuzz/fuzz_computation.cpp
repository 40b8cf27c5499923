// Text as the conditions of one run, "I P1 P2 P3 E V1 V2 fn zeta" (numbers missing at the
// end keep their start-up values), computed to its end when the checks accept it and its
// path is short. An accepted path is to compute in well under a second: the fuzzer's
// time limit fails any that does not.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/random_table_file.h"
#include "path/curve_catalog.h"

namespace {

/// Longest path computed [m]: short paths are quick by themselves, so a slow one is slow
/// because of its shape.
constexpr double kLongestComputedPath = 5.0;
/// Numbers read: curve number, three constants, error number, two error values, fn, ζ.
constexpr int kNumbers = 9;

agv::AgvContext& startedContext() {
    static agv::AgvContext* ctx = [] {
        auto* made = new agv::AgvContext;
        std::string error;
        if (!agv::loadRandomTables(made->model.tables, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        agv::initialiseRun(*made);
        return made;
    }();
    return *ctx;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    double numbers[kNumbers] = {1, 0.5, 2, 1, 0, 0, 0, 1, 1};
    const char* at = text.c_str();
    for (int i = 0; i < kNumbers; ++i) {
        char* end = nullptr;
        const double value = std::strtod(at, &end);
        if (end == at) break;
        numbers[i] = value;
        at = end;
    }
    const auto whole = [](double value, int low, int high) {
        return value >= low && value <= high ? static_cast<int>(value) : low;
    };
    agv::Scenario scenario;
    scenario.curveNumber = whole(numbers[0], 1, 16);
    if (agv::curveConstantCount(scenario.curveNumber) == 0) return 0;
    agv::setCurveConstants(scenario, scenario.curveNumber, numbers + 1, 3);
    // Any combination of the five errors, the two values given to each.
    const int errorSet = whole(numbers[4], 0, 63);
    for (int n = 1; n <= agv::kMaxErrorNumber; ++n) {
        if ((errorSet >> n) & 1) {
            agv::giveError(scenario.errors, agv::mechanismErrorOf(n), numbers[5], numbers[6]);
        }
    }
    scenario.fn = numbers[7];
    scenario.zeta = numbers[8];

    agv::AgvContext& ctx = startedContext();
    const agv::Refusal refusal = agv::checkScenario(ctx.model, scenario);
    if (!refusal.accepted()) return 0;
    if (!agv::useScenario(ctx, scenario).accepted()) {
        std::fprintf(stderr, "refused on use what the check accepted\n");
        std::abort();
    }
    if (!(ctx.model.path.pathEnd[scenario.curveNumber].sf <= kLongestComputedPath)) return 0;
    agv::computeTrajectories(ctx, agv::TypeScheduling::kOneAfterAnother);
    return 0;
}
