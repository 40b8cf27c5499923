// Reading the values of command-line options, shared by the tools: whole and real numbers,
// comma lists, an option's value from "--flag value" or "--flag=value", and arguments
// quoted in messages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace agv {

/// The value of the option argv[i] (whose '=' stands at equals, or npos): after the '=', or
/// the next word, which i then moves to; false with a message when there is none.
bool takeOptionValue(int argc, const char* const* argv, int& i, std::size_t equals,
                     std::string& value, std::string& error);

/// An argument as a message shows it: control characters as \xHH, and cut after a line's
/// worth of characters (with its size), so that a huge argument is not echoed whole.
std::string shownArgument(const std::string& text);

/// shownArgument(text) in single quotes, for messages about an argument.
std::string quoted(const std::string& text);

/// A real number that uses the whole text and is finite; otherwise false with a one-line
/// message naming flag in error.
bool parseReal(const std::string& flag, const std::string& text, double& value, std::string& error);

/// A whole number that uses the whole text and fits an int; otherwise false with a message
/// naming flag.
bool parseInteger(const std::string& flag, const std::string& text, int& value, std::string& error);

/// Comma-separated list of at most maxCount texts, none of them empty.
bool splitList(const std::string& flag, const std::string& text, std::size_t maxCount,
               std::vector<std::string>& items, std::string& error);

/// Comma-separated list of at most maxCount real numbers (as parseReal).
bool parseRealList(const std::string& flag, const std::string& text, std::size_t maxCount,
                   std::vector<double>& values, std::string& error);

/// The text with control characters written as \xHH, so that a message quoting an argument
/// stays on one line.
std::string printable(const std::string& text);

}  // namespace agv
