// Text from outside the program (arguments, file names, bytes read from files) as a
// message shows it: on one line, without control characters, and cut after a line's worth.
#pragma once

#include <string>

namespace agv {

/// The text with control characters written as \xHH, so that a message quoting it stays on
/// one line and sends nothing to the terminal.
std::string printable(const std::string& text);

/// A text as a message shows it: printable, and cut after a line's worth of characters
/// (with its size), so that a huge argument or name is not echoed whole.
std::string shownArgument(const std::string& text);

/// shownArgument(text) in single quotes, for messages about an argument.
std::string quoted(const std::string& text);

}  // namespace agv
