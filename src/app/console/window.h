// The graphics window: set-up after the first console dialogue, the GLUT callbacks
// (display, reshape, keyboard) and the event loop.
#pragma once

namespace agv {

struct AgvContext;
class Console;

/// Status of startWindow when no X display can be opened.
inline constexpr int kNoDisplayStatus = 2;

/// Opens the 800 × 800 window and runs the GLUT event loop, which never returns; the
/// program ends through ESC (status 0). Returns kNoDisplayStatus, after one line on
/// stderr, only when no X display can be opened.
int startWindow(AgvContext& ctx, Console& console, int& argc, char** argv);

/// Display callback: draws the frame of the current view and swaps the buffers.
void onDisplay();
/// Reshape callback: the viewport covers the whole window; window units stay −1 to 1.
void onReshape(int width, int height);
/// Keyboard callback: the key's effect, then a redraw, the console dialogue or the end.
void onKeyboard(unsigned char key, int x, int y);

}  // namespace agv
