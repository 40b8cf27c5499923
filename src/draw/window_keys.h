// Effects of the window keys on the view state: vehicle type, animation position,
// shift and zoom of the trajectory view, and what the keyboard callback does next.
#pragma once

namespace agv {

struct ViewControl;

/// ESC: ends the program.
inline constexpr unsigned char kEscapeKey = 27;
/// Records the animation advances per 's' (3 × 0.02 s).
inline constexpr int kMotionStep = 3;
/// Shift per 'x' 'X' 'y' 'Y' [window units].
inline constexpr double kShiftStep = 0.05;
/// Zoom factor per 'w' (and its inverse per 'W').
inline constexpr double kZoomStep = 0.9;

/// What the keyboard callback does after a key's effect.
enum class KeyAction { kNone, kRedraw, kDialogue, kExit };

/// Applies the key's effect on the vehicle type on show and the view state (keys are
/// case-sensitive); returns what remains to be done.
KeyAction applyWindowKey(const ViewControl& control, unsigned char key);

}  // namespace agv
