#include "app/common/number_format.h"

#include <charconv>
#include <cstdio>

namespace agv {

namespace {

/// Enough for any double in either form ("-2.2250738585072014e-308" has 24 characters).
constexpr int kNumberChars = 32;

}  // namespace

void appendShortest(std::string& out, double value) {
    char buffer[kNumberChars];
#if defined(__EMSCRIPTEN__)
    // Emscripten's C++ library has no floating-point to_chars; 17 significant digits read
    // back exactly as well, only not always in the shortest form.
    const int length = std::snprintf(buffer, sizeof buffer, "%.17g", value);
    out.append(buffer, static_cast<std::size_t>(length));
#else
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
#endif
}

std::string shortestNumber(double value) {
    std::string text;
    appendShortest(text, value);
    return text;
}

}  // namespace agv
