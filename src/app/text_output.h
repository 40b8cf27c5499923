// Formatted text output shared by the core's messages and the console layer.
#pragma once

#include <ostream>

namespace agv {

/// printf-style formatting into a stream; texts are UTF-8.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void printText(std::ostream& out, const char* format, ...);

}  // namespace agv
