#include "app/text_output.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace agv {

void printText(std::ostream& out, const char* format, ...) {
    char small[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return;
    }
    if (static_cast<size_t>(length) < sizeof small) {
        out.write(small, length);
    } else {
        std::vector<char> large(static_cast<size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        out.write(large.data(), length);
    }
    va_end(again);
}

}  // namespace agv
