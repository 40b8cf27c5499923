// The OpenGL target of the draw layer: the window and the picture export draw through it
// into the current GL context.
#pragma once

#include "draw/draw_backend.h"

namespace agv {

struct Scene;

class GlBackend final : public DrawBackend {
  public:
    void clear() override;
    void lines(Vec2 origin, double angle, const std::vector<Vec2>& ends, float widthPx,
               Rgba color) override;
    void shape(ShapeMode mode, Vec2 origin, double angle, const std::vector<Vec2>& vertices,
               float widthPx, Rgba color) override;
    void text(float x, float y, Font font, const char* text) override;
};

/// Draws the frame of the scene into the current GL buffer (no flush, no swap).
void drawFrameGl(const Scene& scene);

/// The display routine: draws the frame, flushes and swaps the buffers.
void displayFrame(const Scene& scene);

}  // namespace agv
