// The small set of primitives every picture is made of, and the interface through which
// the draw layer hands them to a target: OpenGL for the window and picture export, a
// recording for the web page's canvas. Coordinates are window units (−1 to 1 across and up).
#pragma once

#include <vector>

#include "draw/colors.h"
#include "draw/shapes.h"

namespace agv {

/// The two bitmap fonts of the window (GLUT's Helvetica 12 and 18).
enum class Font { kHelvetica12, kHelvetica18 };

/// How the vertices of a shape are drawn.
enum class ShapeMode { kFill, kClosedOutline, kOpenOutline };

class DrawBackend {
  public:
    virtual ~DrawBackend() = default;

    /// Starts a picture: everything white.
    virtual void clear() = 0;

    /// Segments (ends[0], ends[1]), (ends[2], ends[3]), ... widthPx pixels wide. The ends are
    /// given in a frame placed at origin and turned by angle [rad].
    virtual void lines(Vec2 origin, double angle, const std::vector<Vec2>& ends, float widthPx,
                       Rgba color) = 0;

    /// A polygon through the vertices, filled or outlined widthPx pixels wide, in a frame
    /// placed at origin and turned by angle [rad].
    virtual void shape(ShapeMode mode, Vec2 origin, double angle, const std::vector<Vec2>& vertices,
                       float widthPx, Rgba color) = 0;

    /// Black text with the first character's origin (left end of the baseline) at (x, y).
    virtual void text(float x, float y, Font font, const char* text) = 0;
};

}  // namespace agv
