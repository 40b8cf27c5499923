#include "app/common/option_reading.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace agv {

bool parseReal(const std::string& flag, const std::string& text, double& value,
               std::string& error) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        error = flag + ": " + quoted(text) + " is not a number";
        return false;
    }
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) {
        error = flag + ": " + quoted(text) + " is not a number";
        return false;
    }
    if (!std::isfinite(parsed)) {
        error = flag + ": " + quoted(text) + " is not a finite number";
        return false;
    }
    value = parsed;
    return true;
}

bool takeOptionValue(int argc, const char* const* argv, int& i, std::size_t equals,
                     std::string& value, std::string& error) {
    const std::string argument = argv[i];
    if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
        return true;
    }
    // The next word is the value, also when it starts with a minus sign.
    if (i + 1 < argc && std::string(argv[i + 1]).rfind("--", 0) != 0) {
        value = argv[++i];
        return true;
    }
    error = "missing value for " + argument;
    return false;
}

bool parseInteger(const std::string& flag, const std::string& text, int& value,
                  std::string& error) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
        error = flag + ": " + quoted(text) + " is not a whole number";
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size()) {
        error = flag + ": " + quoted(text) + " is not a whole number";
        return false;
    }
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        error = flag + ": " + quoted(text) + " is out of range";
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool splitList(const std::string& flag, const std::string& text, std::size_t maxCount,
               std::vector<std::string>& items, std::string& error) {
    items.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    for (const std::string& item : items) {
        if (item.empty()) {
            error = flag + ": empty value in " + quoted(text);
            return false;
        }
    }
    if (items.size() > maxCount) {
        error = flag + ": at most " + std::to_string(maxCount) + " values, got " +
                std::to_string(items.size());
        return false;
    }
    return true;
}

bool parseRealList(const std::string& flag, const std::string& text, std::size_t maxCount,
                   std::vector<double>& values, std::string& error) {
    std::vector<std::string> items;
    if (!splitList(flag, text, maxCount, items, error)) return false;
    values.clear();
    for (const std::string& item : items) {
        double value = 0.0;
        if (!parseReal(flag, item, value, error)) return false;
        values.push_back(value);
    }
    return true;
}

}  // namespace agv
