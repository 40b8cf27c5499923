// Formatted text output shared by the core's messages and the console layer.
#pragma once

#include <cstdarg>
#include <ostream>
#include <string>

namespace agv {

/// printf-style formatting into a stream; texts are UTF-8.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void printText(std::ostream& out, const char* format, ...);

/// printf-style formatting into a string.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
formatText(const char* format, ...);

/// A stream that discards what is written to it, for runs whose messages nobody reads.
std::ostream& discardedText();

/// The same with an argument list, for other printf-style front ends.
void printTextV(std::ostream& out, const char* format, va_list args);

}  // namespace agv
