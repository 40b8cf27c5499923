// The draw layer's view of the program's context: the scene and the window-key target
// filled from an AgvContext, and the draw calls on a whole context that the programs and
// tests use.
#pragma once

#include <string>

#include "app/common/context.h"
#include "draw/picture_export.h"
#include "draw/plots.h"
#include "draw/scene.h"
#include "draw/view_state.h"
#include "draw/window_keys.h"

namespace agv {

/// The scene of the context's run; the window keeps its fixed caption templates, pictures
/// written to files take the error sizes in full.
inline Scene sceneOf(const AgvContext& ctx, CaptionFormat captions = CaptionFormat::kWindow) {
    return Scene{ctx.model.settings, ctx.model.gains, ctx.model.path,
                 *ctx.data.store,    ctx.view,        captions};
}

inline ViewControl controlOf(AgvContext& ctx) {
    return ViewControl{ctx.view, *ctx.data.store};
}

/// Stores the key as lastKey, for the dialogue, and applies its effect.
inline KeyAction applyWindowKey(AgvContext& ctx, unsigned char key) {
    ctx.run.lastKey = static_cast<char>(key);
    return applyWindowKey(controlOf(ctx), key);
}

inline PlotScales plotScales(const AgvContext& ctx, int t) {
    return plotScales(sceneOf(ctx), t);
}

/// Draws the frame of the context into the current GL buffer (no flush, no swap).
void drawFrame(const AgvContext& ctx);

/// exportPictures on the context's run.
int exportPictures(AgvContext& ctx, const PictureRequest& request, std::string& error);

}  // namespace agv
