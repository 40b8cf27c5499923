#include "draw/picture_export.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "draw/colors.h"
#include "draw/gif_file.h"
#include "draw/gl_backend.h"
#include "draw/gl_window.h"
#include "draw/png_file.h"
#include "draw/scene.h"
#include "draw/window_keys.h"
#include "sim/model.h"

namespace agv {

namespace {

/// Width of the frame number in the file names (frame_00000.png).
constexpr int kFrameDigits = 5;

// Brings the view to the requested state through the same key effects as the window.
void applyRequest(const ViewControl& control, const PictureRequest& request) {
    const int type = std::clamp(request.vehicleType, 1, kVehicleTypeCount);
    applyWindowKey(control, static_cast<unsigned char>('0' + type));
    const auto press = [&](int count, unsigned char up, unsigned char down) {
        const unsigned char key = count >= 0 ? up : down;
        for (int i = 0; i < std::abs(count); ++i)
            applyWindowKey(control, key);
    };
    press(request.zoomSteps, 'w', 'W');
    press(request.shiftX, 'X', 'x');
    press(request.shiftY, 'Y', 'y');
    const int last = control.store.recordCount[type - 1];
    control.view.motionIndex = request.motionIndex < 0 ? last : std::min(request.motionIndex, last);
}

bool renderTo(const Scene& scene, const PictureRequest& request, const std::string& path,
              std::string& error) {
    drawFrameGl(scene);
    std::vector<std::uint8_t> png;
    if (!encodePng(kWindowSize, kWindowSize, readBackBuffer(kWindowSize, kWindowSize), png,
                   error)) {
        error = path + ": " + error;
        return false;
    }
    return request.writeFile(path, png, error);
}

std::string frameName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%0*d.png", kFrameDigits, frame);
    return name;
}

}  // namespace

bool isFrameFileName(const std::string& name) {
    const std::string lead = "frame_", end = ".png";
    if (name.size() < lead.size() + kFrameDigits + end.size() ||
        name.compare(0, lead.size(), lead) != 0 ||
        name.compare(name.size() - end.size(), end.size(), end) != 0) {
        return false;
    }
    for (std::size_t i = lead.size(); i < name.size() - end.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

namespace {

bool renderFrames(const ViewControl& control, const Scene& scene, const PictureRequest& request,
                  std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(request.framesDir, ec);
    if (ec) {
        error = "cannot create " + request.framesDir + ": " + ec.message();
        return false;
    }
    const int last = control.store.recordCount[control.view.vehicleType - 1];
    const int every = std::max(request.frameEvery, 1);
    int frame = 0;
    for (int index = 0;; index = std::min(index + every, last)) {
        control.view.motionIndex = index;
        const std::filesystem::path file =
            std::filesystem::path(request.framesDir) / frameName(frame++);
        if (!renderTo(scene, request, file.string(), error)) return false;
        if (index >= last) break;
    }
    // Frames of an earlier, longer run in the same folder would look like the end of this
    // one: the numbers that follow this run's last frame are removed while they exist.
    while (std::filesystem::remove(std::filesystem::path(request.framesDir) / frameName(frame++),
                                   ec)) {
    }
    return true;
}

/// Hundredths of a second per second, the unit of GIF frame delays.
constexpr double kCentisecondsPerSecond = 100.0;

PaletteColour paletteColour(const Rgba& c) {
    const auto channel = [](float v) { return static_cast<std::uint8_t>(std::lround(v * 255.0f)); };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

// The frames of renderFrames in one GIF, each shown for the time its records take.
bool renderGif(const ViewControl& control, const Scene& scene, const PictureRequest& request,
               std::string& error) {
    GifAnimation gif;
    const std::vector<PaletteColour> palette = {
        paletteColour(colorWhite), paletteColour(colorBlack), paletteColour(colorRed),
        paletteColour(colorGreen), paletteColour(colorBlue)};
    if (!gif.open(kWindowSize, kWindowSize, palette, error)) return false;
    const int last = control.store.recordCount[control.view.vehicleType - 1];
    const int every = std::max(request.frameEvery, 1);
    for (int index = 0;; index = std::min(index + every, last)) {
        const int records = index < last ? std::min(every, last - index) : every;
        const int delay =
            static_cast<int>(std::lround(records * scene.settings.dt * kCentisecondsPerSecond));
        control.view.motionIndex = index;
        drawFrameGl(scene);
        if (!gif.addFrame(readBackBuffer(kWindowSize, kWindowSize), delay, error)) {
            error = request.gifPath + ": " + error;
            return false;
        }
        if (index >= last) break;
    }
    std::vector<std::uint8_t> encoded;
    if (!gif.finish(encoded, error)) {
        error = request.gifPath + ": " + error;
        return false;
    }
    return request.writeFile(request.gifPath, encoded, error);
}

}  // namespace

int exportPictures(const ViewControl& control, const Scene& scene, const PictureRequest& request,
                   std::string& error) {
    char name[] = "agvsim";
    char* argv[] = {name, nullptr};
    int argc = 1;
    if (!initGlut(argc, argv)) {
        std::fprintf(stderr,
                     "agvsim-batch: no X display (is DISPLAY set?): pictures cannot be drawn\n");
        return 2;
    }
    const int window = createDrawingWindow();
    // Drawn off screen: the picture is read from the back buffer, never shown.
    glutHideWindow();
    glutMainLoopEvent();

    applyRequest(control, request);
    bool ok = true;
    if (!request.pngPath.empty()) ok = renderTo(scene, request, request.pngPath, error);
    if (ok && !request.framesDir.empty()) ok = renderFrames(control, scene, request, error);
    if (ok && !request.gifPath.empty()) ok = renderGif(control, scene, request, error);

    glutDestroyWindow(window);
    // The window goes away when GLUT next handles its events.
    glutMainLoopEvent();
    return ok ? 0 : 1;
}

}  // namespace agv
