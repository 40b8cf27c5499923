#include "app/common/text_output.h"

#include <cstdio>
#include <sstream>
#include <streambuf>
#include <vector>

namespace agv {

void printTextV(std::ostream& out, const char* format, va_list args) {
    // Most texts fit the stack buffer; longer ones are formatted a second time.
    char small[512];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    if (length >= 0 && static_cast<size_t>(length) < sizeof small) {
        out.write(small, length);
    } else if (length >= 0) {
        std::vector<char> large(static_cast<size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        out.write(large.data(), length);
    }
    va_end(again);
}

std::ostream& discardedText() {
    struct Discard : std::streambuf {
        int overflow(int c) override { return c; }
    };
    static Discard buffer;
    static std::ostream stream(&buffer);
    return stream;
}

void printText(std::ostream& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    printTextV(out, format, args);
    va_end(args);
}

std::string formatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::ostringstream out;
    printTextV(out, format, args);
    va_end(args);
    return out.str();
}

}  // namespace agv
