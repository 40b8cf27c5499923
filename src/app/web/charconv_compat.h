// Emscripten 3.1.6's libc++ lacks the floating-point std::from_chars that the core's table
// reader uses. The web build includes this in front of every core source: it supplies the
// double overload, reading as strtod does in the C locale (the only locale there), with
// from_chars' rules (no leading white space or '+').
#pragma once

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>

namespace std {

inline from_chars_result from_chars(const char* first, const char* last, double& value) {
    if (first == last || *first == ' ' || *first == '\t' || *first == '\n' || *first == '+') {
        return {first, errc::invalid_argument};
    }
    const string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double parsed = strtod(text.c_str(), &end);
    if (end == text.c_str()) return {first, errc::invalid_argument};
    const char* stop = first + (end - text.c_str());
    if (errno == ERANGE) return {stop, errc::result_out_of_range};
    value = parsed;
    return {stop, errc{}};
}

}  // namespace std
