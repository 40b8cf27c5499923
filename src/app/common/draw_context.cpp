#include "app/common/draw_context.h"

#include "app/common/output_target.h"
#include "app/common/staged_folder.h"
#include "draw/gl_backend.h"
#include "draw/picture_export.h"

namespace agv {

void drawFrame(const AgvContext& ctx) {
    drawFrameGl(sceneOf(ctx));
}

int exportPictures(AgvContext& ctx, const PictureRequest& request, std::string& error) {
    PictureRequest withFiles = request;
    if (!withFiles.writeFile) withFiles.writeFile = writeWholeFile;
    if (request.framesDir.empty())
        return exportPictures(controlOf(ctx), sceneOf(ctx, CaptionFormat::kExact), withFiles,
                              error);
    // The frames of one run replace those of another only when all of them are written.
    StagedFolder frames;
    if (!frames.open(request.framesDir, error)) return 1;
    withFiles.framesDir = frames.path();
    const int status =
        exportPictures(controlOf(ctx), sceneOf(ctx, CaptionFormat::kExact), withFiles, error);
    if (status != 0 || !frames.commit(isFrameFileName, error)) {
        error = frames.named(error);
        return status != 0 ? status : 1;
    }
    return 0;
}

}  // namespace agv
