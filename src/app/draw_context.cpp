#include "app/draw_context.h"

#include "draw/gl_backend.h"
#include "draw/picture_export.h"

namespace agv {

void drawFrame(const AgvContext& ctx) {
    drawFrameGl(sceneOf(ctx));
}

int exportPictures(AgvContext& ctx, const PictureRequest& request, std::string& error) {
    return exportPictures(controlOf(ctx), sceneOf(ctx), request, error);
}

}  // namespace agv
