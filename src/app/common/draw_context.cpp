#include "app/common/draw_context.h"

#include "app/common/output_target.h"
#include "draw/gl_backend.h"
#include "draw/picture_export.h"

namespace agv {

void drawFrame(const AgvContext& ctx) {
    drawFrameGl(sceneOf(ctx));
}

int exportPictures(AgvContext& ctx, const PictureRequest& request, std::string& error) {
    PictureRequest withFiles = request;
    if (!withFiles.writeFile) withFiles.writeFile = writeWholeFile;
    return exportPictures(controlOf(ctx), sceneOf(ctx), withFiles, error);
}

}  // namespace agv
