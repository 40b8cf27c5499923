// Reading the values of command-line options, shared by the tools: whole and real numbers,
// comma lists, an option's value from "--flag value" or "--flag=value", and arguments
// quoted in messages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/common/shown_text.h"

namespace agv {

/// The value of the option argv[i] (whose '=' stands at equals, or npos): after the '=', or
/// the next word, which i then moves to; false with a message when there is none.
bool takeOptionValue(int argc, const char* const* argv, int& i, std::size_t equals,
                     std::string& value, std::string& error);

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

}  // namespace agv
