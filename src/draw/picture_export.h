// Renders the window picture of a computed run into PNG files and an animated GIF (needs
// an X display).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace agv {

struct Scene;
struct ViewControl;

/// What to render: the view reached by the given window keys from a fresh computation.
struct PictureRequest {
    /// Vehicle type shown (1 to 3).
    int vehicleType = 1;
    /// Record index the animation stands at; -1 means the last record.
    int motionIndex = 0;
    /// Presses of 'w' (negative: presses of 'W').
    int zoomSteps = 0;
    /// Presses of 'X' and 'Y' (negative: presses of 'x' and 'y').
    int shiftX = 0, shiftY = 0;
    /// Single picture to write (empty: none).
    std::string pngPath;
    /// Folder for the animation frames (empty: none), one picture every frameEvery records.
    std::string framesDir;
    int frameEvery = 1;
    /// Animated GIF of the same frames (empty: none).
    std::string gifPath;
    /// Writes one file's bytes to path; false with the reason in error. The program
    /// decides how its files are written.
    std::function<bool(const std::string& path, const std::vector<std::uint8_t>& bytes,
                       std::string& error)>
        writeFile;
};

/// Whether a file name is that of an animation frame (frame_00000.png, ...).
bool isFrameFileName(const std::string& name);

/// Opens a hidden 800 x 800 window, draws the requested pictures and writes them.
/// Returns 0 on success, 2 when no X display can be opened (after a one-line message on
/// stderr), 1 when a file cannot be written (message in error).
int exportPictures(const ViewControl& control, const Scene& scene, const PictureRequest& request,
                   std::string& error);

}  // namespace agv
