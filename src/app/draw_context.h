// The draw layer's view of the program's run data: the scene and the window-key target
// filled from an AgvContext, and the draw calls on a whole context that the programs and
// tests use.
#pragma once

#include "app/context.h"
#include "draw/plots.h"
#include "draw/scene.h"
#include "draw/view_state.h"
#include "draw/window_keys.h"

namespace agv {

inline Scene sceneOf(const AgvContext& ctx) {
    return Scene{ctx.settings, ctx.path, *ctx.store, ctx.view};
}

inline ViewControl controlOf(AgvContext& ctx) {
    return ViewControl{ctx.settings, ctx.run, ctx.view, *ctx.store};
}

inline KeyAction applyWindowKey(AgvContext& ctx, unsigned char key) {
    return applyWindowKey(controlOf(ctx), key);
}

inline PlotScales plotScales(const AgvContext& ctx, int t) {
    return plotScales(sceneOf(ctx), t);
}

inline void setViewDefaults(AgvContext& ctx) {
    setViewDefaults(ctx.view);
}

inline void toWindow(const AgvContext& ctx, double x, double y, double out[2]) {
    toWindow(ctx.view, x, y, out);
}

/// Draws the frame of the context into the current GL buffer (no flush, no swap).
void drawFrame(const AgvContext& ctx);

}  // namespace agv
