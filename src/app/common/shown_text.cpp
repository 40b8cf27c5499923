#include "app/common/shown_text.h"

namespace agv {

namespace {

/// Characters of a text shown in a message; a longer one is cut and its size given.
constexpr std::size_t kShownArgumentChars = 60;

}  // namespace

std::string printable(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    constexpr unsigned char kFirstPrintable = 0x20;
    constexpr unsigned char kDelete = 0x7f;
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xf];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string shownArgument(const std::string& text) {
    if (text.size() <= kShownArgumentChars) return printable(text);
    return printable(text.substr(0, kShownArgumentChars)) + "... (" + std::to_string(text.size()) +
           " bytes)";
}

std::string quoted(const std::string& text) {
    return "'" + shownArgument(text) + "'";
}

}  // namespace agv
