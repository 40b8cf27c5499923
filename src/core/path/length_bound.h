// A quick lower bound of a path's length, so that a path far longer than the limit is
// refused without summing its length panel by panel.
#pragma once

#include <optional>

namespace agv {

struct CurveParams;
struct Model;

/// Largest curve parameter a path may reach (x [m] or β [rad], 159 turns of a polar curve).
/// Beyond it the length cannot be summed, nor the path followed, in a usable time: such a
/// path has no length to run.
inline constexpr double kMaxPathParameter = 1000.0;

/// Parameter panels of the length sum that count as cheap: a path check sums the length
/// two or three times and stays within a few milliseconds.
inline constexpr double kCheapLengthPanels = 65536.0;

/// For curve I from parameter 0 to pEnd: a lower bound [m] of its length, returned only
/// when the bound already exceeds smax [m] and the full sum would take more than
/// kCheapLengthPanels panels. Otherwise nothing: the length is to be summed in full.
/// Reads only the constants of the curve (not its derived values).
std::optional<double> pathLengthLowerBound(const CurveParams& c, int curveNumber, double pEnd,
                                           double smax);

/// The length [m] of curve I from parameter 0 to pEnd as the path check takes it: the lower
/// bound when there is one, no number (NaN) when the parameter runs beyond
/// kMaxPathParameter, else the summed length.
double pathLengthForCheck(const Model& model, int curveNumber, double pEnd, double smax);

}  // namespace agv
