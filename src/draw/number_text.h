// Digits of the numbers shown in the window, taken one by one from the digit table
// (never from a general formatter).
#pragma once

#include <string>

namespace agv {

/// Decimal digits of a whole number w ≥ 0 (as many as it needs, at least one).
std::string wholeNumberText(double w);

/// v with the given number of decimals, rounded, a minus sign when it rounds below 0
/// ("-6.28", "0.05"); "--" when v is not a finite number.
std::string decimalText(double v, int decimals);

/// One digit from the table for d, held to 0..9 (rounding can push a units digit
/// computed as a difference just outside).
char digitChar(double d);

}  // namespace agv
