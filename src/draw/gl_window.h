// The GLUT window the picture is drawn into: display check, GLUT start, window
// creation with its title, viewport set-up and reading back the drawn picture.
#pragma once

#include <cstdint>
#include <vector>

namespace agv {

/// Width and height of the window [px].
inline constexpr int kWindowSize = 800;
/// Window title (UTF-8).
inline constexpr const char* kWindowTitle =
    "1,2,3:機構選択, c,e:経路orAGV誤差変更，W,w:画面拡大縮小，x,X,y,Y:画面移動，0:初期へ，s:継続";

/// Sets the initial window size (800 × 800) and position (0, 0) and initialises GLUT
/// with the arguments, unless it was initialised before in this process. Returns false,
/// leaving GLUT alone, when no X display can be opened (glutInit would end the process).
bool initGlut(int& argc, char** argv);

/// Creates the window (RGB, double buffer, depth buffer) with the title, also as the
/// UTF-8 window-manager name, sets the viewport and the white clear colour. Returns
/// the GLUT window id; the window is current.
int createDrawingWindow();

/// Viewport over the whole w × h window, identity projection, model-view selected.
void setWindowViewport(int width, int height);

/// The w × h RGB pixels of the back buffer, top row first.
std::vector<std::uint8_t> readBackBuffer(int width, int height);

}  // namespace agv
