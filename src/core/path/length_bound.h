// A quick lower bound of a path's length, so that a path far longer than the limit is
// refused without summing its length panel by panel.
#pragma once

#include <optional>

namespace agv {

struct CurveParams;

/// Parameter panels of the length sum that count as cheap: a path check sums the length
/// two or three times and stays within a few milliseconds.
inline constexpr double kCheapLengthPanels = 65536.0;

/// For curve I from parameter 0 to pEnd: a lower bound [m] of its length, returned only
/// when the bound already exceeds smax [m] and the full sum would take more than
/// kCheapLengthPanels panels. Otherwise nothing: the length is to be summed in full.
/// Reads only the constants of the curve (not its derived values).
std::optional<double> pathLengthLowerBound(const CurveParams& c, int curveNumber, double pEnd,
                                           double smax);

}  // namespace agv
