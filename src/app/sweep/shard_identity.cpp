#include "app/sweep/shard_identity.h"

#include <vector>

#include "app/common/number_format.h"
#include "path/curve_catalog.h"
#include "sim/controller.h"
#include "sim/mechanism_error.h"
#include "sim/scenario_text.h"

namespace agv {

namespace {

const char* const kShardLead = "# agvsim-sweep shard ";
/// Between the grid's options and the base scenario's text on a shard line.
const char* const kScenarioSeparator = " | ";
const char* const kShardEndLead = "# agvsim-sweep shard end: ";
const char* const kShardEndDigest = " rows, sha256 ";
/// Hex digits of a SHA-256 digest.
constexpr std::size_t kDigestHexDigits = 64;
/// Most digits of a row count (any count of a size_t).
constexpr std::size_t kMaxRowCountDigits = 19;
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
    const MechanismError named = namedError(options.scenario.errors);
    // The error size is an axis only of a single error.
    const bool sized = named != MechanismError::kNone && named != MechanismError::kCombined;
    std::string text;
    for (int axis = 0; axis < (sized ? kSweepAxisCount : kAxisErrorSize); ++axis) {
        text += std::string(axis > 0 ? " " : "") + kAxisFlags[axis] + " " +
                axisText(options.grid.axes[axis]);
    }
    Scenario base = options.scenario;
    if (!options.grid.laws.empty()) {
        // The laws compared, each parameter of a law among them in full; the base scenario
        // keeps only what the laws do not replace.
        std::string laws;
        bool purePursuit = false, stanley = false;
        for (const ControllerKind kind : options.controllers) {
            laws += (laws.empty() ? "" : ",") + std::string(controllerName(kind));
            purePursuit = purePursuit || kind == ControllerKind::kPurePursuit;
            stanley = stanley || kind == ControllerKind::kStanley;
        }
        text += " --controller " + laws;
        base.controller = Scenario{}.controller;
        if (purePursuit) {
            text += " --lookahead " + axisText(options.lookaheads);
            base.controllerParams.lookahead = ControllerParams{}.lookahead;
        }
        if (stanley) {
            text += " --stanley-gain " + axisText(options.stanleyGains);
            base.controllerParams.stanleyGain = ControllerParams{}.stanleyGain;
        }
    }
    if (options.seeded) {
        text += " --seeds " + std::to_string(options.firstSeed) + ":" +
                std::to_string(options.lastSeed);
    }
    // The theory's columns make another table of the same grid.
    if (options.theory) text += " --theory";
    // The base conditions as their scenario text; the design is the axes'.
    base.fn = Scenario{}.fn;
    base.zeta = Scenario{}.zeta;
    return text + kScenarioSeparator + scenarioText(base);
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
    const std::size_t bar = identity.find(kScenarioSeparator);
    if (bar == std::string::npos) {
        error = "its grid is not written as agvsim-sweep writes it";
        return false;
    }
    const std::string axes = identity.substr(0, bar);
    const std::string scenario = identity.substr(bar + std::string(kScenarioSeparator).size());
    std::vector<std::string> words{"agvsim-sweep"};
    std::size_t start = 0;
    while (start <= axes.size()) {
        const std::size_t space = axes.find(' ', start);
        words.push_back(axes.substr(start, space == std::string::npos ? space : space - start));
        if (space == std::string::npos) break;
        start = space + 1;
    }
    if (!scenario.empty()) words.push_back("--scenario=" + scenario);
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
    if (shard.count > grid.grid.size()) {
        error = "it names " + std::to_string(shard.count) + " shards of a grid of " +
                std::to_string(grid.grid.size()) + " points";
        return false;
    }
    return true;
}

void ShardSeal::add(const std::string& text, std::size_t rows) {
    digest_.add(text);
    rows_ += rows;
}

std::string ShardSeal::line() const {
    return kShardEndLead + std::to_string(rows_) + kShardEndDigest + digest_.hex();
}

bool isShardEndLine(const std::string& line) {
    const std::string lead = kShardEndLead;
    const std::size_t at = line.find(kShardEndDigest);
    if (line.compare(0, lead.size(), lead) != 0 || at == std::string::npos) return false;
    const std::string rows = line.substr(lead.size(), at - lead.size());
    const std::string digest = line.substr(at + std::string(kShardEndDigest).size());
    return !rows.empty() && rows.size() <= kMaxRowCountDigits &&
           rows.find_first_not_of("0123456789") == std::string::npos &&
           digest.size() == kDigestHexDigits &&
           digest.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace agv
