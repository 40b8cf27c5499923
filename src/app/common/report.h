// The condition report and the one-line description of a path curve, printed in the
// console dialogue's own words to the context's output.
#pragma once

namespace agv {

struct AgvContext;

/// The conditions of the next computation: vehicle type and speeds, the mechanism error,
/// the path with its constants, and the feedback design with the gains of the type on show.
void printConditions(const AgvContext& ctx);

/// One line naming curve I and its constants; nothing for an I that is not a curve number.
void printPathLine(const AgvContext& ctx, int curveNumber);

}  // namespace agv
