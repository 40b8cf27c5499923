// Console selection of the path curve and its constants.
#pragma once

namespace agv {

struct AgvContext;
class Console;

/// Runs the menu and the constant prompts until a valid curve is read into the context's
/// scenario.
void selectPath(AgvContext& ctx, Console& console);

}  // namespace agv
