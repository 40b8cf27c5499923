#include "app/sweep/shard_identity.h"

#include <vector>

#include "app/common/number_format.h"
#include "path/curve_catalog.h"
#include "sim/mechanism_error.h"

namespace agv {

namespace {

const char* const kShardLead = "# agvsim-sweep shard ";
const char* const kAxisFlags[kSweepAxisCount] = {"--fn", "--zeta", "--error-size"};

std::string joined(const double* values, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (i > 0 ? "," : "") + shortestNumber(values[i]);
    return text;
}

/// An axis as start:stop:count when that makes exactly its values, else as a comma list.
std::string axisText(const std::vector<double>& values) {
    if (values.size() > 2) {
        const std::string range = shortestNumber(values.front()) + ":" +
                                  shortestNumber(values.back()) + ":" +
                                  std::to_string(values.size());
        std::vector<double> again;
        std::string ignored;
        if (parseAxisValues("", range, again, ignored) && again == values) return range;
    }
    return joined(values.data(), values.size());
}

}  // namespace

std::string gridIdentity(const SweepOptions& options) {
    const Scenario& s = options.scenario;
    const MechanismError named = namedError(s.errors);
    const int error = errorNumberOf(named);
    std::string text = "--error " + std::to_string(error);
    const MechanismErrorInfo* info = mechanismErrorInfo(named);
    double errorValues[2];
    errorValuesOf(s.errors, named, errorValues);
    if (info != nullptr && info->valueCount > 0) {
        text +=
            " --error-values " + joined(errorValues, static_cast<std::size_t>(info->valueCount));
    }
    double constants[kMaxCurveConstants] = {};
    curveConstantsOf(s, s.curveNumber, constants);
    text += " --curve " + std::to_string(s.curveNumber) + " --curve-params " +
            joined(constants, static_cast<std::size_t>(curveConstantCount(s.curveNumber)));
    // Without a mechanism error the error size is no axis (and no option).
    const int axes = named == MechanismError::kNone ? kAxisErrorSize : kSweepAxisCount;
    for (int axis = 0; axis < axes; ++axis)
        text += std::string(" ") + kAxisFlags[axis] + " " + axisText(options.grid.axes[axis]);
    // The theory's columns make another table of the same grid.
    if (options.theory) text += " --theory";
    return text;
}

std::string shardLine(const Shard& shard, const std::string& identity) {
    return kShardLead + std::to_string(shard.index) + "/" + std::to_string(shard.count) + ": " +
           identity;
}

bool parseShardLine(const std::string& line, Shard& shard, SweepOptions& grid, std::string& error) {
    const std::string lead = kShardLead;
    const std::size_t colon = line.find(": ");
    if (line.compare(0, lead.size(), lead) != 0 || colon == std::string::npos) {
        error = "its first line does not say which shard of which grid it holds";
        return false;
    }
    if (!parseShard(line.substr(lead.size(), colon - lead.size()), shard, error)) return false;
    const std::string identity = line.substr(colon + 2);
    std::vector<std::string> words{"agvsim-sweep"};
    std::size_t start = 0;
    while (start <= identity.size()) {
        const std::size_t space = identity.find(' ', start);
        words.push_back(identity.substr(start, space == std::string::npos ? space : space - start));
        if (space == std::string::npos) break;
        start = space + 1;
    }
    words.push_back("--csv=-");
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    std::string reason;
    if (!parseSweepOptions(static_cast<int>(argv.size()), argv.data(), grid, reason) ||
        grid.merge || grid.help || gridIdentity(grid) != identity) {
        error = "its grid is not written as agvsim-sweep writes it";
        return false;
    }
    return true;
}

}  // namespace agv
