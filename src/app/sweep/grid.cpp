#include "app/sweep/grid.h"

#include "app/batch/options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace agv {

namespace {

/// Most values on one axis.
constexpr long kMaxAxisCount = 1000000;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        items.push_back(text.substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos) return items;
        start = at + 1;
    }
}

bool parseRange(const std::string& flag, const std::vector<std::string>& parts,
                std::vector<double>& values, std::string& error) {
    double start = 0.0, stop = 0.0;
    if (!parseReal(flag, parts[0], start, error) || !parseReal(flag, parts[1], stop, error)) {
        return false;
    }
    const std::string& countText = parts[2];
    char* end = nullptr;
    errno = 0;
    const long count = std::strtol(countText.c_str(), &end, 10);
    if (countText.empty() || std::isspace(static_cast<unsigned char>(countText[0])) ||
        end != countText.c_str() + countText.size()) {
        error = flag + ": count " + quoted(countText) + " is not a whole number";
        return false;
    }
    if (count < 1 || errno == ERANGE || count > kMaxAxisCount) {
        error = flag + ": count " + quoted(countText) + " must lie between 1 and " +
                std::to_string(kMaxAxisCount);
        return false;
    }
    if (count > 1 && stop <= start) {
        error = flag + ": stop " + shownArgument(parts[1]) + " must be above start " +
                shownArgument(parts[0]) + " for more than one value";
        return false;
    }
    values.clear();
    const double intervals = static_cast<double>(count - 1);
    for (long i = 0; i < count; ++i) {
        // Weighted from both ends, so that both are hit exactly.
        const double weight = static_cast<double>(i);
        double value =
            count == 1 ? start : (start * (intervals - weight) + stop * weight) / intervals;
        // Near the largest doubles the weighted sum overflows; the ends shrunk first do not.
        if (!std::isfinite(value)) {
            value = start / intervals * (intervals - weight) + stop / intervals * weight;
        }
        if (!std::isfinite(value)) {
            error = flag + ": the values of " + quoted(parts[0] + ":" + parts[1]) +
                    " are not finite numbers";
            return false;
        }
        values.push_back(value);
    }
    return true;
}

}  // namespace

bool parseAxisValues(const std::string& flag, const std::string& text, std::vector<double>& values,
                     std::string& error) {
    const std::vector<std::string> parts = split(text, ':');
    if (parts.size() == 3) {
        if (!parseRange(flag, parts, values, error)) return false;
    } else if (parts.size() == 1) {
        values.clear();
        for (const std::string& item : split(text, ',')) {
            double value = 0.0;
            if (!parseReal(flag, item, value, error)) return false;
            values.push_back(value);
        }
    } else {
        error = flag + ": " + quoted(text) + " is neither start:stop:count nor a comma list";
        return false;
    }
    for (std::size_t i = 1; i < values.size(); ++i) {
        // Increasing values keep the grid order the order of its values, which the merge of
        // shards relies on.
        if (!(values[i] > values[i - 1])) {
            error = flag + ": the values must increase (" + quoted(text) + ")";
            return false;
        }
    }
    return true;
}

std::array<std::size_t, kSweepAxisCount> SweepGrid::position(std::size_t index) const {
    std::array<std::size_t, kSweepAxisCount> at{};
    index /= lawCount();
    for (int axis = kSweepAxisCount - 1; axis >= 0; --axis) {
        at[axis] = index % axes[axis].size();
        index /= axes[axis].size();
    }
    return at;
}

GridValues SweepGrid::at(std::size_t index) const {
    const auto p = position(index);
    GridValues values;
    values.fn = axes[kAxisFn][p[kAxisFn]];
    values.zeta = axes[kAxisZeta][p[kAxisZeta]];
    values.errorSize = axes[kAxisErrorSize][p[kAxisErrorSize]];
    if (!laws.empty()) values.law = laws[index % laws.size()];
    return values;
}

std::vector<int> SweepGrid::swept() const {
    std::vector<int> result;
    for (int axis = 0; axis < kSweepAxisCount; ++axis) {
        if (axes[axis].size() > 1) result.push_back(axis);
    }
    return result;
}

bool parseShard(const std::string& text, Shard& shard, std::string& error) {
    const std::vector<std::string> parts = split(text, '/');
    long numbers[2] = {-1, -1};
    bool ok = parts.size() == 2;
    for (std::size_t i = 0; ok && i < 2; ++i) {
        char* end = nullptr;
        errno = 0;
        numbers[i] = std::strtol(parts[i].c_str(), &end, 10);
        ok = !parts[i].empty() && std::isdigit(static_cast<unsigned char>(parts[i][0])) &&
             end == parts[i].c_str() + parts[i].size() && errno != ERANGE;
    }
    if (!ok || numbers[1] < 1 || numbers[0] >= numbers[1]) {
        error = "--shard: " + quoted(text) + " is not K/N with 0 <= K < N";
        return false;
    }
    shard.index = static_cast<std::size_t>(numbers[0]);
    shard.count = static_cast<std::size_t>(numbers[1]);
    return true;
}

}  // namespace agv
