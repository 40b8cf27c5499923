// Numbers in files meant to be read back: the shortest decimal form that reads back to the
// same double.
#pragma once

#include <string>

namespace agv {

/// Appends the shortest decimal form of value that reads back (strtod, from_chars) to the
/// same double; "inf", "-inf" or "nan" for the values that are not finite numbers.
void appendShortest(std::string& out, double value);

/// The same as a string.
std::string shortestNumber(double value);

}  // namespace agv
